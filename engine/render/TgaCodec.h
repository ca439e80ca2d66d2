#pragma once

class CFile;
class CImage;
class CMessageManager;
class CMemoryManager;
struct SImageSizeLimit;

// TGA pictures: uncompressed and run-length coded, 8, 16, 24 and 32 bits per pixel,
// either origin.
namespace TgaCodec
{
// Reads the picture at the file's start into `image` (stored bottom row first).
// Throws CFileError when the file is short, not a picture this reader supports, or larger
// than `limit` (told by the header, before any pixel is read, with a warning).
void Read(CFile& file, char const* name, CMessageManager* messageManager, CMemoryManager* memoryManager,
          CImage* image, SImageSizeLimit const& limit);

// Writes an 8-bit (with a grey colour map), 24-bit or 32-bit image, top row first,
// uncompressed. Throws CFileError when the image has another depth or a write fails.
void Write(CFile& file, char const* name, CImage const& image);
} // namespace TgaCodec
