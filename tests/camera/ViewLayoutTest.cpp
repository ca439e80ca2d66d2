#include <gtest/gtest.h>

#include <vector>

#include "render/ViewLayout.h"

namespace
{
using Monitors = std::vector<platform::MonitorRect>;

// 800x600 beside 1280x720, top aligned.
Monitors const SideBySide = {{0, 0, 800, 600}, {800, 0, 1280, 720}};
// 1280x720 above 800x600.
Monitors const Stacked = {{0, 0, 1280, 720}, {0, 720, 800, 600}};

TEST(ViewLayoutTest, AutomaticSpansMonitorsInOneRowAndGivesStackedOnesAViewEach)
{
    std::vector<SView> const row =
        CViewLayout::MakeViews(SideBySide, EMonitorLayout::Automatic, 2080, 720, 2080, 720);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_FLOAT_EQ(row[0].aspect, 2080.0f / 720.0f);
    EXPECT_FLOAT_EQ(row[1].part.left, 800.0f / 2080.0f);
    EXPECT_FLOAT_EQ(row[0].part.height, 600.0f / 720.0f);

    std::vector<SView> const column =
        CViewLayout::MakeViews(Stacked, EMonitorLayout::Automatic, 1280, 1320, 1280, 1320);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_FLOAT_EQ(column[1].aspect, 800.0f / 600.0f);
    EXPECT_EQ(column[1].part, SFrustumPart{});
    EXPECT_EQ(column[1].y, 720u);
}

TEST(ViewLayoutTest, MonitorsAreScaledToTheBackBufferAndClippedToIt)
{
    // A drawable of twice the back buffer's size, one monitor reaching past it, one outside.
    Monitors const monitors = {{0, 0, 1000, 800}, {1000, 0, 2000, 800}, {5000, 0, 100, 100}};
    std::vector<SView> const views =
        CViewLayout::MakeViews(monitors, EMonitorLayout::Each, 2000, 800, 1000, 400);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0].width, 500u);
    EXPECT_EQ(views[0].height, 400u);
    EXPECT_EQ(views[1].x, 500u);
    EXPECT_EQ(views[1].width, 500u);

    std::vector<SView> const none = CViewLayout::MakeViews({}, EMonitorLayout::Span, 640, 480, 640, 480);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].width, 640u);
    EXPECT_FLOAT_EQ(none[0].aspect, 640.0f / 480.0f);
}

TEST(ViewLayoutTest, TheEnclosingViewHoldsEveryViewsVolume)
{
    // Each: the widest monitor sets how far sideways the volume reaches.
    std::vector<SView> const each =
        CViewLayout::MakeViews(SideBySide, EMonitorLayout::Each, 2080, 720, 2080, 720);
    SView const eachEnclosing = CViewLayout::MakeEnclosingView(each, 2080, 720);
    EXPECT_FLOAT_EQ(eachEnclosing.aspect, 1280.0f / 720.0f);
    EXPECT_EQ(eachEnclosing.part, SFrustumPart{});

    // Span: the volume over both monitors.
    std::vector<SView> const span =
        CViewLayout::MakeViews(SideBySide, EMonitorLayout::Span, 2080, 720, 2080, 720);
    SView const spanEnclosing = CViewLayout::MakeEnclosingView(span, 2080, 720);
    EXPECT_FLOAT_EQ(spanEnclosing.aspect, 2080.0f / 720.0f);
    EXPECT_NEAR(spanEnclosing.part.left, 0.0f, 1e-6f);
    EXPECT_NEAR(spanEnclosing.part.width, 1.0f, 1e-6f);
    EXPECT_NEAR(spanEnclosing.part.height, 1.0f, 1e-6f);
}
TEST(ViewLayoutTest, ConfiguredMonitorsAreReadWholeOrNotAtAll)
{
    Monitors const monitors = ParseMonitorRects("800x600+0+0,1280x720+800+0");
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_EQ(monitors[1].x, 800);
    EXPECT_EQ(monitors[1].width, 1280);
    EXPECT_EQ(monitors[1].height, 720);
    for (char const* bad : {"800x600", "800x600+0+0 junk", "0x600+0+0", "800x600+-5+0", "800x600+0+0x"})
        EXPECT_TRUE(ParseMonitorRects(bad).empty()) << bad;
    EXPECT_TRUE(ParseMonitorRects("").empty());
}
} // namespace
