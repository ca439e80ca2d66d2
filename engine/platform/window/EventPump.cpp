#include "platform/window/EventPump.h"

#include "platform/window/KeyMap.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/WindowEvents.h"
#include "platform/window/WindowMessages.h"

#include <algorithm>
#include <bitset>
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
// Keyboard codes of the modifier keys that also set a sided virtual key.
constexpr std::uint8_t KeyCodeLeftControl = 0x1D;
constexpr std::uint8_t KeyCodeLeftShift = 0x2A;
constexpr std::uint8_t KeyCodeRightShift = 0x36;
constexpr std::uint8_t KeyCodeLeftAlt = 0x38;
constexpr std::uint8_t KeyCodeRightControl = 0x9D;
constexpr std::uint8_t KeyCodeRightAlt = 0xB8;

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
    std::bitset<MaxPhysicalKeys> physicalKeyDown;
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
    HWND pointerWindow = nullptr;
    int pointerX = 0;
    int pointerY = 0;
};

struct PumpState
{
    std::vector<std::pair<HWND, WindowProcedure>> procedures;
    InputDeviceState input;
};

PumpState& GetState()
{
    static PumpState state;
    return state;
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

// The window an event without one is meant for: the first with a procedure.
HWND FindTargetWindow(HWND window)
{
    if (window != nullptr) {
        return window;
    }
    std::vector<std::pair<HWND, WindowProcedure>> const& procedures = GetState().procedures;
    return procedures.empty() ? nullptr : procedures.front().first;
}

// The sided virtual key a modifier key also sets.
int SidedVirtualKeyOf(std::uint8_t keyCode)
{
    switch (keyCode) {
    case KeyCodeLeftShift:
        return VK_LSHIFT;
    case KeyCodeRightShift:
        return VK_RSHIFT;
    case KeyCodeLeftControl:
        return VK_LCONTROL;
    case KeyCodeRightControl:
        return VK_RCONTROL;
    case KeyCodeLeftAlt:
        return VK_LMENU;
    case KeyCodeRightAlt:
        return VK_RMENU;
    default:
        return 0;
    }
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
bool SetKey(KeyStroke const& stroke)
{
    unsigned int const key = stroke.physicalKey;
    if (key == 0 || key >= MaxPhysicalKeys) {
        return false;
    }
    InputDeviceState& input = GetState().input;
    bool const down = stroke.down;
    if (input.physicalKeyDown[key] == down) {
        return false;
    }
    input.physicalKeyDown[key] = down;
    std::uint8_t const keyCode = stroke.keyCode;
    if (keyCode != 0) {
        if (down) {
            ++input.keyCodeHeld[keyCode];
            input.keyCodes[keyCode].Press();
        } else if (input.keyCodeHeld[keyCode] > 0 && --input.keyCodeHeld[keyCode] == 0) {
            input.keyCodes[keyCode].Release();
        }
    }
    SetVirtualKey(input, stroke.virtualKey, down);
    SetVirtualKey(input, SidedVirtualKeyOf(keyCode), down);
    return true;
}

int ButtonVirtualKey(int index)
{
    constexpr int keys[5] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
    return index >= 0 && index < 5 ? keys[index] : 0;
}

void NotePointer(InputDeviceState& input, HWND window, int x, int y)
{
    input.pointerWindow = window;
    input.pointerX = x;
    input.pointerY = y;
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
    if (window != nullptr) {
        window->GetBackend().PostMessage(window, message, wParam, lParam);
    }
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
    return GetWindowBackend().PumpOneEvent();
}

bool WaitForEvent(std::uint32_t timeoutMilliseconds)
{
    return GetWindowBackend().WaitForEvent(timeoutMilliseconds);
}

void OnKey(HWND window, KeyStroke const& stroke)
{
    unsigned int const key = stroke.physicalKey;
    bool const wasDown = key != 0 && key < MaxPhysicalKeys && GetState().input.physicalKeyDown[key];
    SetKey(stroke);

    std::uint8_t const virtualKey = stroke.virtualKey;
    HWND const target = FindTargetWindow(window);
    if (virtualKey == 0 || target == nullptr) {
        return;
    }
    bool const down = stroke.down;
    bool const system = stroke.altHeld || virtualKey == VK_F10;
    std::uint8_t const keyCode = stroke.keyCode;
    // Repeat count, scan code, extended-key, context and previous-state bits.
    long lParam = 1 | (static_cast<long>(keyCode & 0x7F) << 16);
    if ((keyCode & 0x80) != 0) {
        lParam |= 1L << 24;
    }
    if (stroke.altHeld) {
        lParam |= 1L << 29;
    }
    bool const previouslyDown = !down || wasDown || stroke.repeat;
    if (previouslyDown) {
        lParam |= 1L << 30;
    }
    if (!down) {
        lParam |= 1L << 31;
    }
    unsigned int const message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    SendWindowMessage(target, message, virtualKey, lParam);
}

void OnText(HWND window, char const* text, std::size_t length)
{
    HWND const target = FindTargetWindow(window);
    if (target == nullptr) {
        return;
    }
    unsigned char const* p = reinterpret_cast<unsigned char const*>(text);
    unsigned char const* const end = p + length;
    while (p < end) {
        std::uint32_t code = *p;
        int sequenceLength = 1;
        if (code >= 0xF0) {
            code &= 0x07;
            sequenceLength = 4;
        } else if (code >= 0xE0) {
            code &= 0x0F;
            sequenceLength = 3;
        } else if (code >= 0xC0) {
            code &= 0x1F;
            sequenceLength = 2;
        } else if (code >= 0x80) {
            ++p; // stray continuation byte
            continue;
        }
        if (end - p < sequenceLength) {
            break;
        }
        bool valid = true;
        for (int i = 1; i < sequenceLength; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        p += valid ? sequenceLength : 1;
        if (valid && code <= 0xFF) {
            SendWindowMessage(target, WM_CHAR, code, 1);
        }
    }
}

void OnPointerMotion(int deltaX, int deltaY)
{
    InputDeviceState& input = GetState().input;
    input.x += deltaX;
    input.y += deltaY;
}

void OnPointerPosition(HWND window, int x, int y)
{
    NotePointer(GetState().input, window, x, y);
}

void OnButton(int index, bool down)
{
    if (index < 0 || index >= 8) {
        return;
    }
    InputDeviceState& input = GetState().input;
    if (input.buttons[index].IsHeld() != down) {
        if (down) {
            input.buttons[index].Press();
        } else {
            input.buttons[index].Release();
        }
        SetVirtualKey(input, ButtonVirtualKey(index), down);
    }
}

void OnWheel(int notches)
{
    GetState().input.wheel += notches * WheelDelta;
}

void OnFocus(HWND window, bool focused)
{
    SetKeyboardFocusState(window, focused);
    SendWindowMessage(window, focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

void OnMinimized(HWND window)
{
    SendWindowMessage(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void OnRestored(HWND window)
{
    SendWindowMessage(window, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void OnResized(HWND window, unsigned int width, unsigned int height)
{
    if (window != nullptr) {
        window->SetForeignSize(width, height);
    }
}

void OnDestroyed(HWND window)
{
    if (window != nullptr) {
        window->NoteDestroyed();
        window->NoteCover(WindowCover::Hidden);
    }
}

void OnShown(HWND window)
{
    if (window != nullptr) {
        window->NoteCover(WindowCover::Uncovered);
    }
}

void OnHidden(HWND window, WindowCover cover)
{
    if (window != nullptr) {
        window->NoteCover(cover);
    }
}

void OnMonitorsChanged(HWND window)
{
    if (window != nullptr) {
        window->NoteMonitorsChanged();
    }
}

void OnClose(HWND window)
{
    SendWindowMessage(window, WM_CLOSE, 0, 0);
}

void OnQuit()
{
    std::vector<std::pair<HWND, WindowProcedure>> const procedures = GetState().procedures;
    for (auto const& [window, procedure] : procedures) {
        procedure(window, WM_QUIT, 0, 0);
    }
}

void DeliverWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    if (window != nullptr) {
        SendWindowMessage(window, message, wParam, lParam);
    }
}

bool OpenInputDevices()
{
    return GetWindowBackend().OpenInput();
}

void CloseInputDevices()
{
    GetWindowBackend().CloseInput();
}

void SetRelativePointerMode(bool relative)
{
    GetWindowBackend().SetRelativePointerMode(relative);
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
    if (window == nullptr || input.pointerWindow != window) {
        return false;
    }
    *x = input.pointerX;
    *y = input.pointerY;
    return true;
}

void SetPointerPosition(HWND window, int x, int y)
{
    if (window != nullptr) {
        NotePointer(GetState().input, window, x, y);
    }
}

void ResetInputState()
{
    GetState().input = InputDeviceState{};
}

void ForgetWindowInput(HWND window)
{
    InputDeviceState& input = GetState().input;
    if (input.pointerWindow == window) {
        input.pointerWindow = nullptr;
    }
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
