#ifdef CORALUME_WAYLAND

#include "platform/window/wayland/EvdevKeyMap.h"
#include "platform/window/wayland/FrameMirror.h"
#include "platform/window/wayland/OutputAtlas.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

using platform::wayland::ArrangeOutputAtlas;
using platform::wayland::CoverSourceRectangle;
using platform::wayland::EvdevToKeyCode;
using platform::wayland::EvdevToVirtualKey;

TEST(EvdevKeyMap, WaylandKeysReachTheEngineKeyCodesTheX11PathGives)
{
    EXPECT_EQ(EvdevToKeyCode(KEY_ESC), 0x01);
    EXPECT_EQ(EvdevToKeyCode(KEY_A), 0x1E);
    EXPECT_EQ(EvdevToKeyCode(KEY_F12), 0x58);
    // Extended keys carry 0x80, as on the scan-code side.
    EXPECT_EQ(EvdevToKeyCode(KEY_RIGHTCTRL), 0x9D);
    EXPECT_EQ(EvdevToKeyCode(KEY_UP), 0xC8);
    EXPECT_EQ(EvdevToKeyCode(KEY_KPENTER), 0x9C);
    EXPECT_EQ(EvdevToVirtualKey(KEY_SPACE), 0x20);
    EXPECT_EQ(EvdevToVirtualKey(KEY_LEFT), 0x25);
    // Unknown and out-of-range codes have no key code.
    EXPECT_EQ(EvdevToKeyCode(KEY_RESERVED), 0);
    EXPECT_EQ(EvdevToKeyCode(KEY_MAX + 1), 0);
    EXPECT_EQ(EvdevToKeyCode(0xFFFFFFFFu), 0);
}

TEST(FrameMirror, CopiesTheCentredPartWithTheTargetsAspectRatio)
{
    // A wide picture onto a 4:3 output loses its sides.
    auto wide = CoverSourceRectangle(1920, 1080, 1024, 768);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.width, 1440);
    EXPECT_EQ(wide.height, 1080);
    // A 4:3 picture onto a wide output loses top and bottom.
    auto tall = CoverSourceRectangle(1024, 768, 1280, 720);
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, 96);
    EXPECT_EQ(tall.width, 1024);
    EXPECT_EQ(tall.height, 576);
    // Same aspect ratio, any size: the whole picture.
    auto same = CoverSourceRectangle(1280, 720, 2560, 1440);
    EXPECT_EQ(same.x, 0);
    EXPECT_EQ(same.y, 0);
    EXPECT_EQ(same.width, 1280);
    EXPECT_EQ(same.height, 720);
}

TEST(OutputAtlas, OutputsLieWhereTheCompositorPutsThemAtTheFinestScaleOrInOneRowWhereTheyOverlap)
{
    // 1024 x 768 at scale 2 (512 logical units wide) at 0, 0; 1280 x 400 at scale 1 at 512, 0.
    auto const placed = ArrangeOutputAtlas({{0, 0, 512, 1024, 768}, {512, 0, 1280, 1280, 400}});
    ASSERT_EQ(placed.areas.size(), 2u);
    EXPECT_EQ(placed.areas[1].x, 1024);
    EXPECT_EQ(placed.areas[1].y, 0);
    EXPECT_EQ(placed.width, 2304);
    EXPECT_EQ(placed.height, 768);
    // Both at 0, 0 (mirrored, or not placed yet): side by side instead.
    auto const mirrored = ArrangeOutputAtlas({{0, 0, 800, 800, 600}, {0, 0, 640, 640, 480}});
    ASSERT_EQ(mirrored.areas.size(), 2u);
    EXPECT_EQ(mirrored.areas[0].x, 0);
    EXPECT_EQ(mirrored.areas[1].x, 800);
    EXPECT_EQ(mirrored.width, 1440);
    EXPECT_EQ(mirrored.height, 600);
    // Beyond what one buffer can hold: none.
    EXPECT_TRUE(ArrangeOutputAtlas({{0, 0, 9000, 9000, 100}, {9000, 0, 9000, 9000, 100}}).IsEmpty());
}

#endif
