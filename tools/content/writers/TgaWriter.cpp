#include "TgaWriter.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace content
{

std::vector<std::uint8_t> CTgaWriter::Write(SPicture const& picture)
{
    if (!picture.IsValid() || picture.width > 0xFFFF || picture.height > 0xFFFF) {
        throw std::invalid_argument("picture cannot be written as TGA");
    }
    bool const grey = picture.channels == 1;
    CByteWriter out;
    out.WriteU8(0);            // id length
    out.WriteU8(grey ? 1 : 0); // colour-map type
    out.WriteU8(grey ? 1 : 2); // image type
    out.WriteU16(0);           // colour-map start
    out.WriteU16(grey ? 256 : 0);
    out.WriteU8(grey ? 24 : 0); // colour-map entry size
    out.WriteU16(0);            // origin x
    out.WriteU16(0);            // origin y
    out.WriteU16(static_cast<std::uint16_t>(picture.width));
    out.WriteU16(static_cast<std::uint16_t>(picture.height));
    out.WriteU8(static_cast<std::uint8_t>(picture.channels * 8));
    out.WriteU8(0x20); // top-left origin
    if (grey) {
        for (int i = 0; i < 256; ++i) {
            for (int c = 0; c < 3; ++c) {
                out.WriteU8(static_cast<std::uint8_t>(i));
            }
        }
    }
    for (unsigned int y = 0; y < picture.height; ++y) {
        for (unsigned int x = 0; x < picture.width; ++x) {
            std::uint8_t const* p = picture.At(x, y);
            if (grey) {
                out.WriteU8(p[0]);
                continue;
            }
            out.WriteU8(p[2]);
            out.WriteU8(p[1]);
            out.WriteU8(p[0]);
            if (picture.channels == 4) {
                out.WriteU8(p[3]);
            }
        }
    }
    return out.TakeBytes();
}

} // namespace content
