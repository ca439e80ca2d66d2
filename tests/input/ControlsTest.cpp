#include "input/Controls.h"
#include "core/Config.h"
#include "core/MessageManager.h"
#include "math/Vector.h"
#include "platform/window/EventPump.h"
#include "platform/window/x11/SdlEvents.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
// Controls fed with synthetic system events, one frame at a time.
class ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ResetInputState();
        m_messages.Create("controls", false, nullptr);
        m_config.Create(&m_messages, nullptr, nullptr, nullptr, nullptr, nullptr);
        m_controls.Create(&m_messages, &m_config, nullptr, nullptr);
        settings()->c_mouse_sensitivity = 1.0f;
    }

    void TearDown() override
    {
        m_controls.Destroy();
        m_config.Destroy();
        m_messages.Destroy();
        platform::ResetInputState();
    }

    SMainSettings* settings() { return m_config.GetMainSettings(); }

    static void Key(SDL_Scancode scancode, bool down)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        platform::HandleEvent(event);
    }

    static void Motion(int x, int y)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_MOUSEMOTION;
        event.motion.xrel = x;
        event.motion.yrel = y;
        platform::HandleEvent(event);
    }

    static void Button(Uint8 button, bool down)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = button;
        platform::HandleEvent(event);
    }

    static void Wheel(int notches)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_MOUSEWHEEL;
        event.wheel.y = notches;
        platform::HandleEvent(event);
    }

    // One frame in which the mouse moved by (x, y); returns the offset of that frame.
    CVector2 MouseFrame(int x, int y)
    {
        Motion(x, y);
        m_controls.BeginFrame();
        CVector2 const offset = m_controls.GetMouseOffset();
        m_controls.FinishFrame();
        return offset;
    }

    CMessageManager m_messages;
    CConfig m_config;
    CControls m_controls;
};

TEST_F(ControlsTest, CreationLogsEveryDeviceStep)
{
    std::string log;
    for (unsigned int i = 0; i < m_messages.GetMessagesCount(); ++i) {
        log += m_messages.GetMessageText(i);
    }
    EXPECT_EQ(log, "Initialization of DirectInput devices...\n"
                   "...Keyboard:\n"
                   "......Creating a DirectInput object...\n"
                   "......Obtaining an interface to the system keyboard device...\n"
                   "......Setting the data format...\n"
                   "......Setting the cooperativity level...\n"
                   "...Mouse:\n"
                   "......Creating a DirectInput object...\n"
                   "......Obtaining an interface to the system mouse device...\n"
                   "......Setting the data format...\n"
                   "......Setting the cooperativity level...\n");
}

TEST_F(ControlsTest, KeyNamesIgnoreCaseAndUnknownNamesAreNeverPressed)
{
    Key(SDL_SCANCODE_SPACE, true);
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressed("SPACE"));
    EXPECT_TRUE(m_controls.IsKeyPressed("space"));
    EXPECT_TRUE(m_controls.IsKeyPressed("Space"));
    EXPECT_FALSE(m_controls.IsKeyPressed("ENTER"));
    EXPECT_FALSE(m_controls.IsKeyPressed("SPACEBAR"));
    EXPECT_FALSE(m_controls.IsKeyPressed(""));
    EXPECT_TRUE(m_controls.IsAnyKeyPressed());
}

TEST_F(ControlsTest, NamesAddressTheListedKeyCodes)
{
    struct Case
    {
        SDL_Scancode scancode;
        char const* name;
        unsigned int index;
    };
    Case const cases[] = {
        {SDL_SCANCODE_ESCAPE, "ESCAPE", 0x01},         {SDL_SCANCODE_0, "0", 0x0B},
        {SDL_SCANCODE_KP_PERIOD, "NP_DELETE", 0x53},   {SDL_SCANCODE_KP_DIVIDE, "NP_DIVIDE", 0xB5},
        {SDL_SCANCODE_RCTRL, "RCTRL", 0x9D},           {SDL_SCANCODE_RALT, "RALT", 0xB8},
        {SDL_SCANCODE_PRINTSCREEN, "PRINTSCRN", 0xB7}, {SDL_SCANCODE_GRAVE, "~", 0x29},
        {SDL_SCANCODE_BACKSLASH, "\\", 0x2B},          {SDL_SCANCODE_F12, "F12", 0x58},
        {SDL_SCANCODE_PAUSE, "PAUSE", 0xC5},           {SDL_SCANCODE_APOSTROPHE, "'", 0x28},
    };
    for (Case const& c : cases) {
        Key(c.scancode, true);
        m_controls.BeginFrame();
        EXPECT_TRUE(m_controls.IsKeyPressed(c.name)) << c.name;
        EXPECT_NE(m_controls.GetControlsState()->currentState[c.index], 0) << c.name;
        Key(c.scancode, false);
        m_controls.BeginFrame();
        EXPECT_FALSE(m_controls.IsKeyPressed(c.name)) << c.name;
        m_controls.FinishFrame();
    }
}

TEST_F(ControlsTest, KeyHeldForThreeFramesIsPressedOnceOnTheFirstOnly)
{
    Key(SDL_SCANCODE_W, true);
    bool once[3];
    bool held[3];
    for (int frame = 0; frame < 3; ++frame) {
        m_controls.BeginFrame();
        once[frame] = m_controls.IsKeyPressedOnce("w");
        held[frame] = m_controls.IsKeyPressed("W");
        m_controls.FinishFrame();
    }
    EXPECT_TRUE(once[0]);
    EXPECT_FALSE(once[1]);
    EXPECT_FALSE(once[2]);
    EXPECT_TRUE(held[0] && held[1] && held[2]);

    Key(SDL_SCANCODE_W, false);
    m_controls.BeginFrame();
    m_controls.FinishFrame();
    Key(SDL_SCANCODE_W, true);
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressedOnce("W"));
}

TEST_F(ControlsTest, AHeldKeyTappedAgainBetweenFramesIsUpForOneFrameThenPressedOnce)
{
    Key(SDL_SCANCODE_W, true);
    m_controls.BeginFrame();
    m_controls.FinishFrame();
    Key(SDL_SCANCODE_W, false);
    Key(SDL_SCANCODE_W, true);
    m_controls.BeginFrame();
    EXPECT_FALSE(m_controls.IsKeyPressed("W"));
    m_controls.FinishFrame();
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressedOnce("W"));
}

TEST_F(ControlsTest, MouseButtonsFillTheStateAfterTheKeyboard)
{
    Button(SDL_BUTTON_LEFT, true);
    Button(SDL_BUTTON_RIGHT, true);
    Button(SDL_BUTTON_X2, true);
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressed("MOUSE1"));
    EXPECT_TRUE(m_controls.IsKeyPressed("MOUSE2"));
    EXPECT_FALSE(m_controls.IsKeyPressed("MOUSE3"));
    EXPECT_TRUE(m_controls.IsKeyPressed("MOUSE5"));
    EXPECT_NE(m_controls.GetControlsState()->currentState[256], 0);
    EXPECT_NE(m_controls.GetControlsState()->mouse.buttons[1], 0);
    m_controls.FinishFrame();

    Button(SDL_BUTTON_LEFT, false);
    m_controls.BeginFrame();
    EXPECT_FALSE(m_controls.IsKeyPressed("MOUSE1"));
    EXPECT_TRUE(m_controls.IsKeyPressed("MOUSE2"));
}

TEST_F(ControlsTest, MovementIsInvertedAndScaledBySensitivity)
{
    settings()->c_mouse_sensitivity = 1.25f;
    settings()->c_invert_mouse = false;
    CVector2 offset = MouseFrame(0, 8);
    EXPECT_FLOAT_EQ(offset.y, -10.0f);
    EXPECT_FLOAT_EQ(offset.x, 0.0f);

    settings()->c_invert_mouse = true;
    offset = MouseFrame(-4, 8);
    EXPECT_FLOAT_EQ(offset.y, 10.0f);
    EXPECT_FLOAT_EQ(offset.x, -5.0f);

    // Movement gathered over several events belongs to one frame; the next frame starts at 0.
    Motion(1, 0);
    Motion(2, 0);
    offset = MouseFrame(3, 0);
    EXPECT_FLOAT_EQ(offset.x, 7.5f);
    m_controls.BeginFrame();
    EXPECT_FLOAT_EQ(m_controls.GetMouseOffset().x, 0.0f);
}

TEST_F(ControlsTest, SmoothingRisesTowardsASteadyMovement)
{
    settings()->c_smooth_mouse = true;
    settings()->c_invert_mouse = true;
    float const weightSum = 2.4848881f;
    float weights = 0.0f;
    float weight = 1.0f;
    float previous = 0.0f;
    for (int frame = 0; frame < 10; ++frame) {
        weights += weight;
        weight *= 0.6f;
        CVector2 const offset = MouseFrame(10, 10);
        EXPECT_NEAR(offset.x, 10.0f * weights / weightSum, 1e-4f) << frame;
        EXPECT_NEAR(offset.y, offset.x, 1e-6f);
        EXPECT_GT(offset.x, previous);
        previous = offset.x;
    }
    EXPECT_NEAR(previous, 10.0f, 1e-4f);
    // Fully settled after ten frames.
    EXPECT_NEAR(MouseFrame(10, 10).x, 10.0f, 1e-4f);
}

TEST_F(ControlsTest, SmoothingStartsAtTheNewestSampleOverTheWeightSum)
{
    settings()->c_smooth_mouse = true;
    EXPECT_NEAR(MouseFrame(10, 0).x, 4.0243f, 1e-3f);
}

TEST_F(ControlsTest, SmallMovementsPassThroughSmoothing)
{
    settings()->c_smooth_mouse = true;
    settings()->c_invert_mouse = true;
    MouseFrame(50, 50);
    CVector2 const offset = MouseFrame(2, -2);
    EXPECT_FLOAT_EQ(offset.x, 2.0f);
    EXPECT_FLOAT_EQ(offset.y, -2.0f);
}

TEST_F(ControlsTest, SmoothingClampsLargeMovementsTo100)
{
    settings()->c_smooth_mouse = true;
    settings()->c_invert_mouse = true;
    CVector2 const offset = MouseFrame(500, -500);
    EXPECT_EQ(m_controls.GetControlsState()->mouse.x, 100);
    EXPECT_EQ(m_controls.GetControlsState()->mouse.y, -100);
    EXPECT_NEAR(offset.x, 100.0f / 2.4848881f, 1e-3f);
    EXPECT_NEAR(offset.y, -100.0f / 2.4848881f, 1e-3f);
    // The history holds 100, not 500: a following zero frame averages 0.6 * 100.
    EXPECT_NEAR(MouseFrame(3, 0).x, (3.0f + 60.0f) / 2.4848881f, 1e-3f);
}

TEST_F(ControlsTest, WheelIsReportedAtMostEverySecondFrame)
{
    long reported[4];
    for (int frame = 0; frame < 4; ++frame) {
        Wheel(1);
        m_controls.BeginFrame();
        reported[frame] = m_controls.GetMouseWheelOffset();
        m_controls.FinishFrame();
    }
    EXPECT_EQ(reported[0], 120);
    EXPECT_EQ(reported[1], 0);
    EXPECT_EQ(reported[2], 120);
    EXPECT_EQ(reported[3], 0);

    Wheel(-2);
    m_controls.BeginFrame();
    EXPECT_EQ(m_controls.GetMouseWheelOffset(), -240);
    m_controls.BeginFrame();
    m_controls.BeginFrame();
    EXPECT_EQ(m_controls.GetMouseWheelOffset(), 0);
}

TEST_F(ControlsTest, DisabledInputStaysOffUntilAFrameWithoutTyping)
{
    Key(SDL_SCANCODE_A, true);
    SControlsState* state = m_controls.GetControlsState();
    m_controls.DisableInput();
    state->entered = true;
    state->isCharacter = true;
    state->enteredCode = 'a';
    m_controls.BeginFrame();
    EXPECT_FALSE(m_controls.IsAnyKeyPressed());
    EXPECT_FALSE(m_controls.IsKeyPressed("A"));
    EXPECT_FALSE(m_controls.IsKeyPressedOnce("A"));
    char code = 0;
    bool isCharacter = false;
    EXPECT_FALSE(m_controls.GetEnteredCharacter(&code, &isCharacter));
    EXPECT_EQ(state->currentState[0x1E], 0);
    m_controls.FinishFrame();

    // Nothing typed since: input comes back.
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressed("A"));
    state->entered = true;
    state->isCharacter = true;
    state->enteredCode = 'b';
    EXPECT_TRUE(m_controls.GetEnteredCharacter(&code, &isCharacter));
    EXPECT_EQ(code, 'b');
    EXPECT_TRUE(isCharacter);
    m_controls.FinishFrame();
    EXPECT_FALSE(m_controls.GetEnteredCharacter(&code, &isCharacter));
}

TEST_F(ControlsTest, DestroyLogsAndFreesOnce)
{
    m_messages.ClearMessagesBuffer();
    m_controls.Destroy();
    EXPECT_TRUE(m_controls.IsFree());
    ASSERT_EQ(m_messages.GetMessagesCount(), 4u);
    EXPECT_STREQ(m_messages.GetMessageText(0), "\nDirectInput devices destroying:\n");
    EXPECT_STREQ(m_messages.GetMessageText(1), "...Keyboard...\n");
    EXPECT_STREQ(m_messages.GetMessageText(2), "...Mouse...\n");
    EXPECT_STREQ(m_messages.GetMessageText(3), "...DirectInput object...\n");
    m_controls.Destroy();
    EXPECT_EQ(m_messages.GetMessagesCount(), 4u);
    EXPECT_FALSE(m_controls.IsKeyPressed("A"));
}
} // namespace
