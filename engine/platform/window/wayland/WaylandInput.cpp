#include "platform/window/wayland/WaylandInput.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cmath>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform::wayland
{
namespace
{
constexpr int WheelDeltaPerNotch = 120;
// Continuous axis units a compositor reports for one wheel notch.
constexpr double AxisUnitsPerNotch = 10.0;
constexpr int MouseButtonCount = 8;
// xkbcommon key codes are evdev codes offset by the X11 minimum key code.
constexpr std::uint32_t XkbKeycodeOffset = 8;

// Keeps a seat device bound while the seat offers it: bound and listened to when it
// appears, released when it goes. True when this call released it.
template <class Device, class Listener>
bool FollowSeatDevice(bool offered, Device*& device, wl_seat* seat, Device* (*bind)(wl_seat*),
                      int (*listen)(Device*, Listener const*, void*), void (*release)(Device*),
                      Listener const& listener, void* data)
{
    if (offered && !device) {
        device = bind(seat);
        listen(device, &listener, data);
    } else if (!offered && device) {
        release(device);
        device = nullptr;
        return true;
    }
    return false;
}
} // namespace

WaylandInput::WaylandInput(wl_seat* seat) : m_seat(seat)
{
    static wl_seat_listener const listener = {
        .capabilities = OnCapabilities,
        .name = OnSeatName,
    };
    m_xkbContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    wl_seat_add_listener(m_seat, &listener, this);
}

WaylandInput::~WaylandInput()
{
    UpdateCapabilities(0);
    ReleaseKeymap();
    if (m_xkbContext) {
        xkb_context_unref(m_xkbContext);
    }
}

void WaylandInput::UpdateCapabilities(std::uint32_t capabilities)
{
    static wl_keyboard_listener const keyboardListener = {
        .keymap = OnKeymap,
        .enter = OnKeyboardEnter,
        .leave = OnKeyboardLeave,
        .key = OnKey,
        .modifiers = OnModifiers,
        .repeat_info = OnRepeatInfo,
    };
    static wl_pointer_listener const pointerListener = {
        .enter = OnPointerEnter,
        .leave = OnPointerLeave,
        .motion = OnPointerMotion,
        .button = OnPointerButton,
        .axis = OnPointerAxis,
        .frame = OnPointerFrame,
        .axis_source = OnPointerAxisSource,
        .axis_stop = OnPointerAxisStop,
        .axis_discrete = OnPointerAxisDiscrete,
        .axis_value120 = nullptr,
    };
    FollowSeatDevice((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0, m_keyboard, m_seat,
                     wl_seat_get_keyboard, wl_keyboard_add_listener, wl_keyboard_release, keyboardListener,
                     this);
    if (FollowSeatDevice((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0, m_pointer, m_seat,
                         wl_seat_get_pointer, wl_pointer_add_listener, wl_pointer_release, pointerListener,
                         this)) {
        m_pointerSurface = nullptr;
    }
}

void WaylandInput::SetCursorHidden(bool hidden)
{
    m_cursorHidden = hidden;
    if (hidden && m_pointer && m_pointerSurface) {
        wl_pointer_set_cursor(m_pointer, m_pointerEnterSerial, nullptr, 0, 0);
    }
}

void WaylandInput::LoadKeymap(int fd, std::uint32_t size)
{
    ReleaseKeymap();
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED) {
        return;
    }
    // The text is NUL-terminated within size; the length passed excludes that byte.
    m_keymap =
        xkb_keymap_new_from_buffer(m_xkbContext, static_cast<char const*>(text), size > 0 ? size - 1 : 0,
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (m_keymap) {
        m_xkbState = xkb_state_new(m_keymap);
    }
}

void WaylandInput::ReleaseKeymap()
{
    if (m_xkbState) {
        xkb_state_unref(m_xkbState);
        m_xkbState = nullptr;
    }
    if (m_keymap) {
        xkb_keymap_unref(m_keymap);
        m_keymap = nullptr;
    }
}

void WaylandInput::OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities)
{
    static_cast<WaylandInput*>(data)->UpdateCapabilities(capabilities);
}

void WaylandInput::OnSeatName(void*, wl_seat*, char const*)
{}

void WaylandInput::OnKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && self->m_xkbContext) {
        self->LoadKeymap(fd, size);
    }
    close(fd);
}

// Keys already held when the focus arrives count as pressed then (a virtual keyboard that
// brings its own keymap delivers its first press this way).
void WaylandInput::OnKeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface,
                                   wl_array* keys)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (self->m_listener) {
        self->m_listener->KeyboardFocus(surface, true);
    }
    auto const* held = static_cast<std::uint32_t const*>(keys->data);
    std::size_t count = keys->size / sizeof(std::uint32_t);
    for (std::size_t i = 0; i < count; ++i) {
        OnKey(data, nullptr, 0, 0, held[i], WL_KEYBOARD_KEY_STATE_PRESSED);
    }
}

// Keys still held when the focus goes are released: their release goes elsewhere.
void WaylandInput::OnKeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface)
{
    auto* self = static_cast<WaylandInput*>(data);
    std::vector<std::uint32_t> held;
    held.swap(self->m_heldKeys);
    for (std::uint32_t key : held) {
        OnKey(data, nullptr, 0, 0, key, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    self->m_heldKeys.clear();
    if (self->m_listener) {
        self->m_listener->KeyboardFocus(surface, false);
    }
}

void WaylandInput::OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                         std::uint32_t state)
{
    auto* self = static_cast<WaylandInput*>(data);
    bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
    auto held = std::find(self->m_heldKeys.begin(), self->m_heldKeys.end(), key);
    if (down && held == self->m_heldKeys.end()) {
        self->m_heldKeys.push_back(key);
    } else if (!down && held != self->m_heldKeys.end()) {
        self->m_heldKeys.erase(held);
    }
    std::uint32_t character = 0;
    if (down && self->m_xkbState) {
        character = xkb_state_key_get_utf32(self->m_xkbState, key + XkbKeycodeOffset);
    }
    if (self->m_listener) {
        self->m_listener->Key(key, down, character);
    }
}

void WaylandInput::OnModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                               std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (self->m_xkbState) {
        xkb_state_update_mask(self->m_xkbState, depressed, latched, locked, 0, 0, group);
    }
}

void WaylandInput::OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t)
{}

void WaylandInput::OnPointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                                  std::int32_t x, std::int32_t y)
{
    auto* self = static_cast<WaylandInput*>(data);
    self->m_pointerSurface = surface;
    self->m_pointerEnterSerial = serial;
    if (self->m_cursorHidden) {
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
    self->m_pointerX = wl_fixed_to_double(x);
    self->m_pointerY = wl_fixed_to_double(y);
    if (self->m_listener) {
        self->m_listener->PointerEnter(surface, self->m_pointerX, self->m_pointerY);
    }
}

void WaylandInput::OnPointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (self->m_pointerSurface == surface) {
        self->m_pointerSurface = nullptr;
    }
    if (self->m_listener) {
        self->m_listener->PointerLeave(surface);
    }
}

void WaylandInput::OnPointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x, std::int32_t y)
{
    auto* self = static_cast<WaylandInput*>(data);
    double newX = wl_fixed_to_double(x);
    double newY = wl_fixed_to_double(y);
    double dx = newX - self->m_pointerX;
    double dy = newY - self->m_pointerY;
    self->m_pointerX = newX;
    self->m_pointerY = newY;
    if (self->m_listener && self->m_pointerSurface) {
        self->m_listener->PointerMotion(self->m_pointerSurface, newX, newY, dx, dy);
    }
}

void WaylandInput::OnPointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t,
                                   std::uint32_t button, std::uint32_t state)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (button < BTN_LEFT || button >= BTN_LEFT + MouseButtonCount || !self->m_listener) {
        return;
    }
    self->m_listener->PointerButton(self->m_pointerSurface, int(button - BTN_LEFT),
                                    state == WL_POINTER_BUTTON_STATE_PRESSED);
}

void WaylandInput::OnPointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t axis,
                                 std::int32_t value)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL) {
        self->m_wheelValue += wl_fixed_to_double(value);
        self->m_wheelSeen = true;
        if (wl_pointer_get_version(self->m_pointer) < WL_POINTER_FRAME_SINCE_VERSION) {
            OnPointerFrame(data, self->m_pointer);
        }
    }
}

void WaylandInput::OnPointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t axis, std::int32_t discrete)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (axis == WL_POINTER_AXIS_VERTICAL_SCROLL) {
        self->m_wheelNotches += discrete;
        self->m_wheelSeen = true;
    }
}

// Wayland's vertical axis grows towards the user; the wheel delta grows away from them.
void WaylandInput::OnPointerFrame(void* data, wl_pointer*)
{
    auto* self = static_cast<WaylandInput*>(data);
    if (!self->m_wheelSeen) {
        return;
    }
    int delta = self->m_wheelNotches != 0
                    ? -self->m_wheelNotches * WheelDeltaPerNotch
                    : -int(std::lround(self->m_wheelValue / AxisUnitsPerNotch * WheelDeltaPerNotch));
    self->m_wheelNotches = 0;
    self->m_wheelValue = 0.0;
    self->m_wheelSeen = false;
    if (delta != 0 && self->m_listener) {
        self->m_listener->PointerWheel(self->m_pointerSurface, delta);
    }
}

void WaylandInput::OnPointerAxisSource(void*, wl_pointer*, std::uint32_t)
{}

void WaylandInput::OnPointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t)
{}
} // namespace platform::wayland
