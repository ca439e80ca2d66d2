#include "platform/window/x11/SdlEvents.h"

#include "platform/window/KeyMap.h"
#include "platform/window/WindowEvents.h"
#include "platform/window/x11/SdlKeyMap.h"
#include "platform/window/x11/SdlWindowAccess.h"

#include <SDL.h>

#include <cstdint>
#include <cstring>

namespace platform
{
namespace
{
Uint32 g_postedMessageEvent = static_cast<Uint32>(-1);

Uint32 GetPostedMessageEvent()
{
    if (g_postedMessageEvent == static_cast<Uint32>(-1)) {
        g_postedMessageEvent = SDL_RegisterEvents(1);
    }
    return g_postedMessageEvent;
}

HWND FindWindow(Uint32 windowId)
{
    return windowId != 0 ? FindSdlWindowHandle(SDL_GetWindowFromID(windowId)) : nullptr;
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

void HandleKey(SDL_KeyboardEvent const& key, bool down)
{
    SDL_Scancode const scancode = key.keysym.scancode;
    KeyStroke stroke;
    if (scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES) {
        stroke.physicalKey = static_cast<unsigned int>(scancode);
    }
    stroke.keyCode = ScancodeToKeyCode(scancode);
    stroke.virtualKey = ScancodeToVirtualKey(scancode);
    stroke.down = down;
    stroke.repeat = key.repeat != 0;
    stroke.altHeld =
        (key.keysym.mod & KMOD_ALT) != 0 || scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT;
    OnKey(FindWindow(key.windowID), stroke);
}

void HandleWindowEvent(SDL_WindowEvent const& event)
{
    HWND const window = FindWindow(event.windowID);
    if (window == nullptr) {
        return;
    }
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        OnClose(window);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        OnMinimized(window);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        OnRestored(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        OnFocus(window, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        OnFocus(window, false);
        break;
    default:
        break;
    }
}

// Motion and button events name the window the pointer is over (0: none known).
void NotePointer(Uint32 windowId, int x, int y)
{
    if (windowId != 0) {
        OnPointerPosition(FindWindow(windowId), x, y);
    }
}
} // namespace

bool PumpOneSdlEvent()
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

bool WaitForSdlEvent(std::uint32_t timeoutMilliseconds)
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return false;
    }
    // The event stays queued for PumpOneSdlEvent.
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMilliseconds)) != 0;
}

void PostSdlWindowMessage(SDL_Window* window, unsigned int message, unsigned int wParam, long lParam)
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

void HandleEvent(SDL_Event const& event)
{
    if (event.type == GetPostedMessageEvent()) {
        if (HWND window = FindWindow(event.user.windowID)) {
            DeliverWindowMessage(
                window, static_cast<unsigned int>(event.user.code),
                static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(event.user.data1)),
                static_cast<long>(reinterpret_cast<std::intptr_t>(event.user.data2)));
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        OnQuit();
        break;
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
        OnText(FindWindow(event.text.windowID), event.text.text,
               strnlen(event.text.text, sizeof(event.text.text)));
        break;
    case SDL_MOUSEMOTION:
        OnPointerMotion(event.motion.xrel, event.motion.yrel);
        NotePointer(event.motion.windowID, event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        NotePointer(event.button.windowID, event.button.x, event.button.y);
        int const index = ButtonIndex(event.button.button);
        if (index >= 0) {
            OnButton(index, event.type == SDL_MOUSEBUTTONDOWN);
        }
        break;
    }
    case SDL_MOUSEWHEEL:
        OnWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
        break;
    default:
        break;
    }
}
} // namespace platform
