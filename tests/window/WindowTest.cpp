#include "render/Window.h"
#include "core/Config.h"
#include "core/MessageManager.h"
#include "input/Controls.h"
#include "math/Vector.h"
#include "platform/os/SingleInstance.h"
#include "platform/window/Display.h"
#include "platform/window/EventPump.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/WindowMessages.h"
#include "platform/window/x11/SdlWindowAccess.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr char const* Title = "Tidewell test window";

// Exposes the ramp arithmetic.
class TestWindow : public CWindow
{
public:
    using CWindow::BuildGammaRamp;
    using CWindow::SetGammaRamp;
};

bool HasDisplay()
{
    return std::getenv("DISPLAY") != nullptr && platform::InitializeVideo();
}

// Handles every waiting event, including those the window system sends on its own.
void PumpAll()
{
    for (int pass = 0; pass < 10; ++pass) {
        int handled = 0;
        while (handled < 1000 && platform::PumpOneEvent()) {
            ++handled;
        }
        if (handled == 0) {
            return;
        }
        SDL_Delay(5);
    }
}

void PushWindowEvent(HWND window, Uint8 kind)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
    event.window.event = kind;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

std::string Log(CMessageManager& messages)
{
    std::string log;
    for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
        log += messages.GetMessageText(i);
    }
    return log;
}

// A real top-level window on the X display with the controls behind it.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display";
        }
        platform::ResetInputState();
        m_messages.Create("window", false, nullptr);
        m_config.Create(&m_messages, nullptr, nullptr, nullptr, nullptr, nullptr);
        m_window.Create(&m_messages, nullptr, &m_config, &m_controls, Title, nullptr, 0, 320, 240, false);
        m_controls.Create(&m_messages, &m_config, m_window.GetHandler(), m_window.GetInstance());
        // Away from the pointer (the display's centre), so no real motion reaches the window
        // while other tests open windows on the same display.
        SDL_SetWindowPosition(platform::GetSdlWindow(m_window.GetHandler()), 0, 0);
        SDL_Delay(20);
        PumpAll();
        m_controls.BeginFrame();
        m_controls.FinishFrame();
    }

    void TearDown() override
    {
        m_controls.Destroy();
        m_window.Destroy();
        m_config.Destroy();
        m_messages.Destroy();
        platform::ResetInputState();
    }

    SMainSettings* settings() { return m_config.GetMainSettings(); }
    Uint32 windowId() { return SDL_GetWindowID(platform::GetSdlWindow(m_window.GetHandler())); }

    CMessageManager m_messages;
    CConfig m_config;
    CControls m_controls;
    TestWindow m_window;
};

TEST_F(WindowTest, CreatesAnOpenGLWindowOfTheRequestedSize)
{
    HWND const handle = m_window.GetHandler();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(m_window.GetParentHandler(), nullptr);
    EXPECT_NE(m_window.GetInstance(), nullptr);
    EXPECT_NE(m_window.GetDeviceContext(), nullptr);
    EXPECT_EQ(m_window.GetWidth(), 320u);
    EXPECT_EQ(m_window.GetHeight(), 240u);
    EXPECT_NE(SDL_GetWindowFlags(platform::GetSdlWindow(handle)) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(platform::GetSdlWindow(handle)), Title);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(handle), &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(Log(m_messages)
                  .rfind(" \nWindow creation:\n...Registering the window class...\n"
                         "...Creating a device context...\n",
                         0),
              0u);
}

TEST_F(WindowTest, InjectedKeysAndMouseReachTheControls)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.windowID = windowId();
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = SDL_SCANCODE_A;
    ASSERT_EQ(SDL_PushEvent(&event), 1);

    SDL_zero(event);
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId();
    event.motion.xrel = 4;
    event.motion.yrel = 8;
    ASSERT_EQ(SDL_PushEvent(&event), 1);

    SDL_zero(event);
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = windowId();
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);

    SDL_zero(event);
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = windowId();
    event.wheel.y = 1;
    ASSERT_EQ(SDL_PushEvent(&event), 1);

    PumpAll();
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressed("A"));
    EXPECT_TRUE(m_controls.IsKeyPressedOnce("a"));
    EXPECT_TRUE(m_controls.IsKeyPressed("MOUSE2"));
    EXPECT_FALSE(m_controls.IsKeyPressed("MOUSE1"));
    CVector2 const offset = m_controls.GetMouseOffset();
    EXPECT_FLOAT_EQ(offset.x, 5.0f);
    EXPECT_FLOAT_EQ(offset.y, -10.0f);
    EXPECT_EQ(m_controls.GetMouseWheelOffset(), 120);
    char code = 0;
    bool isCharacter = true;
    ASSERT_TRUE(m_controls.GetEnteredCharacter(&code, &isCharacter));
    EXPECT_EQ(code, 'A');
    EXPECT_FALSE(isCharacter);
    m_controls.FinishFrame();

    SDL_zero(event);
    event.type = SDL_TEXTINPUT;
    event.text.windowID = windowId();
    std::strcpy(event.text.text, "q");
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    PumpAll();
    m_controls.BeginFrame();
    ASSERT_TRUE(m_controls.GetEnteredCharacter(&code, &isCharacter));
    EXPECT_EQ(code, 'q');
    EXPECT_TRUE(isCharacter);
    EXPECT_TRUE(m_controls.IsKeyPressed("A"));
    EXPECT_FALSE(m_controls.IsKeyPressedOnce("A"));
    m_controls.FinishFrame();
    m_controls.BeginFrame();
    EXPECT_FALSE(m_controls.GetEnteredCharacter(&code, &isCharacter));
}

TEST_F(WindowTest, TapsBetweenSlowFramesCountOnceInTheNextFrame)
{
    // Software rendering at 5 frames/s: a key tap and a click of 10 ms each start and end
    // while the previous frame is drawn.
    constexpr Uint32 TapMs = 10;
    constexpr Uint32 SlowFrameMs = 200;
    SDL_Event event;
    SDL_zero(event);
    event.key.windowID = windowId();
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    SDL_Delay(TapMs);
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    SDL_zero(event);
    event.button.windowID = windowId();
    event.button.button = SDL_BUTTON_LEFT;
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    SDL_Delay(TapMs);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.state = SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    SDL_Delay(SlowFrameMs);

    PumpAll();
    m_controls.BeginFrame();
    EXPECT_TRUE(m_controls.IsKeyPressedOnce("ESCAPE"));
    EXPECT_TRUE(m_controls.IsKeyPressedOnce("MOUSE1"));
    SDL_Delay(SlowFrameMs);
    m_controls.FinishFrame();
    PumpAll();
    m_controls.BeginFrame();
    EXPECT_FALSE(m_controls.IsAnyKeyPressed());
}

TEST_F(WindowTest, MouseIsReadRelativeWhileNoPointerIsShown)
{
    platform::SetKeyboardFocusState(m_window.GetHandler(), true);
    m_controls.ShowCursor(false);
    m_controls.BeginFrame();
    m_controls.FinishFrame();
    EXPECT_TRUE(SDL_GetRelativeMouseMode())
        << SDL_GetError() << "; focus " << platform::HasKeyboardFocus(m_window.GetHandler()) << ", cursor "
        << SDL_ShowCursor(SDL_QUERY);
    m_controls.ShowCursor(true);
    m_controls.BeginFrame();
    m_controls.FinishFrame();
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
}

TEST_F(WindowTest, APointerAtTheEdgeOfAFullScreenWindowIsPutOneStepInside)
{
    // The bottom-right corner, away from the other tests' windows.
    m_window.SetMode(1280, 1024, true, 1280, 1024);
    PumpAll();
    platform::SetKeyboardFocusState(m_window.GetHandler(), true);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(m_window.GetHandler()), &width, &height);
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId();
    event.motion.x = width - 1;
    event.motion.y = height - 1;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    PumpAll();
    m_controls.BeginFrame();
    CVector2 const position = m_controls.GetCursorPosition();
    EXPECT_FLOAT_EQ(position.x, static_cast<float>(width - 2));
    EXPECT_FLOAT_EQ(position.y, static_cast<float>(height - 2));
}

TEST_F(WindowTest, ClosingAndQuittingRequestExit)
{
    ASSERT_TRUE(m_config.IsCommandExecuted("exit"));
    PushWindowEvent(m_window.GetHandler(), SDL_WINDOWEVENT_CLOSE);
    PumpAll();
    EXPECT_FALSE(m_config.IsCommandExecuted("exit"));

    m_config.SetCommandExecution("exit", true);
    SDL_Event quit;
    SDL_zero(quit);
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    PumpAll();
    EXPECT_FALSE(m_config.IsCommandExecuted("exit"));

    m_config.SetCommandExecution("exit", true);
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
    PumpAll();
    EXPECT_FALSE(m_config.IsCommandExecuted("exit"));
}

TEST_F(WindowTest, MinimisingStopsTheEngineAndRestoringRestartsIt)
{
    m_window.MinimizeWindow();
    EXPECT_FALSE(settings()->s_stop_engine); // posted, not yet delivered
    PumpAll();
    EXPECT_TRUE(settings()->s_stop_engine);

    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
    PumpAll();
    EXPECT_FALSE(settings()->s_stop_engine);

    // Swallowed commands change nothing.
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_SYSCOMMAND, platform::SC_SCREENSAVE, 0);
    PumpAll();
    EXPECT_FALSE(settings()->s_stop_engine);
    EXPECT_TRUE(m_config.IsCommandExecuted("exit"));
}

TEST_F(WindowTest, LosingTheFocusMinimisesATopLevelWindow)
{
    // Focus is set directly where real focus changes of other windows could race.
    platform::SetKeyboardFocusState(m_window.GetHandler(), true);
    m_window.Refresh();
    PumpAll();
    EXPECT_FALSE(settings()->s_stop_engine);

    PushWindowEvent(m_window.GetHandler(), SDL_WINDOWEVENT_FOCUS_LOST);
    PumpAll();
    EXPECT_FALSE(platform::HasKeyboardFocus(m_window.GetHandler()));
    m_window.Refresh();
    PumpAll();
    EXPECT_TRUE(settings()->s_stop_engine);

    // Restored: stays until the focus has come back and gone again.
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
    PumpAll();
    ASSERT_FALSE(settings()->s_stop_engine);
    platform::SetKeyboardFocusState(m_window.GetHandler(), false);
    m_window.Refresh();
    PumpAll();
    EXPECT_FALSE(settings()->s_stop_engine);
}

TEST_F(WindowTest, AWindowThatNeverHadTheFocusKeepsRunning)
{
    platform::SetKeyboardFocusState(m_window.GetHandler(), false);
    m_window.Refresh();
    PumpAll();
    EXPECT_FALSE(settings()->s_stop_engine);
}

TEST_F(WindowTest, ConfiguredRampIsClampedAndWrittenBack)
{
    settings()->v_brightness = 3.0f;
    settings()->v_contrast = -1.0f;
    settings()->v_gamma = 1.5f;
    m_window.SetGammaRamp();
    EXPECT_FLOAT_EQ(settings()->v_brightness, 2.0f);
    EXPECT_FLOAT_EQ(settings()->v_contrast, 0.0f);
    EXPECT_FLOAT_EQ(settings()->v_gamma, 1.5f);
    EXPECT_STREQ(m_config.GetValue("v_brightness"), "2.0000");

    // A display that refuses ramps is reported once.
    m_window.SetGammaRamp();
    m_window.RestoreGammaRamp();
    std::string const log = Log(m_messages);
    std::size_t const first = log.find("Failed to apply the gamma ramp");
    if (first != std::string::npos) {
        EXPECT_EQ(log.find("Failed to apply the gamma ramp", first + 1), std::string::npos);
    }
}

TEST_F(WindowTest, ConfiguredRampReachesTheDisplayOrOneWarningSaysSo)
{
    settings()->v_brightness = 1.2f;
    settings()->v_contrast = 0.9f;
    settings()->v_gamma = 1.4f;
    m_window.SetGammaRamp();
    m_window.SetGammaRamp();
    std::uint16_t expected[256];
    TestWindow::BuildGammaRamp(1.2f, 0.9f, 1.4f, expected);
    platform::GammaRamp shown;
    bool const readable = platform::GetGammaRamp(m_window.GetHandler(), &shown);
    m_window.RestoreGammaRamp();

    std::string const log = Log(m_messages);
    std::size_t const warning = log.find("Failed to apply the gamma ramp");
    if (!readable) {
        // A display without a ramp: said once.
        ASSERT_NE(warning, std::string::npos);
        EXPECT_EQ(log.find("Failed to apply the gamma ramp", warning + 1), std::string::npos);
        return;
    }
    EXPECT_EQ(warning, std::string::npos);
    for (unsigned int i = 0; i < 256; ++i) {
        EXPECT_NEAR(shown.red[i], expected[i], 512) << i;
        EXPECT_NEAR(shown.green[i], expected[i], 512) << i;
        EXPECT_NEAR(shown.blue[i], expected[i], 512) << i;
    }
}

TEST_F(WindowTest, DestroyLogsAndReleasesTheWindow)
{
    Uint32 const id = windowId();
    m_messages.ClearMessagesBuffer();
    m_controls.Destroy();
    m_messages.ClearMessagesBuffer();
    m_window.Destroy();
    EXPECT_TRUE(m_window.IsFree());
    EXPECT_EQ(m_window.GetHandler(), nullptr);
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
    EXPECT_EQ(Log(m_messages),
              "\nWindow destroying:\n...Releasing device context...\n...Releasing window...\n"
              "...Unregistering class...\n");
}

TEST_F(WindowTest, ModeChangesResizeATopLevelWindow)
{
    m_window.SetMode(400, 300, false, 1280, 1024);
    PumpAll();
    EXPECT_EQ(m_window.GetWidth(), 400u);
    EXPECT_EQ(m_window.GetHeight(), 300u);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(m_window.GetHandler()), &width, &height);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(SDL_GetWindowFlags(platform::GetSdlWindow(m_window.GetHandler())) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(WindowTest, ASwitchToFullScreenPlacesTheWindowAtTheScreenCorner)
{
    platform::DisplayMode desktop;
    ASSERT_TRUE(platform::GetDesktopDisplayMode(&desktop));
    SDL_SetWindowPosition(platform::GetSdlWindow(m_window.GetHandler()), 100, 80);
    PumpAll();
    m_window.SetMode(desktop.width, desktop.height, true, desktop.width, desktop.height);
    SDL_Delay(50);
    PumpAll();
    int x = -1;
    int y = -1;
    SDL_GetWindowPosition(platform::GetSdlWindow(m_window.GetHandler()), &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(m_window.GetHandler()), &width, &height);
    EXPECT_EQ(width, int(desktop.width));
    EXPECT_EQ(height, int(desktop.height));
}

TEST_F(WindowTest, AWindowLargerThanTheDesktopIsMadeAtTheDesktopSize)
{
    m_window.Destroy();
    platform::DisplayMode desktop;
    ASSERT_TRUE(platform::GetDesktopDisplayMode(&desktop));
    m_window.Create(&m_messages, nullptr, &m_config, &m_controls, Title, nullptr, 0, 100000, 100000, false);
    ASSERT_NE(m_window.GetHandler(), nullptr);
    EXPECT_EQ(m_window.GetWidth(), desktop.width);
    EXPECT_EQ(m_window.GetHeight(), desktop.height);
}

TEST_F(WindowTest, TheWindowIsFoundByItsTitle)
{
    PumpAll();
    EXPECT_TRUE(platform::FindWindowByTitle(Title));
    EXPECT_FALSE(platform::FindWindowByTitle("Tidewell window nobody opened"));
    platform::InstanceLock lock;
    EXPECT_TRUE(platform::IsAnotherInstanceRunning(Title, &lock));
    EXPECT_FALSE(lock.IsHeld());
}

TEST_F(WindowTest, ControlCharactersAreNotEntered)
{
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_CHAR, 13, 1);
    PumpAll();
    EXPECT_FALSE(m_controls.GetControlsState()->entered);
    platform::PostWindowMessage(m_window.GetHandler(), platform::WM_CHAR, ' ', 1);
    PumpAll();
    EXPECT_TRUE(m_controls.GetControlsState()->entered);
    EXPECT_TRUE(m_controls.GetControlsState()->isCharacter);
    EXPECT_EQ(m_controls.GetControlsState()->enteredCode, ' ');
}

TEST_F(WindowTest, CursorMovesInClientCoordinatesAndHidesByCounter)
{
    // Apart from the windows of the other tests.
    SDL_SetWindowPosition(platform::GetSdlWindow(m_window.GetHandler()), 900, 700);
    PumpAll();
    m_controls.SetCursorPosition(CVector2(50.7f, 60.2f));
    PumpAll();
    CVector2 position = m_controls.GetCursorPosition();
    EXPECT_FLOAT_EQ(position.x, 50.0f);
    EXPECT_FLOAT_EQ(position.y, 60.0f);

    m_controls.CenterCursor();
    PumpAll();
    position = m_controls.GetCursorPosition();
    EXPECT_FLOAT_EQ(position.x, 160.0f);
    EXPECT_FLOAT_EQ(position.y, 120.0f);

    m_controls.ShowCursor(false);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    m_controls.ShowCursor(false);
    // Each hide steps the counter once more below zero: one show is not enough.
    EXPECT_EQ(platform::ShowCursor(true), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    m_controls.ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST(FullScreenWindowTest, AppliesTheConfiguredRampAndReturnsToAWindow)
{
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display";
    }
    CMessageManager messages;
    CConfig config;
    CControls controls;
    TestWindow window;
    messages.Create("fullscreen", false, nullptr);
    config.Create(&messages, nullptr, nullptr, nullptr, nullptr, nullptr);
    config.GetMainSettings()->v_brightness = 5.0f;
    window.Create(&messages, nullptr, &config, &controls, Title, nullptr, 0, 640, 480, true);
    PumpAll();
    // Without a window manager the window covers the desktop by its own size and place, not
    // by a full-screen request nobody would answer.
    EXPECT_TRUE(platform::IsWindowFullScreen(window.GetHandler()));
    EXPECT_EQ(SDL_GetWindowFlags(platform::GetSdlWindow(window.GetHandler())) & SDL_WINDOW_FULLSCREEN, 0u);
    platform::DisplayMode desktop;
    ASSERT_TRUE(platform::GetDesktopDisplayMode(&desktop));
    int coveredWidth = 0;
    int coveredHeight = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(window.GetHandler()), &coveredWidth, &coveredHeight);
    EXPECT_EQ(coveredWidth, int(desktop.width));
    EXPECT_EQ(coveredHeight, int(desktop.height));
    EXPECT_FLOAT_EQ(config.GetMainSettings()->v_brightness, 2.0f);

    window.SetMode(320, 240, false, 1280, 1024);
    PumpAll();
    EXPECT_EQ(SDL_GetWindowFlags(platform::GetSdlWindow(window.GetHandler())) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_FALSE(platform::IsWindowFullScreen(window.GetHandler()));
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform::GetSdlWindow(window.GetHandler()), &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    window.Destroy();
    PumpAll();
}

TEST(GammaRampTest, NeutralSettingsGiveTheIdentityRamp)
{
    std::uint16_t ramp[256];
    TestWindow::BuildGammaRamp(1.0f, 1.0f, 1.0f, ramp);
    for (unsigned int i = 0; i < 256; ++i) {
        EXPECT_EQ(ramp[i], i * 256) << i;
    }
    platform::GammaRamp const identity = platform::GetIdentityGammaRamp();
    EXPECT_EQ(std::memcmp(identity.red, ramp, sizeof(ramp)), 0);
}

TEST(GammaRampTest, BrightnessContrastAndGammaShapeTheRamp)
{
    std::uint16_t ramp[256];
    TestWindow::BuildGammaRamp(1.0f, 1.0f, 2.0f, ramp);
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[64], 32768); // (1/4)^(1/2) * 256 * 256
    EXPECT_EQ(ramp[16], 16384);

    TestWindow::BuildGammaRamp(0.5f, 1.0f, 1.0f, ramp);
    EXPECT_EQ(ramp[100], 0); // 25600 - 32768, clamped
    EXPECT_EQ(ramp[200], 18432);

    TestWindow::BuildGammaRamp(1.0f, 2.0f, 1.0f, ramp);
    EXPECT_EQ(ramp[100], 51200);
    EXPECT_EQ(ramp[200], 65535); // 102400, clamped

    TestWindow::BuildGammaRamp(2.0f, 0.0f, 1.0f, ramp);
    EXPECT_EQ(ramp[0], 65535);
    EXPECT_EQ(ramp[255], 65535);

    // Gamma 0 (the clamp allows it): the exponent is infinite and every entry falls to the offset.
    TestWindow::BuildGammaRamp(1.0f, 1.0f, 0.0f, ramp);
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[128], 0);
}

// The preview: drawn into a window of another program.
class ChildWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display";
        }
        m_host =
            platform::CreateNativeWindow("host", platform::NativeWindowStyle::Windowed, 10, 10, 200, 150);
        ASSERT_NE(m_host, nullptr);
        platform::ShowNativeWindow(m_host);
        m_parent = platform::AttachForeignWindow(platform::GetNativeWindowId(m_host));
        ASSERT_NE(m_parent, nullptr);
        m_messages.Create("child", false, nullptr);
        m_config.Create(&m_messages, nullptr, nullptr, nullptr, nullptr, nullptr);
        m_window.Create(&m_messages, nullptr, &m_config, &m_controls, Title, m_parent, 0, 640, 480, false);
        PumpAll();
    }

    void TearDown() override
    {
        m_window.Destroy();
        m_config.Destroy();
        m_messages.Destroy();
        if (m_parent != nullptr) {
            platform::DestroyNativeWindow(m_parent);
        }
        if (m_host != nullptr) {
            platform::DestroyNativeWindow(m_host);
        }
        PumpAll();
    }

    HWND m_host = nullptr;
    HWND m_parent = nullptr;
    CMessageManager m_messages;
    CConfig m_config;
    CControls m_controls;
    TestWindow m_window;
};

TEST_F(ChildWindowTest, TakesTheHostSizeAndDrawsWithOpenGL)
{
    EXPECT_TRUE(platform::IsForeignWindow(m_parent));
    EXPECT_EQ(m_window.GetParentHandler(), m_parent);
    EXPECT_EQ(m_window.GetWidth(), 200u);
    EXPECT_EQ(m_window.GetHeight(), 150u);
    EXPECT_NE(SDL_GetWindowFlags(platform::GetSdlWindow(m_window.GetHandler())) & SDL_WINDOW_OPENGL, 0u);
}

TEST_F(ChildWindowTest, IsNeverRestyledAndNeverMinimisesItself)
{
    m_window.SetMode(800, 600, true, 1280, 1024);
    EXPECT_EQ(m_window.GetWidth(), 200u);

    m_window.MinimizeWindow();
    PumpAll();
    EXPECT_FALSE(m_config.GetMainSettings()->s_stop_engine);

    PushWindowEvent(m_window.GetHandler(), SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(m_window.GetHandler(), SDL_WINDOWEVENT_FOCUS_LOST);
    PumpAll();
    m_window.Refresh();
    PumpAll();
    EXPECT_FALSE(m_config.GetMainSettings()->s_stop_engine);
}

TEST_F(ChildWindowTest, DestroyLeavesTheHostWindowAlone)
{
    m_window.Destroy();
    EXPECT_NE(SDL_GetWindowID(platform::GetSdlWindow(m_parent)), 0u);
    EXPECT_NE(SDL_GetWindowID(platform::GetSdlWindow(m_host)), 0u);
}

TEST(DesktopWindowTest, WrapsTheRootWindowAtTheDisplaySize)
{
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display";
    }
    HWND const desktop = platform::AttachDesktopWindow();
    ASSERT_NE(desktop, nullptr);
    EXPECT_TRUE(platform::IsForeignWindow(desktop));
    EXPECT_NE(SDL_GetWindowFlags(platform::GetSdlWindow(desktop)) & SDL_WINDOW_OPENGL, 0u);
    platform::DisplayMode mode;
    ASSERT_TRUE(platform::GetDesktopDisplayMode(&mode));
    unsigned int width = 0;
    unsigned int height = 0;
    ASSERT_TRUE(platform::GetWindowClientSize(desktop, &width, &height));
    EXPECT_EQ(width, mode.width);
    EXPECT_EQ(height, mode.height);
    EXPECT_FALSE(platform::GetDisplayModes().empty());
    platform::DestroyNativeWindow(desktop);
}

TEST(DesktopWindowTest, ThePointerCountsOnlyWhereNoOtherWindowCoversTheDesktop)
{
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display";
    }
    HWND const desktop = platform::AttachDesktopWindow();
    ASSERT_NE(desktop, nullptr);
    SDL_WarpMouseGlobal(60, 60);
    PumpAll();
    EXPECT_TRUE(platform::IsPointerOnTopOf(desktop));

    HWND const other = platform::CreateNativeWindow("other program", platform::NativeWindowStyle::Windowed,
                                                    10, 10, 200, 150);
    ASSERT_NE(other, nullptr);
    platform::ShowNativeWindow(other);
    PumpAll();
    SDL_WarpMouseGlobal(60, 60);
    PumpAll();
    EXPECT_FALSE(platform::IsPointerOnTopOf(desktop));

    platform::DestroyNativeWindow(other);
    platform::DestroyNativeWindow(desktop);
    PumpAll();
}

TEST(InstanceLockTest, OneHolderAtATime)
{
    platform::InstanceLock first;
    platform::InstanceLock second;
    ASSERT_TRUE(first.Acquire("Tidewell lock test"));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(second.Acquire("Tidewell lock test"));
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(second.Acquire("Tidewell other lock test"));
    first.Release();
    EXPECT_TRUE(second.Acquire("Tidewell lock test"));
}

// The Settings launcher ends right after starting the Settings program, which keeps the lock.
TEST(InstanceLockTest, AStartedProgramKeepsAPassedLock)
{
    platform::InstanceLock launcher;
    ASSERT_TRUE(launcher.Acquire("Tidewell passed lock test"));
    launcher.PassToChildren();
    pid_t const child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sleep", "sleep", "3", static_cast<char*>(nullptr));
        _exit(127);
    }
    launcher.Release();
    platform::InstanceLock second;
    EXPECT_FALSE(second.Acquire("Tidewell passed lock test"));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(second.Acquire("Tidewell passed lock test"));
}
} // namespace
