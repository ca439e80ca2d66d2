#include "FontWriter.h"

#include "ByteWriter.h"

namespace content
{

std::vector<std::uint8_t> CFontWriter::Write(std::vector<SFontGlyph> const& glyphs)
{
    CByteWriter out;
    out.WriteHeader("TWFNT", Version);
    out.WriteU32(static_cast<std::uint32_t>(glyphs.size()));
    for (auto const& glyph : glyphs) {
        out.WriteU8(glyph.code);
        out.WriteFloat(glyph.u);
        out.WriteFloat(glyph.v);
        out.WriteFloat(glyph.du);
        out.WriteFloat(glyph.dv);
        out.WriteFloat(glyph.advance);
    }
    out.FinishHeader();
    return out.TakeBytes();
}

} // namespace content
