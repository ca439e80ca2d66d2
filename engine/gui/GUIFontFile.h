#pragma once

#include <map>

class CFile;
class CMessageManager;
struct SGUIGlyph;

// Reads the glyph table of an open TWFNT file. A wrong size, magic, version or glyph count
// is fatal; no byte past the file is read.
void ReadFontGlyphs(CMessageManager* messageManager, CFile& file, char const* fileName,
                    std::map<unsigned char, SGUIGlyph>* glyphs);
