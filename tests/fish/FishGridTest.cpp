#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "FishFiles.h"
#include "FishGrid.h"
#include "FishRandom.h"

namespace
{
constexpr float Tolerance = 1e-4f;

CVector3 const DefaultMin(-10.5f, -8.0f, -1.0f);
CVector3 const DefaultMax(10.5f, 0.0f, 6.0f);

TEST(FishRandom, BothDrawsFollowTheLinearCongruentialSequence)
{
    CFishRandom random(1);
    // 1 × 1103515245 + 12345 = 1103527590; (>> 16) & 0x7fff = 16838.
    EXPECT_FLOAT_EQ(random.Next(), 16838.0f / 32768.0f);
    CFishRandom spread(1);
    EXPECT_FLOAT_EQ(spread.Spread(12.0f, 6.0f), 12.0f + (2.0f * 16838.0f / 32768.0f - 1.0f) * 6.0f);
    CFishRandom between(1);
    EXPECT_FLOAT_EQ(between.Between(2.0f, 4.0f), 2.0f + 16838.0f / 32768.0f * 2.0f);
}

TEST(FishGrid, DefaultAreaIsCutIntoTenByTenByTwentyEightCells)
{
    CFishGrid grid;
    grid.Create(DefaultMin, DefaultMax);
    EXPECT_EQ(grid.GetSize().x, 10);
    EXPECT_EQ(grid.GetSize().y, 10);
    EXPECT_EQ(grid.GetSize().z, 28);
    EXPECT_NEAR(grid.GetCellSize().x, 2.1f, Tolerance);
    EXPECT_NEAR(grid.GetCellSize().y, 0.8f, Tolerance);
    EXPECT_NEAR(grid.GetCellSize().z, 0.25f, Tolerance);
    CVector3 const point = grid.GetCellPoint(vec3i(2, 3, 4));
    EXPECT_NEAR(point.x, -10.5f + 4.2f, Tolerance);
    EXPECT_NEAR(point.y, -8.0f + 2.4f, Tolerance);
    EXPECT_NEAR(point.z, -1.0f + 1.0f, Tolerance);
}

TEST(FishGrid, MinimumFacesAndTheHighShallowCornerAreNotUsable)
{
    CFishGrid grid;
    grid.Create(DefaultMin, DefaultMax);
    EXPECT_FALSE(grid.IsUsable(vec3i(0, 4, 4)));
    EXPECT_FALSE(grid.IsUsable(vec3i(4, 0, 4)));
    EXPECT_FALSE(grid.IsUsable(vec3i(4, 4, 0)));
    EXPECT_TRUE(grid.IsUsable(vec3i(1, 1, 1)));
    EXPECT_TRUE(grid.IsUsable(vec3i(9, 9, 27)));
    EXPECT_FALSE(grid.IsUsable(vec3i(10, 4, 4)));

    // An area reaching above y = 2: its cells there with z below 1.5 are closed.
    CFishGrid high;
    high.Create(CVector3(0.0f, 0.0f, 0.0f), CVector3(4.0f, 4.0f, 3.0f));
    EXPECT_EQ(high.GetSize().x, 2);
    EXPECT_EQ(high.GetSize().y, 5);
    EXPECT_EQ(high.GetSize().z, 12);
    EXPECT_FALSE(high.IsUsable(vec3i(1, 3, 2)));
    EXPECT_TRUE(high.IsUsable(vec3i(1, 3, 8)));
    EXPECT_TRUE(high.IsUsable(vec3i(1, 2, 2)));
}

TEST(FishGrid, CellOfPositionRoundsAndClampsIntoTheGrid)
{
    CFishGrid grid;
    grid.Create(DefaultMin, DefaultMax);
    vec3i cell = grid.GetCellOfPosition(DefaultMin + CVector3(2.1f * 1.4f, 0.8f * 1.6f, 0.25f * 3.0f));
    EXPECT_EQ(cell.x, 1);
    EXPECT_EQ(cell.y, 2);
    EXPECT_EQ(cell.z, 3);
    cell = grid.GetCellOfPosition(CVector3(100.0f, -100.0f, 1e30f));
    EXPECT_EQ(cell.x, 9);
    EXPECT_EQ(cell.y, 0);
    EXPECT_EQ(cell.z, 27);
    cell = grid.GetCellOfPosition(CVector3(std::nanf(""), -1e30f, -11.0f));
    EXPECT_TRUE(grid.IsInside(cell));
    EXPECT_TRUE(grid.IsBlocked(vec3i(-1, 0, 0)));
    EXPECT_TRUE(grid.IsBlocked(vec3i(0, 10, 0)));
}

TEST(FishGrid, BodyCoversCellsAboveAndBelowItsOwn)
{
    CFishGrid grid;
    grid.Create(DefaultMin, DefaultMax);
    // trunc(0.5 / (2 × 0.25) + 0.5) + 1 = 2 cells either side.
    EXPECT_EQ(grid.GetCoverReach(0.5f), 2);
    vec3i const cell(4, 4, 10);
    ASSERT_TRUE(grid.IsFreeFor(cell, 0.5f));
    grid.Occupy(cell, 0.5f);
    EXPECT_TRUE(grid.IsOccupied(vec3i(4, 4, 8)));
    EXPECT_TRUE(grid.IsOccupied(vec3i(4, 4, 12)));
    EXPECT_FALSE(grid.IsOccupied(vec3i(4, 4, 13)));
    EXPECT_FALSE(grid.IsFreeFor(vec3i(4, 4, 14), 0.5f));
    EXPECT_TRUE(grid.IsFreeFor(vec3i(4, 4, 15), 0.5f));
    EXPECT_TRUE(grid.IsFreeFor(vec3i(5, 4, 10), 0.5f));
    grid.Release(cell, 0.5f);
    EXPECT_TRUE(grid.IsFreeFor(vec3i(4, 4, 14), 0.5f));
    // Near the grid's edge the covered cells outside are ignored.
    grid.Occupy(vec3i(4, 4, 1), 0.5f);
    EXPECT_TRUE(grid.IsOccupied(vec3i(4, 4, 0)));
}

TEST(FishGrid, DegenerateAreasStillHaveCells)
{
    CFishGrid grid;
    grid.Create(CVector3(0.0f, 0.0f, 0.0f), CVector3(0.5f, 0.1f, 0.1f));
    EXPECT_EQ(grid.GetSize().x, 1);
    EXPECT_EQ(grid.GetSize().y, 1);
    EXPECT_EQ(grid.GetSize().z, 1);
    CFishGrid huge;
    huge.Create(CVector3(0.0f, 0.0f, 0.0f), CVector3(1e9f, 1.0f, 1.0f));
    EXPECT_LE(huge.GetSize().x, 256);
}

std::vector<std::uint8_t> MakeFishRecord()
{
    std::vector<std::uint8_t> bytes(SFishFile::Size, 0x7f);
    auto put = [&](std::size_t at, float value) { std::memcpy(bytes.data() + at, &value, 4); };
    std::memset(bytes.data(), 'a', 256);
    std::memcpy(bytes.data(), "fish12.mlf", 11);
    std::int32_t const variant = 2;
    std::memcpy(bytes.data() + 256, &variant, 4);
    put(260, 0.75f);
    put(264, 0.5f);
    put(268, 1.25f);
    put(344, 9.0f);
    return bytes;
}

TEST(FishFile, KeepsModelVariantDivisorAndReplacesTheBehaviourBlock)
{
    std::vector<std::uint8_t> bytes = MakeFishRecord();
    SFishFile file;
    file.Parse(bytes.data());
    EXPECT_STREQ(file.modelFileName, "fish12.mlf");
    EXPECT_EQ(file.textureVariant, 2);
    EXPECT_FLOAT_EQ(file.sizeDivisor, 0.75f);
    EXPECT_FLOAT_EQ(file.minimumWantedSpeed, 0.5f);
    EXPECT_FLOAT_EQ(file.maximumWantedSpeed, 1.25f);
    EXPECT_FLOAT_EQ(file.behaviour[0], 4.0f);
    EXPECT_FLOAT_EQ(file.behaviour[7], 1.047f);
    EXPECT_FLOAT_EQ(file.behaviour[16], 1.0f);
    EXPECT_FLOAT_EQ(file.value344, 9.0f);
    EXPECT_FLOAT_EQ(file.value348, 3.0f);

    // A name without its zero is cut to the buffer; a zero or broken divisor becomes 1.
    std::memset(bytes.data(), 'b', 256);
    float const zero = 0.0f;
    std::memcpy(bytes.data() + 260, &zero, 4);
    file.Parse(bytes.data());
    EXPECT_EQ(std::strlen(file.modelFileName), 255u);
    EXPECT_FLOAT_EQ(file.sizeDivisor, 1.0f);
    float const nan = std::nanf("");
    std::memcpy(bytes.data() + 260, &nan, 4);
    file.Parse(bytes.data());
    EXPECT_FLOAT_EQ(file.sizeDivisor, 1.0f);
}

SFishPack MakePack(int fishCount, bool enabled = true)
{
    SFishPack pack;
    pack.fishCount = fishCount;
    pack.enabled = enabled ? 1 : 0;
    return pack;
}

TEST(FishSelection, SlotsNamingMissingPacksOrFindingNoFishStayEmpty)
{
    SFishSelection selection;
    selection.slots[0] = {5, 0};  // pack 3: not installed
    selection.slots[1] = {1, 0};  // random
    selection.slots[2] = {2, 1};  // pack 0, fish 1
    selection.slots[3] = {-4, 0}; // broken kind
    CFishRandom random(7);
    selection.DrawRandomSlots(nullptr, 0, random);
    EXPECT_EQ(selection.GetFishSlotsCount(), 0u);

    SFishSelection withPack;
    withPack.slots[0] = {5, 0};
    withPack.slots[1] = {1, 0};
    withPack.slots[2] = {2, 1};
    SFishPack const packs[1] = {MakePack(3)};
    withPack.DrawRandomSlots(packs, 1, random);
    EXPECT_EQ(withPack.slots[0].kind, 0);
    EXPECT_EQ(withPack.slots[1].kind, 2);
    EXPECT_LT(withPack.slots[1].number, 3);
    EXPECT_EQ(withPack.slots[2].kind, 2);
    EXPECT_EQ(withPack.GetFishSlotsCount(), 2u);
}

TEST(FishSelection, RandomDrawsUseEnabledPacksAndDoNotRepeatWhenUnique)
{
    SFishPack const packs[3] = {MakePack(4, false), MakePack(4), MakePack(0)};
    for (std::uint32_t seed = 1; seed < 20; ++seed) {
        std::srand(seed);
        SFishSelection selection;
        selection.unique = true;
        for (auto& slot : selection.slots)
            slot.kind = 1;
        CFishRandom random(seed);
        selection.DrawRandomSlots(packs, 3, random);
        std::set<int> numbers;
        for (auto const& slot : selection.slots) {
            if (slot.kind == 0)
                continue;
            EXPECT_EQ(slot.kind, 3) << "only the second pack is enabled and has fish";
            EXPECT_TRUE(numbers.insert(slot.number).second) << "repeated fish " << slot.number;
        }
        // Four fish to share among ten slots: the other six stay empty.
        EXPECT_EQ(selection.GetFishSlotsCount(), 4u);
    }
}

TEST(FishSelection, ASinglePackNeverHandsOutItsReservedNumbers)
{
    SFishPack const packs[1] = {MakePack(30)};
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        std::srand(seed);
        SFishSelection selection;
        for (auto& slot : selection.slots)
            slot.kind = 1;
        CFishRandom random(seed);
        selection.DrawRandomSlots(packs, 1, random);
        for (auto const& slot : selection.slots) {
            ASSERT_EQ(slot.kind, 2);
            EXPECT_TRUE(slot.number != 8 && slot.number != 14 && slot.number != 16 && slot.number != 28);
        }
    }
}
} // namespace
