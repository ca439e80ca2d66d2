#pragma once

// Builds TWPAK images in memory for tests, including deliberately damaged ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace packimage
{
struct SMember
{
    std::string name;
    std::vector<std::uint8_t> data;
};

inline constexpr std::size_t HeaderSize = 13;

inline std::vector<std::uint8_t> Bytes(std::string const& text)
{
    return {text.begin(), text.end()};
}

// Writes a little-endian value; bytes from HeaderSize on are stored complemented.
inline void PutUnsigned(std::vector<std::uint8_t>& pack, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        auto const byte = static_cast<std::uint8_t>(value >> (8 * i));
        pack[at + i] = at + i >= HeaderSize ? static_cast<std::uint8_t>(~byte) : byte;
    }
}

// Position of the count, the first name and the table entry of member `index`.
inline std::size_t CountPosition()
{
    return HeaderSize;
}

inline std::size_t EntryPosition(std::vector<SMember> const& members, std::size_t index)
{
    std::size_t at = HeaderSize + 4;
    for (auto const& member : members)
        at += 1 + member.name.size() + 1;
    return at + 8 * index;
}

inline std::vector<std::uint8_t> Build(std::vector<SMember> const& members, std::uint32_t version = 100)
{
    std::vector<std::uint8_t> pack(HeaderSize + 4);
    std::string const magic = "TWPAK";
    for (std::size_t i = 0; i < magic.size(); ++i)
        pack[4 + i] = static_cast<std::uint8_t>(magic[i]);
    for (auto const& member : members) {
        pack.push_back(static_cast<std::uint8_t>(member.name.size() + 1));
        pack.insert(pack.end(), member.name.begin(), member.name.end());
        pack.push_back(0);
    }
    std::size_t const entries = pack.size();
    pack.resize(entries + 8 * members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::size_t const offset = pack.size();
        pack.insert(pack.end(), members[i].data.begin(), members[i].data.end());
        for (std::size_t b = 0; b < 4; ++b) {
            pack[entries + 8 * i + b] = static_cast<std::uint8_t>(offset >> (8 * b));
            pack[entries + 8 * i + 4 + b] = static_cast<std::uint8_t>(members[i].data.size() >> (8 * b));
        }
    }
    for (std::size_t b = 0; b < 4; ++b)
        pack[HeaderSize + b] = static_cast<std::uint8_t>(members.size() >> (8 * b));
    for (std::size_t i = HeaderSize; i < pack.size(); ++i)
        pack[i] = static_cast<std::uint8_t>(~pack[i]);
    PutUnsigned(pack, 0, static_cast<std::uint32_t>(pack.size()));
    PutUnsigned(pack, 9, version);
    return pack;
}
} // namespace packimage
