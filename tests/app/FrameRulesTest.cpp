#include "ExitRules.h"
#include "FramePacing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{
class CScriptedInput : public IExitInput
{
public:
    CVector2 GetMouseOffset() override { return mouse; }
    bool IsKeyPressed(char const* name) override { return keys.count(name) != 0; }
    bool IsAnyKeyPressed() override { return !keys.empty(); }
    bool IsEscapeDownForSystem() override { return systemEscape; }
    bool IsConsoleTakingKeys() override { return consoleOpen; }

    CVector2 mouse{0.0f, 0.0f};
    std::set<std::string> keys;
    bool systemEscape = false;
    bool consoleOpen = false;
};
} // namespace

TEST(ExitRules, HalfSecondGuard)
{
    CScriptedInput input;
    input.keys = {"ESCAPE"};
    EXPECT_EQ(CExitRules::CountRequests(2, 0.3f, input), 0);
    EXPECT_EQ(CExitRules::CountRequests(2, 0.5f, input), 0);
    EXPECT_EQ(CExitRules::CountRequests(2, 0.6f, input), 1);
    input.keys = {"SPACE"};
    EXPECT_EQ(CExitRules::CountRequests(3, 0.3f, input), 0);
    EXPECT_EQ(CExitRules::CountRequests(3, 0.6f, input), 1);
}

TEST(ExitRules, TheOpenConsoleKeepsItsKeys)
{
    CScriptedInput input;
    input.keys = {"ESCAPE"};
    input.systemEscape = true;
    input.consoleOpen = true;
    for (int mode : {2, 3, 4})
        EXPECT_EQ(CExitRules::CountRequests(mode, 1.0f, input), 0) << mode;
    input.mouse = CVector2(0.5f, 0.0f);
    EXPECT_EQ(CExitRules::CountRequests(4, 1.0f, input), 1);
    input.consoleOpen = false;
    EXPECT_EQ(CExitRules::CountRequests(2, 1.0f, input), 1);
}

TEST(ExitRules, OnlyTheScreenSaverProperEndsOnInput)
{
    EXPECT_TRUE(CExitRules::AppliesTo(RUN_SCREENSAVER, false));
    EXPECT_FALSE(CExitRules::AppliesTo(RUN_SCREENSAVER, true));
    EXPECT_FALSE(CExitRules::AppliesTo(RUN_WALLPAPER, false));
    EXPECT_FALSE(CExitRules::AppliesTo(RUN_PREVIEW, false));
}

TEST(ExitRules, EachModeLooksAtItsOwnInput)
{
    CScriptedInput still;
    for (int mode = -1; mode <= 5; ++mode)
        EXPECT_EQ(CExitRules::CountRequests(mode, 1.0f, still), 0) << mode;

    CScriptedInput moved;
    moved.mouse = CVector2(0.0f, -0.02f);
    EXPECT_EQ(CExitRules::CountRequests(0, 1.0f, moved), 1);
    EXPECT_EQ(CExitRules::CountRequests(2, 1.0f, moved), 0);
    EXPECT_EQ(CExitRules::CountRequests(4, 1.0f, moved), 1);
    moved.mouse = CVector2(0.01f, 0.01f); // not above the threshold
    EXPECT_EQ(CExitRules::CountRequests(0, 1.0f, moved), 0);

    for (char const* button : {"MOUSE1", "MOUSE2", "MOUSE3"}) {
        CScriptedInput clicked;
        clicked.keys = {button};
        EXPECT_EQ(CExitRules::CountRequests(1, 1.0f, clicked), 1) << button;
        EXPECT_EQ(CExitRules::CountRequests(2, 1.0f, clicked), 0) << button;
    }

    CScriptedInput key;
    key.keys = {"A"};
    EXPECT_EQ(CExitRules::CountRequests(1, 1.0f, key), 0);
    EXPECT_EQ(CExitRules::CountRequests(2, 1.0f, key), 0);
    EXPECT_EQ(CExitRules::CountRequests(3, 1.0f, key), 1);
    EXPECT_EQ(CExitRules::CountRequests(5, 1.0f, key), 0); // never by input
}

TEST(ExitRules, EscapeSeenOnlyByTheSystem)
{
    CScriptedInput input;
    input.systemEscape = true;
    EXPECT_EQ(CExitRules::CountRequests(2, 1.0f, input), 1);
    EXPECT_EQ(CExitRules::CountRequests(3, 1.0f, input), 0);
}

TEST(ExitRules, MouseAndKeyBothRequestInModeFour)
{
    CScriptedInput input;
    input.mouse = CVector2(0.5f, 0.0f);
    input.keys = {"B"};
    EXPECT_EQ(CExitRules::CountRequests(4, 1.0f, input), 2);
    EXPECT_EQ(CExitRules::CountRequests(4, 0.4f, input), 0);
}

TEST(FramePacing, PausesByModeAndPriority)
{
    EXPECT_EQ(CFramePacing::GetPause(RUN_SCREENSAVER, 0), 0u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_PREVIEW, 9), 100u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, 9), 15u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, 0), 150u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, 10), 0u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, 11), 0u); // above 10 counts as 10
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, 1000000), 0u);
    EXPECT_EQ(CFramePacing::GetPause(RUN_WALLPAPER, -3), 150u); // below 0 counts as 0
}

TEST(FrameRateCap, SleepsOutTheRestOfThePeriodAndNothingWithoutACeiling)
{
    double const period = 1.0 / 60.0;
    EXPECT_NEAR(CFrameRateCap::GetWait(1.0, 1.005, 60), period - 0.005, 1e-9);
    EXPECT_EQ(CFrameRateCap::GetWait(1.0, 1.0 + 2.0 * period, 60), 0.0); // a late frame waits for nothing
    EXPECT_EQ(CFrameRateCap::GetWait(1.0, 1.005, 0), 0.0);
    EXPECT_EQ(CFrameRateCap::GetWait(1.0, 1.005, -5), 0.0);
}

TEST(FrameRateCap, QuickFramesMakeUpForASlowOneButNotForALongStall)
{
    double const period = 1.0 / 60.0;
    EXPECT_DOUBLE_EQ(CFrameRateCap::GetNextDue(1.0, 1.005, 60), 1.0 + period);
    EXPECT_DOUBLE_EQ(CFrameRateCap::GetNextDue(1.0, 1.0 + 2.5 * period, 60), 1.0 + period);
    EXPECT_DOUBLE_EQ(CFrameRateCap::GetNextDue(1.0, 3.0, 60), 3.0);
}
