#pragma once

class CFile;
class CImage;
class CMessageManager;
class CMemoryManager;
struct SImageSizeLimit;

// JPEG pictures through libjpeg, read and written in blocks of 4096 bytes through CFile.
// Decoder errors never end the process: they make the call return false.
namespace JpegCodec
{
// Decodes the whole file into `image` (8 bits per output component, stored bottom row
// first). False when the data is rejected or ends before the last row; `image` may
// then hold a partly filled picture. A picture larger than `limit` is refused, with a
// warning, once its header is read; the decoder's own memory stays within a few times the
// picture's.
bool Read(CFile& file, CMessageManager* messageManager, CMemoryManager* memoryManager, CImage* image,
          SImageSizeLimit const& limit);

// Encodes an 8-bit (grey) or 24-bit image, top row first. False when the image is
// rejected or the file cannot take the data.
bool Write(CFile& file, CImage const& image, unsigned int quality);
} // namespace JpegCodec
