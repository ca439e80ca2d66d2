#include "PackFileWriter.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace content
{

void CPackFileWriter::AddFile(std::string const& name, std::vector<std::uint8_t> data)
{
    if (name.empty() || name.size() > 254) {
        throw std::length_error("pack member name must hold 1 to 254 characters: " + name);
    }
    m_files.push_back({name, std::move(data)});
}

std::vector<std::uint8_t> CPackFileWriter::Write() const
{
    CByteWriter out;
    out.WriteHeader("TWPAK", Version);
    out.WriteU32(static_cast<std::uint32_t>(m_files.size()));
    for (auto const& file : m_files) {
        out.WriteBinaryString(file.name);
    }
    std::size_t const entriesAt = out.GetSize();
    std::uint64_t offset = entriesAt + 8 * m_files.size();
    for (auto const& file : m_files) {
        if (offset + file.data.size() > 0xFFFFFFFFu) {
            throw std::length_error("pack larger than 4 GiB");
        }
        out.WriteU32(static_cast<std::uint32_t>(offset));
        out.WriteU32(static_cast<std::uint32_t>(file.data.size()));
        offset += file.data.size();
    }
    for (auto const& file : m_files) {
        out.WriteBytes(file.data.data(), file.data.size());
    }
    out.FinishHeader();
    std::vector<std::uint8_t> bytes = out.TakeBytes();
    for (std::size_t i = 13; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    }
    return bytes;
}

} // namespace content
