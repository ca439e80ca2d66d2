#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One installed fish pack: "Data/FishPacks/<name>.fsp" holds its title and fish count.
struct SFishPack
{
    std::string name;
    std::string title;
    int fishCount = 0;
};

// The fish selection file "Data/fishes.dat": ten slots (kind, number), the unique flag, the
// number of packs it was written for and one enabled byte per pack.
struct SFishSelection
{
    static constexpr int SlotsCount = 10;
    static constexpr int EmptyKind = 0;
    static constexpr int RandomKind = 1;
    static constexpr int FirstPackKind = 2;

    struct SSlot
    {
        std::int32_t kind = RandomKind;
        std::int32_t number = 0;
    };

    SSlot slots[SlotsCount];
    bool unique = true;
    std::vector<std::uint8_t> packsEnabled;

    // A missing or short file gives random slots; enabled bytes written for another number of
    // packs, or all off, enable every pack, as the fish plug-in reads them.
    static SFishSelection Read(std::string const& path, std::size_t packsCount);
    // Writes through a temporary file in the same folder; on failure the file stays as it was
    // and `error` (when given) says why.
    bool Write(std::string const& path, std::string* error = nullptr) const;
};

// The packs in the order the fish plug-in numbers them (file names in ascending order). A
// pack counts no more fish than its folder "<name>" holds entries ("Fish 0", "Fish 1", ...).
std::vector<SFishPack> FindFishPacks(std::string const& packsFolder);
