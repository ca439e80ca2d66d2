#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

// Bounds-checked little-endian reader used to read the written formats back
// independently of the writers.
class CTestByteReader
{
public:
    explicit CTestByteReader(std::vector<std::uint8_t> const& bytes, std::size_t position = 0)
        : m_bytes(bytes), m_position(position)
    {}

    std::uint8_t U8()
    {
        Need(1);
        return m_bytes[m_position++];
    }
    std::uint16_t U16()
    {
        std::uint16_t const low = U8();
        return static_cast<std::uint16_t>(low | (U8() << 8));
    }
    std::uint32_t U32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(U8()) << (8 * i);
        }
        return value;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    float F32()
    {
        std::uint32_t const bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string Text(std::size_t count)
    {
        Need(count);
        std::string text(reinterpret_cast<char const*>(m_bytes.data() + m_position), count);
        m_position += count;
        return text;
    }
    // Length byte counting the terminating zero, then the text and its zero.
    std::string BinaryString()
    {
        std::size_t const length = U8();
        if (length == 0) {
            throw std::runtime_error("binary string without terminator");
        }
        std::string text = Text(length);
        if (text.back() != '\0') {
            throw std::runtime_error("binary string not terminated");
        }
        text.pop_back();
        return text;
    }
    void Seek(std::size_t position) { m_position = position; }
    std::size_t Position() const { return m_position; }
    bool AtEnd() const { return m_position == m_bytes.size(); }

    // Checks the 13-byte header of the engine's formats and returns the version.
    std::uint32_t Header(char const* magic)
    {
        std::uint32_t const size = U32();
        if (size != m_bytes.size()) {
            throw std::runtime_error("size field differs from the file size");
        }
        if (Text(5) != std::string(magic, 5)) {
            throw std::runtime_error("wrong magic");
        }
        return U32();
    }

private:
    void Need(std::size_t count) const
    {
        if (m_position + count > m_bytes.size()) {
            throw std::runtime_error("read past the end");
        }
    }

    std::vector<std::uint8_t> const& m_bytes;
    std::size_t m_position;
};
