#include "platform/window/wayland/WaylandWindowBackend.h"

#include "platform/window/OutputSelection.h"
#include "platform/window/WindowEvents.h"
#include "platform/window/wayland/EvdevKeyMap.h"
#include "platform/window/wayland/WaylandConnection.h"
#include "platform/window/wayland/WaylandInput.h"
#include "platform/window/wayland/WaylandWindow.h"

#include <wayland-version.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <linux/input-event-codes.h>

namespace platform
{
namespace
{
using wayland::WaylandConnection;
using wayland::WaylandOutput;
using wayland::WaylandWindow;
using wayland::WaylandWindowKind;

constexpr int WheelDeltaPerNotch = 120;
constexpr unsigned int BitsPerPixel = 32;
constexpr unsigned int ColourBits = 24;
constexpr std::uint32_t FirstPrintableCharacter = 0x20;
constexpr std::uint32_t DeleteCharacter = 0x7F;

// UTF-8 bytes of a Unicode character; the length written (at most 4).
std::size_t EncodeUtf8(std::uint32_t character, char out[4])
{
    if (character < 0x80) {
        out[0] = char(character);
        return 1;
    }
    if (character < 0x800) {
        out[0] = char(0xC0 | (character >> 6));
        out[1] = char(0x80 | (character & 0x3F));
        return 2;
    }
    if (character < 0x10000) {
        out[0] = char(0xE0 | (character >> 12));
        out[1] = char(0x80 | ((character >> 6) & 0x3F));
        out[2] = char(0x80 | (character & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (character >> 18));
    out[1] = char(0x80 | ((character >> 12) & 0x3F));
    out[2] = char(0x80 | ((character >> 6) & 0x3F));
    out[3] = char(0x80 | (character & 0x3F));
    return 4;
}

struct PostedMessage
{
    HWND window;
    unsigned int message;
    unsigned int wParam;
    long lParam;
};

class WaylandWindowBackend : public WindowBackend, private wayland::InputListener
{
public:
    WindowSystem GetWindowSystem() const override { return WindowSystem::Wayland; }

    bool InitializeVideo() override
    {
        if (m_connection) {
            return !m_connection->IsLost();
        }
        m_connection = WaylandConnection::Connect();
        if (!m_connection) {
            return false;
        }
        if (m_connection->Input()) {
            m_connection->Input()->SetListener(this);
            m_connection->Input()->SetCursorHidden(!m_cursorVisible);
        }
        return true;
    }

    bool AcquireVideo() override { return InitializeVideo(); }
    void ReleaseVideo() override {}

    HWND CreateWindow(char const* title, NativeWindowStyle style, int, int, unsigned int width,
                      unsigned int height, unsigned int samples) override
    {
        if (!InitializeVideo()) {
            return nullptr;
        }
        WaylandWindowKind kind = style == NativeWindowStyle::FullScreen ? WaylandWindowKind::FullScreen
                                                                        : WaylandWindowKind::Windowed;
        auto* const window =
            new WaylandWindow(*this, *m_connection, kind, title, width, height, GetChosenOutputs());
        // The EGL configuration, chosen with the context, takes the samples (or none).
        window->SetSamples(samples);
        return Track(window);
    }

    // Wayland gives no access to other programs' windows.
    HWND AttachForeignWindow(unsigned long) override { return nullptr; }

    HWND AttachDesktopWindow() override
    {
        if (!InitializeVideo()) {
            return nullptr;
        }
        if (!m_connection->HasLayerShell()) {
            std::fprintf(stderr,
                         "coralume: this desktop offers no wallpaper layer (its compositor has no "
                         "layer shell); the wallpaper runs on sway, Hyprland, river, labwc and KDE Plasma\n");
            return nullptr;
        }
        return Track(new WaylandWindow(*this, *m_connection, WaylandWindowKind::Desktop, "Coralume", 0, 0,
                                       GetChosenOutputs()));
    }

    void DestroyWindow(HWND window) override
    {
        std::erase(m_windows, static_cast<WaylandWindow*>(window));
        if (m_keyboardWindow == window) {
            m_keyboardWindow = nullptr;
        }
        if (m_pointerWindow == window) {
            m_pointerWindow = nullptr;
        }
        std::erase_if(m_posted, [window](PostedMessage const& posted) { return posted.window == window; });
        delete window;
        if (m_connection) {
            m_connection->DispatchPending();
        }
    }

    bool OpenInput() override { return true; }
    void CloseInput() override {}

    void SetCursorVisible(bool visible) override
    {
        m_cursorVisible = visible;
        if (m_connection && m_connection->Input()) {
            m_connection->Input()->SetCursorHidden(!visible);
        }
    }

    bool IsCursorVisible() const override { return m_cursorVisible; }

    // Movement is always reported as deltas.
    void SetRelativePointerMode(bool) override {}

    bool PumpOneEvent() override
    {
        if (!m_posted.empty()) {
            PostedMessage posted = m_posted.front();
            m_posted.pop_front();
            DeliverWindowMessage(posted.window, posted.message, posted.wParam, posted.lParam);
            return true;
        }
        if (!m_connection || m_lost) {
            return false;
        }
        int handled = m_connection->DispatchAvailable();
        if (handled < 0) {
            m_lost = true;
            std::fprintf(stderr, "coralume: the Wayland compositor closed the connection\n");
            OnQuit();
            return true;
        }
        // A window closed here may be destroyed by its procedure and leave the list: walk it by
        // index (one skipped by such a removal is updated on the next pass).
        for (std::size_t i = 0; i < m_windows.size(); ++i) {
            WaylandWindow* window = m_windows[i];
            ReportShown(*window);
            if (window->Update()) {
                OnClose(window);
            }
        }
        return handled > 0;
    }

    bool WaitForEvent(std::uint32_t timeoutMilliseconds) override
    {
        if (!m_posted.empty()) {
            return true;
        }
        if (!m_connection || m_lost) {
            return false;
        }
        return m_connection->WaitForEvents(int(timeoutMilliseconds));
    }

    void PostMessage(HWND window, unsigned int message, unsigned int wParam, long lParam) override
    {
        m_posted.push_back({window, message, wParam, lParam});
    }

    // There is no window to show a box in: the text goes to the error output.
    void ShowMessageBox(char const* caption, char const* text) override
    {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    }

    int GetDisplayCount() override { return int(SortedOutputs().size()); }

    std::string GetDisplayName(int display) override
    {
        WaylandOutput* output = OutputAt(display);
        if (!output) {
            return "";
        }
        return output->Description().empty() ? output->Name()
                                             : output->Name() + " (" + output->Description() + ")";
    }

    std::vector<DisplayMode> GetDisplayModes(int display) override
    {
        DisplayMode mode;
        if (!GetDesktopDisplayMode(display, &mode)) {
            return {};
        }
        return {mode};
    }

    bool GetDesktopDisplayMode(int display, DisplayMode* mode) override
    {
        WaylandOutput* output = OutputAt(display);
        if (!output || output->PixelWidth() <= 0 || output->PixelHeight() <= 0) {
            return false;
        }
        mode->width = unsigned(output->PixelWidth());
        mode->height = unsigned(output->PixelHeight());
        mode->refreshRate = 0;
        mode->formatBits = ColourBits;
        mode->bitsPerPixel = BitsPerPixel;
        return true;
    }

    std::string GetDriverName() override { return "wayland"; }

    std::uint64_t GetDriverVersion() override
    {
        return (std::uint64_t(WAYLAND_VERSION_MAJOR) << 48) | (std::uint64_t(WAYLAND_VERSION_MINOR) << 32) |
               (std::uint64_t(WAYLAND_VERSION_MICRO) << 16);
    }

private:
    // Frame events that stopped coming (or came again) are reported as the window hidden (shown).
    static void ReportShown(WaylandWindow& window)
    {
        bool const shown = window.IsShownByCompositor();
        if (shown != (window.GetCover() == WindowCover::Uncovered)) {
            if (shown) {
                OnShown(&window);
            } else {
                OnHidden(&window, WindowCover::Hidden);
            }
        }
    }

    HWND Track(WaylandWindow* window)
    {
        m_windows.push_back(window);
        window->WaitUntilConfigured();
        return window;
    }

    // Outputs as displays: the chosen ones before the others, each group largest first, so
    // the first display is the output the device's picture is drawn for.
    std::vector<WaylandOutput*> SortedOutputs()
    {
        if (!InitializeVideo()) {
            return {};
        }
        std::vector<WaylandOutput*> outputs = m_connection->Outputs();
        std::vector<std::string> const& chosen = GetChosenOutputs();
        auto isChosen = [&chosen](WaylandOutput const* output) {
            return chosen.empty() || std::find(chosen.begin(), chosen.end(), output->Name()) != chosen.end();
        };
        std::stable_sort(
            outputs.begin(), outputs.end(), [&isChosen](WaylandOutput const* a, WaylandOutput const* b) {
                if (isChosen(a) != isChosen(b)) {
                    return isChosen(a);
                }
                return long(a->PixelWidth()) * a->PixelHeight() > long(b->PixelWidth()) * b->PixelHeight();
            });
        return outputs;
    }

    WaylandOutput* OutputAt(int display)
    {
        std::vector<WaylandOutput*> outputs = SortedOutputs();
        return display >= 0 && std::size_t(display) < outputs.size() ? outputs[std::size_t(display)]
                                                                     : nullptr;
    }

    WaylandWindow* FindWindow(wl_surface* surface) const
    {
        for (WaylandWindow* window : m_windows) {
            if (window->Owns(surface)) {
                return window;
            }
        }
        return nullptr;
    }

    void KeyboardFocus(wl_surface* surface, bool focused) override
    {
        WaylandWindow* window = FindWindow(surface);
        m_keyboardWindow = focused ? window : nullptr;
        if (window) {
            window->SetSystemFocus(focused);
            OnFocus(window, focused);
        }
    }

    void Key(std::uint32_t evdevCode, bool down, std::uint32_t character) override
    {
        if (evdevCode == KEY_LEFTALT || evdevCode == KEY_RIGHTALT) {
            m_altKeysHeld += down ? 1 : (m_altKeysHeld > 0 ? -1 : 0);
        }
        KeyStroke stroke;
        stroke.physicalKey = evdevCode < MaxPhysicalKeys ? evdevCode : 0;
        stroke.keyCode = wayland::EvdevToKeyCode(evdevCode);
        stroke.virtualKey = wayland::EvdevToVirtualKey(evdevCode);
        stroke.down = down;
        stroke.altHeld = m_altKeysHeld > 0;
        OnKey(m_keyboardWindow, stroke);
        if (down && character >= FirstPrintableCharacter && character != DeleteCharacter) {
            char text[4];
            std::size_t length = EncodeUtf8(character, text);
            OnText(m_keyboardWindow, text, length);
        }
    }

    void PointerEnter(wl_surface* surface, double x, double y) override
    {
        m_pointerWindow = FindWindow(surface);
        m_pointerScale = m_pointerWindow ? m_pointerWindow->GetScaleOf(surface) : 1.0;
        ReportPosition(x, y);
    }

    void PointerLeave(wl_surface*) override
    {
        if (m_pointerWindow) {
            m_pointerWindow->SetPointerPosition(false, 0, 0);
        }
        m_pointerWindow = nullptr;
        OnPointerPosition(nullptr, 0, 0);
    }

    void PointerMotion(wl_surface*, double x, double y, double dx, double dy) override
    {
        // Whole pixels go out; the fractions add up until they make one.
        m_motionX += dx * m_pointerScale;
        m_motionY += dy * m_pointerScale;
        int wholeX = int(std::trunc(m_motionX));
        int wholeY = int(std::trunc(m_motionY));
        m_motionX -= wholeX;
        m_motionY -= wholeY;
        if (wholeX != 0 || wholeY != 0) {
            OnPointerMotion(wholeX, wholeY);
        }
        ReportPosition(x, y);
    }

    void PointerButton(wl_surface*, int button, bool down) override { OnButton(button, down); }

    void PointerWheel(wl_surface*, int delta) override
    {
        m_wheel += delta;
        int notches = m_wheel / WheelDeltaPerNotch;
        m_wheel -= notches * WheelDeltaPerNotch;
        if (notches != 0) {
            OnWheel(notches);
        }
    }

    void ReportPosition(double x, double y)
    {
        int pixelX = int(std::lround(x * m_pointerScale));
        int pixelY = int(std::lround(y * m_pointerScale));
        if (m_pointerWindow) {
            m_pointerWindow->SetPointerPosition(true, pixelX, pixelY);
        }
        OnPointerPosition(m_pointerWindow, pixelX, pixelY);
    }

    std::unique_ptr<WaylandConnection> m_connection;
    std::vector<WaylandWindow*> m_windows;
    std::deque<PostedMessage> m_posted;
    WaylandWindow* m_keyboardWindow = nullptr;
    WaylandWindow* m_pointerWindow = nullptr;
    double m_pointerScale = 1.0;
    double m_motionX = 0.0;
    double m_motionY = 0.0;
    int m_wheel = 0;
    int m_altKeysHeld = 0;
    bool m_cursorVisible = true;
    bool m_lost = false;
};
} // namespace

WindowBackend& GetWaylandWindowBackend()
{
    static WaylandWindowBackend backend;
    return backend;
}
} // namespace platform
