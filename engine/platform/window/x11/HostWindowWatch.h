#pragma once

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// A window of another program that this process draws into (a preview or screen-saver host,
// or the root window), watched on a display connection of its own: its size, and whether it
// still exists.
namespace platform
{
class HostWindowWatch
{
public:
    HostWindowWatch() = default;
    ~HostWindowWatch();
    HostWindowWatch(HostWindowWatch const&) = delete;
    HostWindowWatch& operator=(HostWindowWatch const&) = delete;

    // False when there is no display or the window does not exist.
    bool Start(unsigned long nativeWindowId);
    void Stop();
    bool IsWatching() const { return m_display != nullptr; }

    // Reads the structure events that arrived since the last call.
    void Poll();

    bool IsDestroyed() const { return m_destroyed; }
    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }

private:
    Display* m_display = nullptr;
    unsigned long m_window = 0;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    bool m_destroyed = false;
};

// Installs the process's X error handler: an error (a request on a window another program
// has just destroyed, say) is counted and never ends the process.
void InstallX11ErrorHandler();
// X errors seen since the handler was installed.
unsigned long GetX11ErrorCount();
} // namespace platform
