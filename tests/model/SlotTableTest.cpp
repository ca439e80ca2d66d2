#include <gtest/gtest.h>

#include <vector>

#include "model/SlotTable.h"

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
