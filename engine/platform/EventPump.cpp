#include "platform/EventPump.h"

#include "platform/KeyMap.h"
#include "platform/NativeWindow.h"
#include "platform/WindowMessages.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace platform
{
namespace
{
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_XBUTTON1 = 0x05;
constexpr int VK_XBUTTON2 = 0x06;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr std::int32_t WheelDelta = 120;

// One key or button as the frames see it: a press that comes and goes between two reads is
// still reported down by the next read, once; a release and a new press between two reads
// of a held key are reported as one frame up, then down.
class LatchedButton
{
public:
    void Press()
    {
        if (!m_held) {
            m_pressed = true;
        }
        m_held = true;
    }

    void Release()
    {
        if (m_held) {
            m_released = true;
        }
        m_held = false;
    }

    bool IsHeld() const { return m_held; }

    // Whether the frame that reads now sees it down.
    bool Read()
    {
        bool down = m_held || m_pressed;
        if (m_reported && m_released && down) {
            down = false;
            m_pressed = true;
        } else {
            m_pressed = false;
        }
        m_released = false;
        m_reported = down;
        return down;
    }

private:
    bool m_held = false;
    bool m_pressed = false;  // went down since the last read
    bool m_released = false; // went up since the last read
    bool m_reported = false; // the last read saw it down
};

// What the system keyboard and mouse look like, as far as the events processed so far tell.
struct InputDeviceState
{
    bool scancodeDown[SDL_NUM_SCANCODES] = {};
    // Held physical keys per keyboard code and per virtual key (several keys may share one).
    std::uint8_t keyCodeHeld[256] = {};
    LatchedButton keyCodes[256];
    std::uint8_t virtualKeyHeld[256] = {};
    bool virtualKeyPressed[256] = {};
    LatchedButton buttons[8];
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    // Where the latest motion or button event saw the pointer, in its window's client area.
    Uint32 pointerWindowId = 0;
    int pointerX = 0;
    int pointerY = 0;
};

struct PumpState
{
    std::vector<std::pair<HWND, WindowProcedure>> procedures;
    InputDeviceState input;
    Uint32 postedMessageEvent = static_cast<Uint32>(-1);
};

PumpState& GetState()
{
    static PumpState state;
    return state;
}

Uint32 GetPostedMessageEvent()
{
    PumpState& state = GetState();
    if (state.postedMessageEvent == static_cast<Uint32>(-1)) {
        state.postedMessageEvent = SDL_RegisterEvents(1);
    }
    return state.postedMessageEvent;
}

WindowProcedure FindProcedure(HWND window)
{
    for (auto const& [handle, procedure] : GetState().procedures) {
        if (handle == window) {
            return procedure;
        }
    }
    return nullptr;
}

// The window an event is meant for: the one it names, else the first with a procedure.
HWND FindTargetWindow(Uint32 windowId)
{
    if (windowId != 0) {
        if (SDL_Window* window = SDL_GetWindowFromID(windowId)) {
            return window;
        }
    }
    std::vector<std::pair<HWND, WindowProcedure>> const& procedures = GetState().procedures;
    return procedures.empty() ? nullptr : procedures.front().first;
}

// Virtual keys a physical key sets: the shared one, and the sided one for modifiers.
std::pair<int, int> VirtualKeysOf(SDL_Scancode scancode)
{
    int sided = 0;
    switch (scancode) {
    case SDL_SCANCODE_LSHIFT:
        sided = VK_LSHIFT;
        break;
    case SDL_SCANCODE_RSHIFT:
        sided = VK_RSHIFT;
        break;
    case SDL_SCANCODE_LCTRL:
        sided = VK_LCONTROL;
        break;
    case SDL_SCANCODE_RCTRL:
        sided = VK_RCONTROL;
        break;
    case SDL_SCANCODE_LALT:
        sided = VK_LMENU;
        break;
    case SDL_SCANCODE_RALT:
        sided = VK_RMENU;
        break;
    default:
        break;
    }
    return {ScancodeToVirtualKey(scancode), sided};
}

void SetVirtualKey(InputDeviceState& input, int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey > 255) {
        return;
    }
    if (down) {
        ++input.virtualKeyHeld[virtualKey];
        input.virtualKeyPressed[virtualKey] = true;
    } else if (input.virtualKeyHeld[virtualKey] > 0) {
        --input.virtualKeyHeld[virtualKey];
    }
}

// Returns whether the key changed state.
bool SetKey(SDL_Scancode scancode, bool down)
{
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) {
        return false;
    }
    InputDeviceState& input = GetState().input;
    if (input.scancodeDown[scancode] == down) {
        return false;
    }
    input.scancodeDown[scancode] = down;
    std::uint8_t const keyCode = ScancodeToKeyCode(scancode);
    if (keyCode != 0) {
        if (down) {
            ++input.keyCodeHeld[keyCode];
            input.keyCodes[keyCode].Press();
        } else if (input.keyCodeHeld[keyCode] > 0 && --input.keyCodeHeld[keyCode] == 0) {
            input.keyCodes[keyCode].Release();
        }
    }
    auto const [shared, sided] = VirtualKeysOf(scancode);
    SetVirtualKey(input, shared, down);
    SetVirtualKey(input, sided, down);
    return true;
}

// Mouse button of the event as the system numbers them: left, right, middle, then the others.
int ButtonIndex(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return button >= 1 && button <= 8 ? button - 1 : -1;
    }
}

int ButtonVirtualKey(int index)
{
    constexpr int keys[5] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
    return index >= 0 && index < 5 ? keys[index] : 0;
}

void NotePointer(InputDeviceState& input, Uint32 windowId, int x, int y)
{
    if (windowId != 0) {
        input.pointerWindowId = windowId;
        input.pointerX = x;
        input.pointerY = y;
    }
}

void HandleKey(SDL_KeyboardEvent const& key, bool down)
{
    SDL_Scancode const scancode = key.keysym.scancode;
    bool const wasDown = scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES &&
                         GetState().input.scancodeDown[scancode];
    SetKey(scancode, down);

    std::uint8_t const virtualKey = ScancodeToVirtualKey(scancode);
    HWND const window = FindTargetWindow(key.windowID);
    if (virtualKey == 0 || window == nullptr) {
        return;
    }
    bool const altHeld =
        (key.keysym.mod & KMOD_ALT) != 0 || scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT;
    bool const system = altHeld || virtualKey == VK_F10;
    std::uint8_t const keyCode = ScancodeToKeyCode(scancode);
    // Repeat count, scan code, extended-key, context and previous-state bits.
    long lParam = 1 | (static_cast<long>(keyCode & 0x7F) << 16);
    if ((keyCode & 0x80) != 0) {
        lParam |= 1L << 24;
    }
    if (altHeld) {
        lParam |= 1L << 29;
    }
    bool const previouslyDown = !down || wasDown || key.repeat != 0;
    if (previouslyDown) {
        lParam |= 1L << 30;
    }
    if (!down) {
        lParam |= 1L << 31;
    }
    unsigned int const message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    SendWindowMessage(window, message, virtualKey, lParam);
}

// Characters of the typed text that fit the 8-bit character set, each as a character message.
void HandleText(SDL_TextInputEvent const& text)
{
    HWND const window = FindTargetWindow(text.windowID);
    if (window == nullptr) {
        return;
    }
    unsigned char const* p = reinterpret_cast<unsigned char const*>(text.text);
    unsigned char const* const end = p + strnlen(text.text, sizeof(text.text));
    while (p < end) {
        std::uint32_t code = *p;
        int length = 1;
        if (code >= 0xF0) {
            code &= 0x07;
            length = 4;
        } else if (code >= 0xE0) {
            code &= 0x0F;
            length = 3;
        } else if (code >= 0xC0) {
            code &= 0x1F;
            length = 2;
        } else if (code >= 0x80) {
            ++p; // stray continuation byte
            continue;
        }
        if (end - p < length) {
            break;
        }
        bool valid = true;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        p += valid ? length : 1;
        if (valid && code <= 0xFF) {
            SendWindowMessage(window, WM_CHAR, code, 1);
        }
    }
}

void HandleWindowEvent(SDL_WindowEvent const& event)
{
    HWND const window = SDL_GetWindowFromID(event.windowID);
    if (window == nullptr) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        SendWindowMessage(window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        SendWindowMessage(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        SendWindowMessage(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetKeyboardFocusState(window, true);
        SendWindowMessage(window, WM_SETFOCUS, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        SetKeyboardFocusState(window, false);
        SendWindowMessage(window, WM_KILLFOCUS, 0, 0);
        break;
    default:
        break;
    }
}
} // namespace

void SetWindowProcedure(HWND window, WindowProcedure procedure)
{
    RemoveWindowProcedure(window);
    if (window != nullptr && procedure != nullptr) {
        GetState().procedures.emplace_back(window, procedure);
    }
}

void RemoveWindowProcedure(HWND window)
{
    std::vector<std::pair<HWND, WindowProcedure>>& procedures = GetState().procedures;
    std::erase_if(procedures, [window](auto const& entry) { return entry.first == window; });
}

long DefaultWindowProcedure(HWND window, unsigned int message, unsigned int wParam, long /*lParam*/)
{
    if (window == nullptr) {
        return 0;
    }
    if (message == WM_SYSCOMMAND) {
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            MinimizeNativeWindow(window);
            break;
        case SC_RESTORE:
            RestoreNativeWindow(window);
            break;
        case SC_CLOSE:
            SendWindowMessage(window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    } else if (message == WM_SETFOCUS && IsWindowMinimized(window)) {
        RestoreNativeWindow(window);
        RaiseWindow(window);
    }
    return 0;
}

void PostWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    if (window == nullptr) {
        return;
    }
    SDL_Event event;
    SDL_zero(event);
    event.type = GetPostedMessageEvent();
    event.user.windowID = SDL_GetWindowID(window);
    event.user.code = static_cast<Sint32>(message);
    event.user.data1 = reinterpret_cast<void*>(static_cast<std::uintptr_t>(wParam));
    event.user.data2 = reinterpret_cast<void*>(static_cast<std::intptr_t>(lParam));
    SDL_PushEvent(&event);
}

long SendWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    if (WindowProcedure procedure = FindProcedure(window)) {
        return procedure(window, message, wParam, lParam);
    }
    return DefaultWindowProcedure(window, message, wParam, lParam);
}

bool PumpOneEvent()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return false;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return false;
    }
    HandleEvent(event);
    return true;
}

bool WaitForEvent(std::uint32_t timeoutMilliseconds)
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return false;
    }
    // The event stays queued for PumpOneEvent.
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMilliseconds)) != 0;
}

void HandleEvent(SDL_Event const& event)
{
    InputDeviceState& input = GetState().input;
    if (event.type == GetPostedMessageEvent()) {
        if (HWND window = SDL_GetWindowFromID(event.user.windowID)) {
            SendWindowMessage(window, static_cast<unsigned int>(event.user.code),
                              static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(event.user.data1)),
                              static_cast<long>(reinterpret_cast<std::intptr_t>(event.user.data2)));
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT: {
        // Termination request (the last window closed, or a signal): every window hears it.
        std::vector<std::pair<HWND, WindowProcedure>> const procedures = GetState().procedures;
        for (auto const& [window, procedure] : procedures) {
            procedure(window, WM_QUIT, 0, 0);
        }
        break;
    }
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        HandleKey(event.key, true);
        break;
    case SDL_KEYUP:
        HandleKey(event.key, false);
        break;
    case SDL_TEXTINPUT:
        HandleText(event.text);
        break;
    case SDL_MOUSEMOTION:
        input.x += event.motion.xrel;
        input.y += event.motion.yrel;
        NotePointer(input, event.motion.windowID, event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        NotePointer(input, event.button.windowID, event.button.x, event.button.y);
        int const index = ButtonIndex(event.button.button);
        if (index < 0) {
            break;
        }
        bool const down = event.type == SDL_MOUSEBUTTONDOWN;
        if (input.buttons[index].IsHeld() != down) {
            if (down) {
                input.buttons[index].Press();
            } else {
                input.buttons[index].Release();
            }
            SetVirtualKey(input, ButtonVirtualKey(index), down);
        }
        break;
    }
    case SDL_MOUSEWHEEL: {
        std::int32_t const notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        input.wheel += notches * WheelDelta;
        break;
    }
    default:
        break;
    }
}

bool ReadKeyboardState(std::uint8_t state[256])
{
    InputDeviceState& input = GetState().input;
    for (int i = 0; i < 256; ++i) {
        state[i] = input.keyCodes[i].Read() ? 0x80 : 0;
    }
    return true;
}

bool ReadMouseState(MouseState* state)
{
    InputDeviceState& input = GetState().input;
    state->x = input.x;
    state->y = input.y;
    state->wheel = input.wheel;
    for (int i = 0; i < 8; ++i) {
        state->buttons[i] = input.buttons[i].Read() ? 0x80 : 0;
    }
    input.x = 0;
    input.y = 0;
    input.wheel = 0;
    return true;
}

bool GetPointerPosition(HWND window, int* x, int* y)
{
    InputDeviceState const& input = GetState().input;
    if (window == nullptr || input.pointerWindowId == 0 || SDL_GetWindowID(window) != input.pointerWindowId) {
        return false;
    }
    *x = input.pointerX;
    *y = input.pointerY;
    return true;
}

void SetPointerPosition(HWND window, int x, int y)
{
    if (window != nullptr) {
        NotePointer(GetState().input, SDL_GetWindowID(window), x, y);
    }
}

void ResetInputState()
{
    GetState().input = InputDeviceState{};
}

short GetAsyncKeyState(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey > 255) {
        return 0;
    }
    InputDeviceState& input = GetState().input;
    short result = input.virtualKeyHeld[virtualKey] != 0 ? static_cast<short>(0x8000) : 0;
    if (input.virtualKeyPressed[virtualKey]) {
        result = static_cast<short>(result | 1);
        input.virtualKeyPressed[virtualKey] = false;
    }
    return result;
}
} // namespace platform
