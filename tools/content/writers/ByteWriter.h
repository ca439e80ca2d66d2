#pragma once

#include "math/VectorFwd.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CQuaternion;

namespace content
{

// Little-endian byte sink shared by the binary format writers.
class CByteWriter
{
public:
    void WriteU8(std::uint8_t value) { m_bytes.push_back(value); }
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void WriteI32(std::int32_t value) { WriteU32(static_cast<std::uint32_t>(value)); }
    void WriteFloat(float value);
    void WriteVector3(CVector3 const& value);
    void WriteVector4(CVector4 const& value);
    void WriteQuaternion(CQuaternion const& value);
    void WriteBytes(void const* data, std::size_t count);
    void WriteText(std::string const& text) { WriteBytes(text.data(), text.size()); }
    // One length byte counting the bytes that follow (terminating zero included), then
    // the text and its zero. Throws std::length_error above 254 characters.
    void WriteBinaryString(std::string const& text);
    // The text zero-padded to `size` bytes. Throws std::length_error when it does not fit.
    void WriteFixedString(std::string const& text, std::size_t size);

    // The 13-byte header of the engine's formats with a size placeholder; FinishHeader
    // patches the total size in once everything is written.
    void WriteHeader(char const* magic, std::uint32_t version);
    void FinishHeader() { PatchU32(0, static_cast<std::uint32_t>(m_bytes.size())); }

    void PatchU32(std::size_t offset, std::uint32_t value);
    std::size_t GetSize() const { return m_bytes.size(); }
    std::vector<std::uint8_t> const& GetBytes() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBytes() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Writes the bytes to a native path, creating missing folders. Throws std::runtime_error.
void WriteFileBytes(std::string const& path, std::vector<std::uint8_t> const& bytes);

} // namespace content
