#pragma once

#include <cstdint>
#include <vector>

struct wl_array;
struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_surface;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The seat's keyboard and pointer. Keys arrive as evdev codes with the character the
// compositor's keymap gives them; pointer positions are turned into movement since the
// previous event over the same surface; wheel steps into 120 per notch.
namespace platform::wayland
{
class InputListener
{
public:
    virtual ~InputListener() = default;
    virtual void KeyboardFocus(wl_surface* surface, bool focused) = 0;
    // character: the Unicode character the key types (0 for none), on presses only.
    virtual void Key(std::uint32_t evdevCode, bool down, std::uint32_t character) = 0;
    virtual void PointerEnter(wl_surface* surface, double x, double y) = 0;
    virtual void PointerLeave(wl_surface* surface) = 0;
    // Position in surface coordinates and movement since the previous position.
    virtual void PointerMotion(wl_surface* surface, double x, double y, double dx, double dy) = 0;
    // button: 0 left, 1 right, 2 middle, then the side buttons.
    virtual void PointerButton(wl_surface* surface, int button, bool down) = 0;
    // 120 per notch, positive away from the user.
    virtual void PointerWheel(wl_surface* surface, int delta) = 0;
};

class WaylandInput
{
public:
    explicit WaylandInput(wl_seat* seat);
    ~WaylandInput();
    WaylandInput(WaylandInput const&) = delete;
    WaylandInput& operator=(WaylandInput const&) = delete;

    void SetListener(InputListener* listener) { m_listener = listener; }
    bool HasKeyboard() const { return m_keyboard != nullptr; }
    bool HasPointer() const { return m_pointer != nullptr; }
    // A hidden pointer shows no cursor image over this program's surfaces; a shown one keeps
    // what the compositor shows.
    void SetCursorHidden(bool hidden);

private:
    void UpdateCapabilities(std::uint32_t capabilities);
    void LoadKeymap(int fd, std::uint32_t size);
    void ReleaseKeymap();

    static void OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities);
    static void OnSeatName(void*, wl_seat*, char const*);
    static void OnKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size);
    static void OnKeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*);
    static void OnKeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface);
    static void OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                      std::uint32_t state);
    static void OnModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                            std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
    static void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t);
    static void OnPointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                               std::int32_t x, std::int32_t y);
    static void OnPointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface);
    static void OnPointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x, std::int32_t y);
    static void OnPointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                                std::uint32_t state);
    static void OnPointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t axis, std::int32_t value);
    static void OnPointerFrame(void* data, wl_pointer*);
    static void OnPointerAxisSource(void*, wl_pointer*, std::uint32_t);
    static void OnPointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t);
    static void OnPointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t axis, std::int32_t discrete);

    wl_seat* m_seat;
    wl_keyboard* m_keyboard = nullptr;
    wl_pointer* m_pointer = nullptr;
    xkb_context* m_xkbContext = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_xkbState = nullptr;
    InputListener* m_listener = nullptr;
    std::vector<std::uint32_t> m_heldKeys;
    wl_surface* m_pointerSurface = nullptr;
    std::uint32_t m_pointerEnterSerial = 0;
    bool m_cursorHidden = false;
    double m_pointerX = 0.0;
    double m_pointerY = 0.0;
    // Wheel movement of the current pointer frame: notches when the compositor sends them,
    // otherwise the continuous value.
    int m_wheelNotches = 0;
    double m_wheelValue = 0.0;
    bool m_wheelSeen = false;
};
} // namespace platform::wayland
