#include "render/Window.h"

#include "core/Config.h"
#include "core/MessageManager.h"
#include "input/Controls.h"
#include "platform/window/EventPump.h"
#include "platform/window/WindowMessages.h"

#include <algorithm>
#include <cmath>

CWindow* CWindow::s_window = nullptr;

namespace
{
// The most samples per pixel a window asks for.
constexpr int MaxSamples = 16;
} // namespace

CWindow::CWindow()
{
    s_window = this;
    m_handle = nullptr;
    m_instance = nullptr;
    m_deviceContext = nullptr;
}

CWindow::~CWindow()
{
    Destroy();
    if (s_window == this) {
        s_window = nullptr;
    }
}

void CWindow::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CConfig* config,
                     CControls* controls, char const* title, HWND parent, unsigned int /*iconResource*/,
                     unsigned long width, unsigned long height, bool fullscreen)
{
    Destroy();
    s_window = this;
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_config = config;
    m_controls = controls;
    m_width = static_cast<unsigned int>(width);
    m_height = static_cast<unsigned int>(height);
    m_parent = parent;
    m_hadFocus = false;
    m_gammaFailureReported = false;
    m_hostDestroyed = false;
    m_gammaChanged = false;
    m_messageManager->Write(" ");
    m_messageManager->Write("Window creation:");

    // The window class: the forwarding procedure of the process module.
    m_messageManager->Write("...Registering the window class...");
    m_instance = platform::GetProcessModule();
    if (!platform::InitializeVideo()) {
        m_messageManager->WriteFatalError("Failed to register the window class");
    }

    if (m_parent != nullptr) {
        // Drawn into the host window, at its size.
        int left = 0;
        int top = 0;
        int outerWidth = 0;
        int outerHeight = 0;
        m_handle = m_parent;
        platform::GetWindowRectangle(m_parent, &left, &top, &outerWidth, &outerHeight);
        m_width = static_cast<unsigned int>(std::max(outerWidth, 0));
        m_height = static_cast<unsigned int>(std::max(outerHeight, 0));
    } else {
        platform::DisplayMode desktop;
        if (!platform::GetDesktopDisplayMode(&desktop)) {
            desktop.width = m_width;
            desktop.height = m_height;
        }
        int left = 0;
        int top = 0;
        if (fullscreen) {
            // Full screen covers the desktop until the device picks the video mode.
            m_width = desktop.width;
            m_height = desktop.height;
        } else {
            // A window larger than the desktop cannot be made; the device picks a mode that fits.
            m_width = std::min(m_width, desktop.width);
            m_height = std::min(m_height, desktop.height);
            left = (static_cast<int>(desktop.width) - static_cast<int>(m_width)) / 2;
            top = (static_cast<int>(desktop.height) - static_cast<int>(m_height)) / 2;
        }
        SMainSettings* settings = m_config->GetMainSettings();
        settings->r_multisample = std::clamp(settings->r_multisample, 0, MaxSamples);
        m_handle = platform::CreateNativeWindow(
            title,
            fullscreen ? platform::NativeWindowStyle::FullScreen : platform::NativeWindowStyle::Windowed,
            left, top, m_width, m_height, static_cast<unsigned int>(settings->r_multisample));
    }
    if (m_handle == nullptr) {
        m_messageManager->WriteFatalError("Failed to create window");
    }
    m_free = false;
    platform::SetWindowProcedure(m_handle, &CWindow::WindowProc);
    if (m_parent == nullptr) {
        platform::SetWindowTopmost(m_handle, fullscreen);
    }

    m_messageManager->Write("...Creating a device context...");
    m_deviceContext = platform::GetDeviceContext(m_handle);
    if (m_deviceContext == nullptr) {
        m_messageManager->WriteFatalError("Failed to create a device context");
    }

    platform::ShowNativeWindow(m_handle);
    platform::RaiseWindow(m_handle);
    if (m_parent == nullptr) {
        platform::FocusWindow(m_handle);
    }

    platform::GetGammaRamp(m_handle, &m_savedGammaRamp);
    if (fullscreen && m_parent == nullptr) {
        SetGammaRamp();
    }
}

void CWindow::Destroy()
{
    if (m_free) {
        return;
    }
    RestoreGammaRamp();
    m_messageManager->Write("\nWindow destroying:");
    m_messageManager->Write("...Releasing device context...");
    m_deviceContext = nullptr;
    m_messageManager->Write("...Releasing window...");
    platform::RemoveWindowProcedure(m_handle);
    if (m_handle != m_parent) {
        platform::DestroyNativeWindow(m_handle);
    }
    m_handle = nullptr;
    m_messageManager->Write("...Unregistering class...");
    m_instance = nullptr;
    m_parent = nullptr;
    m_free = true;
}

void CWindow::SetMode(unsigned long width, unsigned long height, bool fullscreen, unsigned long desktopWidth,
                      unsigned long desktopHeight)
{
    if (m_free || m_parent != nullptr) {
        return;
    }
    m_width = static_cast<unsigned int>(width);
    m_height = static_cast<unsigned int>(height);
    if (fullscreen) {
        platform::SetNativeWindowStyle(m_handle, platform::NativeWindowStyle::FullScreen, 0, 0, m_width,
                                       m_height);
    } else {
        // A window at least as large as the desktop starts at its corner (the unsigned
        // difference would wrap far off the screen).
        int const left = width < desktopWidth ? static_cast<int>((desktopWidth - width) / 2) : 0;
        int const top = height < desktopHeight ? static_cast<int>((desktopHeight - height) / 2) : 0;
        platform::SetNativeWindowStyle(m_handle, platform::NativeWindowStyle::Windowed, left, top, m_width,
                                       m_height);
    }
    platform::SetWindowTopmost(m_handle, fullscreen);
    platform::ShowNativeWindow(m_handle);
    platform::FocusWindow(m_handle);
    if (fullscreen) {
        SetGammaRamp();
    } else {
        platform::RestoreDisplaySettings();
        RestoreGammaRamp();
    }
}

void CWindow::FollowHostWindow()
{
    // The back end follows the host window (its owner may resize or destroy it).
    if (platform::IsWindowDestroyed(m_parent)) {
        if (!m_hostDestroyed) {
            m_hostDestroyed = true;
            m_messageManager->Write("The host window was closed");
            m_config->GetMainSettings()->s_stop_engine = true;
            m_config->ExecuteCommand("exit");
        }
        return;
    }
    unsigned int width = 0;
    unsigned int height = 0;
    if (platform::GetWindowClientSize(m_parent, &width, &height) && width != 0 && height != 0) {
        m_width = width;
        m_height = height;
    }
}

void CWindow::Refresh()
{
    if (m_free) {
        return;
    }
    if (m_parent != nullptr) {
        FollowHostWindow();
        return;
    }
    if (m_config->GetMainSettings()->s_stop_engine) {
        return;
    }
    if (platform::HasKeyboardFocus(m_handle)) {
        m_hadFocus = true;
    } else if (m_hadFocus) {
        m_hadFocus = false;
        MinimizeWindow();
    }
}

void CWindow::MinimizeWindow()
{
    platform::PostWindowMessage(m_handle, platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
}

void CWindow::RestoreWindow()
{
    platform::PostWindowMessage(m_handle, platform::WM_SETFOCUS, 0, 0);
}

void CWindow::SetGammaRamp()
{
    SMainSettings* settings = m_config->GetMainSettings();
    settings->v_brightness = std::clamp(settings->v_brightness, 0.0f, 2.0f);
    settings->v_contrast = std::clamp(settings->v_contrast, 0.0f, 2.0f);
    settings->v_gamma = std::clamp(settings->v_gamma, 0.0f, 2.0f);
    SetGammaRamp(settings->v_brightness, settings->v_contrast, settings->v_gamma);
}

void CWindow::SetGammaRamp(float brightness, float contrast, float gamma)
{
    platform::GammaRamp ramp;
    BuildGammaRamp(brightness, contrast, gamma, ramp.red);
    std::copy(std::begin(ramp.red), std::end(ramp.red), ramp.green);
    std::copy(std::begin(ramp.red), std::end(ramp.red), ramp.blue);
    ApplyGammaRamp(ramp);
    m_gammaChanged = true;
}

void CWindow::BuildGammaRamp(float brightness, float contrast, float gamma, std::uint16_t ramp[256])
{
    float const offset = (brightness - 1.0f) * 256.0f * 256.0f;
    float const exponent = 1.0f / gamma;
    for (int i = 0; i < 256; ++i) {
        float x = static_cast<float>(i) / 256.0f;
        x = std::pow(x, exponent);
        x = x * 256.0f;
        float const value = 256.0f * x * contrast + offset;
        // Truncated toward zero, then clamped; NaN (gamma 0 at entry 0) counts as 0.
        double const truncated = std::isnan(value) ? 0.0 : std::trunc(static_cast<double>(value));
        ramp[i] = static_cast<std::uint16_t>(std::clamp(truncated, 0.0, 65535.0));
    }
}

void CWindow::ApplyGammaRamp(platform::GammaRamp const& ramp)
{
    if (m_handle == nullptr) {
        return;
    }
    if (!platform::SetGammaRamp(m_handle, ramp) && !m_gammaFailureReported) {
        m_gammaFailureReported = true;
        m_messageManager->WriteWarning("Failed to apply the gamma ramp");
    }
}

void CWindow::RestoreGammaRamp()
{
    // A window that never set a ramp leaves the display's alone.
    if (m_gammaChanged) {
        ApplyGammaRamp(m_savedGammaRamp);
        m_gammaChanged = false;
    }
}

long CWindow::WindowProc(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    if (s_window == nullptr || s_window->m_free) {
        return platform::DefaultWindowProcedure(window, message, wParam, lParam);
    }
    return s_window->HandleMessage(window, message, wParam, lParam);
}

long CWindow::HandleMessage(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    switch (message) {
    case platform::WM_CLOSE:
    case platform::WM_QUIT:
        m_config->ExecuteCommand("exit");
        return 0;
    case platform::WM_KEYDOWN:
    case platform::WM_SYSKEYDOWN:
        if (m_controls != nullptr) {
            m_controls->EnterKey(static_cast<char>(wParam & 0xFF), false);
        }
        break;
    case platform::WM_CHAR:
        if (wParam >= 32 && m_controls != nullptr) {
            m_controls->EnterKey(static_cast<char>(wParam & 0xFF), true);
        }
        break;
    case platform::WM_SYSKEYUP:
        return 0;
    case platform::WM_SYSCOMMAND:
        return HandleSystemCommand(window, message, wParam, lParam);
    default:
        break;
    }
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

long CWindow::HandleSystemCommand(HWND window, unsigned int message, unsigned int wParam, long lParam)
{
    SMainSettings* settings = m_config->GetMainSettings();
    switch (wParam & 0xFFF0) {
    case platform::SC_CLOSE:
        m_config->ExecuteCommand("exit");
        return 0;
    case platform::SC_MAXIMIZE:
    case platform::SC_TASKLIST:
    case platform::SC_SCREENSAVE:
    case platform::SC_HOTKEY:
    case platform::SC_MONITORPOWER:
        return 0;
    case platform::SC_MINIMIZE:
        if (m_parent != nullptr) {
            return 0;
        }
        settings->s_stop_engine = true;
        RestoreGammaRamp();
        break;
    case platform::SC_RESTORE:
        if (m_handle != nullptr) {
            settings->s_stop_engine = false;
            m_hadFocus = false;
            if (settings->v_fullscreen && m_parent == nullptr) {
                SetGammaRamp();
            }
        }
        break;
    default:
        break;
    }
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}
