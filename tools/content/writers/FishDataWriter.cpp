#include "FishDataWriter.h"

#include "ByteWriter.h"

namespace content
{

std::vector<std::uint8_t> CFishDataWriter::WriteFish(SFishRecord const& fish)
{
    // The behaviour block the school installs anyway, in field order from offset 272.
    static constexpr float Behaviour[] = {4.0f, 2.0f, 0.5f, 2.0f, 2.0f, 1.0f, 10.0f, 1.047f, 0.523f,
                                          0.1f, 1.0f, 0.2f, 1.0f, 0.0f, 0.0f, 0.2f,  1.0f};
    CByteWriter out;
    out.WriteFixedString(fish.model, 256);
    out.WriteI32(fish.variant);
    out.WriteFloat(fish.sizeDivisor);
    out.WriteFloat(fish.minimumSpeed);
    out.WriteFloat(fish.maximumSpeed);
    for (float value : Behaviour) {
        out.WriteFloat(value);
    }
    out.WriteFloat(0.0f); // 340
    out.WriteFloat(fish.value344);
    out.WriteFloat(fish.value344 / 3.0f);
    return out.TakeBytes();
}

std::vector<std::uint8_t> CFishDataWriter::WritePack(std::string const& title, std::int32_t fishCount)
{
    CByteWriter out;
    out.WriteBinaryString(title);
    out.WriteI32(fishCount);
    return out.TakeBytes();
}

std::vector<std::uint8_t> CFishDataWriter::WriteSelection(SFishSelection const& selection)
{
    CByteWriter out;
    for (auto const& slot : selection.slots) {
        out.WriteI32(slot.kind);
        out.WriteI32(slot.number);
    }
    out.WriteU8(selection.unique ? 1 : 0);
    out.WriteI32(static_cast<std::int32_t>(selection.packsEnabled.size()));
    for (std::uint8_t enabled : selection.packsEnabled) {
        out.WriteU8(enabled);
    }
    return out.TakeBytes();
}

} // namespace content
