#include "FishSelection.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/os/FileSystem.h"

namespace
{
std::vector<std::uint8_t> ReadBytes(std::string const& path)
{
    if (!platform::IsRegularFile(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::int32_t GetInt32(std::vector<std::uint8_t> const& bytes, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
                                     std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24);
}

void PutInt32(std::vector<std::uint8_t>& bytes, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
}
} // namespace

SFishSelection SFishSelection::Read(std::string const& path, std::size_t packsCount)
{
    SFishSelection selection;
    selection.packsEnabled.assign(packsCount, 1);
    std::vector<std::uint8_t> const bytes = ReadBytes(path);
    constexpr std::size_t Header = SlotsCount * 8 + 1 + 4;
    if (bytes.size() < Header)
        return selection;
    for (int i = 0; i < SlotsCount; ++i) {
        selection.slots[i].kind = GetInt32(bytes, static_cast<std::size_t>(i) * 8);
        selection.slots[i].number = GetInt32(bytes, static_cast<std::size_t>(i) * 8 + 4);
    }
    selection.unique = bytes[80] != 0;
    std::int32_t const written = GetInt32(bytes, 81);
    if (written == static_cast<std::int32_t>(packsCount) && bytes.size() >= Header + packsCount) {
        std::copy(bytes.begin() + Header, bytes.begin() + static_cast<std::ptrdiff_t>(Header + packsCount),
                  selection.packsEnabled.begin());
        if (std::all_of(selection.packsEnabled.begin(), selection.packsEnabled.end(),
                        [](auto b) { return b == 0; }))
            selection.packsEnabled.assign(packsCount, 1);
    }
    return selection;
}

bool SFishSelection::Write(std::string const& path, std::string* error) const
{
    std::vector<std::uint8_t> bytes;
    for (SSlot const& slot : slots) {
        PutInt32(bytes, slot.kind);
        PutInt32(bytes, slot.number);
    }
    bytes.push_back(unique ? 1 : 0);
    PutInt32(bytes, static_cast<std::int32_t>(packsEnabled.size()));
    for (std::uint8_t enabled : packsEnabled)
        bytes.push_back(enabled ? 1 : 0);
    return platform::WriteFileAtomically(path, bytes.data(), bytes.size(), error);
}

std::vector<SFishPack> FindFishPacks(std::string const& packsFolder)
{
    // The engine's own listing, so the packs come in the order the fish plug-in sees them.
    std::vector<SFishPack> packs;
    for (platform::SDirectoryEntry const& entry : platform::ListDirectory(packsFolder)) {
        if (!platform::MatchesMask(entry.name.c_str(), "*.fsp"))
            continue;
        std::vector<std::uint8_t> const bytes = ReadBytes(packsFolder + "/" + entry.name);
        // A length byte that counts the terminating zero, the title, then the fish count.
        if (bytes.empty() || bytes[0] == 0 || bytes.size() < 1u + bytes[0] + 4u)
            continue;
        SFishPack pack;
        pack.name = entry.name.substr(0, entry.name.size() - 4);
        pack.title.assign(reinterpret_cast<char const*>(bytes.data() + 1), bytes[0] - 1u);
        // The count is the file's word; no more fish than the pack's folder holds entries.
        int const claimed = std::max(0, GetInt32(bytes, 1u + bytes[0]));
        std::size_t const present = platform::ListDirectory(packsFolder + "/" + pack.name).size();
        pack.fishCount = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(claimed), present));
        packs.push_back(pack);
    }
    return packs;
}
