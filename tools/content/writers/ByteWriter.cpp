#include "ByteWriter.h"

#include "math/Quaternion.h"
#include "math/Vector.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace content
{

void CByteWriter::WriteU16(std::uint16_t value)
{
    WriteU8(static_cast<std::uint8_t>(value & 0xFF));
    WriteU8(static_cast<std::uint8_t>(value >> 8));
}

void CByteWriter::WriteU32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        WriteU8(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

void CByteWriter::WriteFloat(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    WriteU32(bits);
}

void CByteWriter::WriteVector3(CVector3 const& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
}

void CByteWriter::WriteVector4(CVector4 const& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
    WriteFloat(value.w);
}

void CByteWriter::WriteQuaternion(CQuaternion const& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
    WriteFloat(value.w);
}

void CByteWriter::WriteBytes(void const* data, std::size_t count)
{
    auto const* bytes = static_cast<std::uint8_t const*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + count);
}

void CByteWriter::WriteBinaryString(std::string const& text)
{
    if (text.size() > 254) {
        throw std::length_error("binary string longer than 254 characters: " + text);
    }
    WriteU8(static_cast<std::uint8_t>(text.size() + 1));
    WriteText(text);
    WriteU8(0);
}

void CByteWriter::WriteFixedString(std::string const& text, std::size_t size)
{
    if (text.size() >= size) {
        throw std::length_error("text does not fit its field: " + text);
    }
    WriteText(text);
    m_bytes.insert(m_bytes.end(), size - text.size(), 0);
}

void CByteWriter::WriteHeader(char const* magic, std::uint32_t version)
{
    WriteU32(0);
    WriteBytes(magic, 5);
    WriteU32(version);
}

void CByteWriter::PatchU32(std::size_t offset, std::uint32_t value)
{
    if (offset + 4 > m_bytes.size()) {
        throw std::out_of_range("patch past the end of the written bytes");
    }
    for (int i = 0; i < 4; ++i) {
        m_bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

void WriteFileBytes(std::string const& path, std::vector<std::uint8_t> const& bytes)
{
    std::filesystem::path const target(path);
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path());
    }
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace content
