#include "PluginDescriptorWriter.h"

#include "ByteWriter.h"

namespace content
{

std::vector<std::uint8_t> CPluginDescriptorWriter::Write(SPluginDescriptor const& descriptor)
{
    CByteWriter out;
    out.WriteU8(descriptor.first);
    out.WriteU8(descriptor.enabled ? 1 : 0);
    out.WriteBinaryString(descriptor.firstText);
    out.WriteBinaryString(descriptor.secondText);
    out.WriteBytes(descriptor.ownData.data(), descriptor.ownData.size());
    return out.TakeBytes();
}

} // namespace content
