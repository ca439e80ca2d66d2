#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace content
{

// Per-fish record "Fish %d\fish.dat", 352 bytes: model file name (char[256]), texture
// variant, size divisor, wanted-speed range, then the behaviour block from offset 272
// (the school replaces all of it except the value at 344).
struct SFishRecord
{
    std::string model;
    std::int32_t variant = 1;
    float sizeDivisor = 1.0f;
    float minimumSpeed = 0.6f;
    float maximumSpeed = 1.0f;
    float value344 = 1.0f;
};

struct SFishSlot
{
    std::int32_t kind = 0; // 0 empty, 1 random, k >= 2 fish `number` of pack k - 2
    std::int32_t number = 0;
};

// Fish selection "fishes.dat": ten slots, unique flag, pack count and enabled bytes.
struct SFishSelection
{
    std::array<SFishSlot, 10> slots{};
    bool unique = true;
    std::vector<std::uint8_t> packsEnabled;
};

class CFishDataWriter
{
public:
    static constexpr std::size_t FishRecordSize = 352;
    static std::vector<std::uint8_t> WriteFish(SFishRecord const& fish);
    // Pack file "*.fsp": title (binary string), fish count.
    static std::vector<std::uint8_t> WritePack(std::string const& title, std::int32_t fishCount);
    static std::vector<std::uint8_t> WriteSelection(SFishSelection const& selection);
};

} // namespace content
