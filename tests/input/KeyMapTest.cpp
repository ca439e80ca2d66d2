#include "platform/window/KeyMap.h"
#include "platform/window/EventPump.h"
#include "platform/window/WindowMessages.h"
#include "platform/window/x11/SdlEvents.h"
#include "platform/window/x11/SdlKeyMap.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace
{
TEST(KeyMapTest, EveryNamedKeyCodeHasAPhysicalKey)
{
    // Keyboard codes of the controls' key names.
    unsigned int const named[] = {
        0x3A, 0x45, 0x46, 0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x1E, 0x30, 0x2E, 0x20,
        0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16,
        0x2F, 0x11, 0x2D, 0x15, 0x2C, 0x0E, 0x0F, 0x39, 0x1C, 0x01, 0x36, 0x2A, 0x9D, 0x1D, 0xB8, 0x38, 0xC9,
        0xD1, 0xCF, 0xC7, 0xB7, 0xD2, 0xD3, 0xC5, 0xCB, 0xC8, 0xCD, 0xD0, 0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C,
        0x4D, 0x47, 0x48, 0x49, 0x37, 0x4E, 0x4A, 0x53, 0xB5, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42,
        0x43, 0x44, 0x57, 0x58, 0x29, 0x27, 0x0D, 0x33, 0x0C, 0x34, 0x35, 0x1A, 0x2B, 0x1B, 0x28};
    ASSERT_EQ(std::size(named), 100u);
    std::set<unsigned int> produced;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        produced.insert(platform::ScancodeToKeyCode(static_cast<SDL_Scancode>(scancode)));
    }
    for (unsigned int code : named) {
        EXPECT_TRUE(produced.count(code)) << std::hex << code;
    }
}

TEST(KeyMapTest, MainKeysHaveDistinctCodes)
{
    std::set<unsigned int> codes;
    int mapped = 0;
    for (int scancode = SDL_SCANCODE_A; scancode <= SDL_SCANCODE_KP_PERIOD; ++scancode) {
        unsigned int const code = platform::ScancodeToKeyCode(static_cast<SDL_Scancode>(scancode));
        if (code != 0 && scancode != SDL_SCANCODE_NONUSHASH) {
            ++mapped;
            EXPECT_TRUE(codes.insert(code).second)
                << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        }
    }
    EXPECT_GE(mapped, 95);
    EXPECT_EQ(platform::ScancodeToKeyCode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(platform::ScancodeToKeyCode(static_cast<SDL_Scancode>(-5)), 0);
    EXPECT_EQ(platform::ScancodeToKeyCode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 3)), 0);
}

TEST(KeyMapTest, VirtualKeysFollowTheSystemCodes)
{
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_0), '0');
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_ESCAPE), platform::VK_ESCAPE);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_RETURN), platform::VK_RETURN);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_KP_ENTER), platform::VK_RETURN);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_LSHIFT), platform::VK_SHIFT);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_RCTRL), platform::VK_CONTROL);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_PRINTSCREEN), platform::VK_SNAPSHOT);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_F1), 0x70);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_KP_5), 0x65);
    EXPECT_EQ(platform::ScancodeToVirtualKey(SDL_SCANCODE_GRAVE), 0xC0);
    EXPECT_EQ(platform::VirtualKeyToScancode(platform::VK_ESCAPE), SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(platform::VirtualKeyToScancode('Q'), SDL_SCANCODE_Q);
    EXPECT_EQ(platform::VirtualKeyToScancode(999), SDL_SCANCODE_UNKNOWN);
}

struct Message
{
    unsigned int message;
    unsigned int wParam;
    long lParam;
};

std::vector<Message> g_received;

long RecordingProcedure(HWND, unsigned int message, unsigned int wParam, long lParam)
{
    g_received.push_back({message, wParam, lParam});
    return 0;
}

// Key and text events as window messages, without a display: the procedure of a stand-in
// handle receives them.
class EventPumpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ResetInputState();
        g_received.clear();
        platform::SetWindowProcedure(m_window, &RecordingProcedure);
    }
    void TearDown() override
    {
        platform::RemoveWindowProcedure(m_window);
        platform::ResetInputState();
    }

    static void Key(SDL_Scancode scancode, bool down, Uint16 modifiers = 0, Uint8 repeat = 0)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = modifiers;
        event.key.repeat = repeat;
        platform::HandleEvent(event);
    }

    static void Text(char const* text)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
        platform::HandleEvent(event);
    }

    // Never dereferenced: every message goes to the recording procedure.
    HWND m_window = reinterpret_cast<HWND>(&g_received);
};

TEST_F(EventPumpTest, KeysBecomeKeyMessagesWithVirtualKeyCodes)
{
    Key(SDL_SCANCODE_A, true);
    Key(SDL_SCANCODE_A, true, 0, 1);
    Key(SDL_SCANCODE_A, false);
    Key(SDL_SCANCODE_F4, true, KMOD_LALT);
    Key(SDL_SCANCODE_F4, false, KMOD_LALT);
    ASSERT_EQ(g_received.size(), 5u);
    EXPECT_EQ(g_received[0].message, platform::WM_KEYDOWN);
    EXPECT_EQ(g_received[0].wParam, static_cast<unsigned int>('A'));
    EXPECT_EQ((g_received[0].lParam >> 16) & 0xFF, 0x1E);
    EXPECT_EQ(g_received[0].lParam & (1L << 30), 0);
    EXPECT_NE(g_received[1].lParam & (1L << 30), 0); // auto-repeat: key was down
    EXPECT_EQ(g_received[2].message, platform::WM_KEYUP);
    EXPECT_EQ(g_received[3].message, platform::WM_SYSKEYDOWN);
    EXPECT_EQ(g_received[3].wParam, 0x73u);
    EXPECT_EQ(g_received[4].message, platform::WM_SYSKEYUP);
}

TEST_F(EventPumpTest, TextBecomesCharacterMessagesInTheEightBitSet)
{
    Text("a\xc3\xa9\xe2\x82\xac!");
    ASSERT_EQ(g_received.size(), 3u);
    EXPECT_EQ(g_received[0].message, platform::WM_CHAR);
    EXPECT_EQ(g_received[0].wParam, static_cast<unsigned int>('a'));
    EXPECT_EQ(g_received[1].wParam, 0xE9u); // e acute; the euro sign has no 8-bit code
    EXPECT_EQ(g_received[2].wParam, static_cast<unsigned int>('!'));

    g_received.clear();
    Text("\xc3"); // cut short
    Text("\x80x");
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].wParam, static_cast<unsigned int>('x'));
}

TEST_F(EventPumpTest, AsyncKeyStateReportsHeldKeysAndPressesSinceTheLastQuery)
{
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_ESCAPE), 0);
    Key(SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(static_cast<unsigned short>(platform::GetAsyncKeyState(platform::VK_ESCAPE)), 0x8001u);
    EXPECT_EQ(static_cast<unsigned short>(platform::GetAsyncKeyState(platform::VK_ESCAPE)), 0x8000u);
    Key(SDL_SCANCODE_ESCAPE, false);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_ESCAPE), 0);

    // Pressed and released between two queries.
    Key(SDL_SCANCODE_ESCAPE, true);
    Key(SDL_SCANCODE_ESCAPE, false);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_ESCAPE), 1);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_ESCAPE), 0);

    // Either shift key holds the shared shift code.
    Key(SDL_SCANCODE_LSHIFT, true);
    Key(SDL_SCANCODE_RSHIFT, true);
    Key(SDL_SCANCODE_LSHIFT, false);
    EXPECT_NE(platform::GetAsyncKeyState(platform::VK_SHIFT) & 0x8000, 0);
    Key(SDL_SCANCODE_RSHIFT, false);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_SHIFT) & 0x8000, 0);
    EXPECT_EQ(platform::GetAsyncKeyState(-1), 0);
    EXPECT_EQ(platform::GetAsyncKeyState(256), 0);
}

TEST_F(EventPumpTest, KeyboardStateCountsKeysSharingACode)
{
    Key(SDL_SCANCODE_BACKSLASH, true);
    Key(SDL_SCANCODE_NONUSHASH, true);
    Key(SDL_SCANCODE_BACKSLASH, false);
    std::uint8_t state[256];
    platform::ReadKeyboardState(state);
    EXPECT_EQ(state[0x2B], 0x80);
    Key(SDL_SCANCODE_NONUSHASH, false);
    Key(SDL_SCANCODE_NONUSHASH, false); // a second release changes nothing
    platform::ReadKeyboardState(state);
    EXPECT_EQ(state[0x2B], 0);
    Key(SDL_SCANCODE_NONUSHASH, true);
    platform::ReadKeyboardState(state);
    EXPECT_EQ(state[0x2B], 0x80);
}
} // namespace
