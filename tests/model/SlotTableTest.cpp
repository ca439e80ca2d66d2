#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/SlotTable.h"

namespace
{
// Notes its own deletion.
struct SCounted
{
    explicit SCounted(int* deletions) : deletions(deletions) {}
    ~SCounted() { ++*deletions; }
    int* deletions;
};

std::vector<unsigned int> OccupiedSlots(TSlotTable<SCounted> const& table)
{
    std::vector<unsigned int> slots;
    for (unsigned int i = 0; i < table.GetOccupiedCount(); ++i)
        slots.push_back(table.GetOccupiedSlot(i));
    return slots;
}
} // namespace

TEST(SlotTable, FreedSlotsAreReusedLatestFirstAndOrderFollowsAdding)
{
    int deletions = 0;
    TSlotTable<SCounted> table;
    SCounted* a = table.Insert(new SCounted(&deletions));
    SCounted* b = table.Insert(new SCounted(&deletions));
    SCounted* c = table.Insert(new SCounted(&deletions));
    EXPECT_TRUE(table.Remove(a));
    EXPECT_TRUE(table.Remove(c));
    EXPECT_EQ(deletions, 2);
    EXPECT_EQ(table.Get(0), nullptr);
    EXPECT_EQ(table.Get(1), b);
    EXPECT_EQ(table.Get(3), nullptr);

    SCounted* d = table.Insert(new SCounted(&deletions));
    SCounted* e = table.Insert(new SCounted(&deletions));
    EXPECT_EQ(table.Get(2), d);
    EXPECT_EQ(table.Get(0), e);
    EXPECT_EQ(table.GetSlotsCount(), 3u);
    EXPECT_EQ(OccupiedSlots(table), (std::vector<unsigned int>{1, 2, 0}));
    std::vector<SCounted*> visited;
    table.ForEach([&](SCounted* object) { visited.push_back(object); });
    EXPECT_EQ(visited, (std::vector<SCounted*>{b, d, e}));
}

TEST(SlotTable, UnknownObjectsAreLeftAloneAndClearDeletesTheRest)
{
    int deletions = 0;
    SCounted stranger(&deletions);
    {
        TSlotTable<SCounted> table;
        table.Insert(new SCounted(&deletions));
        table.Insert(new SCounted(&deletions));
        EXPECT_FALSE(table.Remove(&stranger));
        EXPECT_FALSE(table.Remove(nullptr));
        EXPECT_EQ(deletions, 0);
        table.Clear();
        EXPECT_EQ(deletions, 2);
        EXPECT_EQ(table.GetOccupiedCount(), 0u);
        table.Insert(new SCounted(&deletions));
    }
    // The table deletes what it still holds when it goes.
    EXPECT_EQ(deletions, 3);
}

TEST(SlotTable, FindGivesTheFirstMatchInAddingOrderAndItsSlotCanBeFreed)
{
    int deletions = 0;
    TSlotTable<SCounted> table;
    table.Add(std::make_unique<SCounted>(&deletions));
    unsigned int const second = table.Add(std::make_unique<SCounted>(&deletions));
    table.RemoveSlot(0);
    unsigned int const reused = table.Add(std::make_unique<SCounted>(&deletions));
    EXPECT_EQ(reused, 0u);

    unsigned int found = 99;
    EXPECT_TRUE(table.Find([](SCounted const&) { return true; }, &found));
    EXPECT_EQ(found, second);
    SCounted const* latest = table.Get(reused);
    EXPECT_TRUE(table.Find([latest](SCounted const& held) { return &held == latest; }, &found));
    EXPECT_EQ(found, reused);
    EXPECT_FALSE(table.Find([](SCounted const&) { return false; }, &found));
    EXPECT_EQ(found, reused);

    table.RemoveSlot(second);
    EXPECT_EQ(deletions, 2);
    EXPECT_EQ(OccupiedSlots(table), (std::vector<unsigned int>{0}));
}
