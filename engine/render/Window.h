#pragma once

#include "platform/window/Display.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/WindowHandle.h"

#include <cstdint>

class CMessageManager;
class CMemoryManager;
class CConfig;
class CControls;

// The single window everything is drawn into: top-level, full screen, or the host window
// of a preview. Keeps the desktop gamma ramp, applies the configured one, and turns window
// messages into configuration commands and key events.
class CWindow
{
public:
    static constexpr char const* ClassName = "Tidewell window class";

    CWindow();
    ~CWindow();
    CWindow(CWindow const&) = delete;
    CWindow& operator=(CWindow const&) = delete;

    // With a parent the engine draws into the parent window at its size.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CConfig* config,
                CControls* controls, char const* title, HWND parent, unsigned int iconResource,
                unsigned long width, unsigned long height, bool fullscreen);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Restyles and resizes a window without a parent; does nothing for a child window.
    void SetMode(unsigned long width, unsigned long height, bool fullscreen, unsigned long desktopWidth,
                 unsigned long desktopHeight);

    // Once per frame: a top-level window that lost the keyboard focus minimises itself; a
    // host window's size is followed, and its destruction ends the run.
    void Refresh();

    void MinimizeWindow();
    void RestoreWindow();

    // Clamps v_brightness, v_contrast and v_gamma into [0, 2], writes them back and applies them.
    void SetGammaRamp();
    void RestoreGammaRamp();

    HWND GetHandler() const { return m_handle; }
    HWND GetParentHandler() const { return m_parent; }
    HINSTANCE GetInstance() const { return m_instance; }
    platform::HDC GetDeviceContext() const { return m_deviceContext; }
    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }

protected:
    void SetGammaRamp(float brightness, float contrast, float gamma);
    // One table of the ramp; red, green and blue all use it.
    static void BuildGammaRamp(float brightness, float contrast, float gamma, std::uint16_t ramp[256]);
    void ApplyGammaRamp(platform::GammaRamp const& ramp);

    static long WindowProc(HWND window, unsigned int message, unsigned int wParam, long lParam);

private:
    long HandleMessage(HWND window, unsigned int message, unsigned int wParam, long lParam);
    long HandleSystemCommand(HWND window, unsigned int message, unsigned int wParam, long lParam);
    void FollowHostWindow();

    static CWindow* s_window;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CControls* m_controls = nullptr;
    CConfig* m_config = nullptr;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    HWND m_parent = nullptr;
    HWND m_handle = nullptr;
    HINSTANCE m_instance = nullptr;
    platform::HDC m_deviceContext = nullptr;
    platform::GammaRamp m_savedGammaRamp;
    bool m_hostDestroyed = false;
    // The window had the keyboard focus since it was created or restored (focus arrives
    // asynchronously, so a window that never had it is not taken to have lost it).
    bool m_hadFocus = false;
    bool m_gammaFailureReported = false;
    // A configured ramp was applied since creation or the last restore.
    bool m_gammaChanged = false;
};
