// Covers the outputs the way the wallpaper (background layer) or the saver (overlay layer)
// does and clears the picture to a colour with a white top-left quarter, copied to every
// output by the frame mirror. Prints outputs, surface sizes and keys; the overlay ends on a
// key press, everything ends on SIGINT/SIGTERM or after the given seconds.
#include "platform/window/wayland/EglContext.h"
#include "platform/window/wayland/EvdevKeyMap.h"
#include "platform/window/wayland/FrameMirror.h"
#include "platform/window/wayland/WaylandConnection.h"
#include "platform/window/wayland/WaylandInput.h"
#include "platform/window/wayland/WaylandOutputSurfaces.h"

#include <GL/gl.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace platform::wayland;

namespace
{
constexpr int FrameMilliseconds = 16;
constexpr int DepthBits = 24;

volatile std::sig_atomic_t g_stopRequested = 0;

void RequestStop(int)
{
    g_stopRequested = 1;
}

struct Options
{
    SurfaceRole role = SurfaceRole::Background;
    std::vector<std::string> outputs;
    double seconds = 10.0;
    float red = 0.1f, green = 0.5f, blue = 0.8f;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--overlay") {
            options.role = SurfaceRole::Overlay;
        } else if (argument == "--window") {
            options.role = SurfaceRole::FullScreenWindow;
        } else if (argument == "--output" && hasValue) {
            options.outputs.push_back(argv[++i]);
        } else if (argument == "--seconds" && hasValue) {
            options.seconds = std::atof(argv[++i]);
        } else if (argument == "--colour" && hasValue) {
            unsigned long rgb = std::strtoul(argv[++i], nullptr, 16);
            options.red = float((rgb >> 16) & 0xFF) / 255.0f;
            options.green = float((rgb >> 8) & 0xFF) / 255.0f;
            options.blue = float(rgb & 0xFF) / 255.0f;
        } else {
            std::fprintf(
                stderr, "usage: coralume-wayland-check [--overlay|--window] [--output NAME]... [--seconds N] "
                        "[--colour RRGGBB]\n");
            return false;
        }
    }
    return true;
}

class Check : public SurfaceSetListener, public InputListener
{
public:
    Check(EglContext& context, bool endOnKey) : m_context(context), m_mirror(context), m_endOnKey(endOnKey) {}

    bool KeyPressed() const { return m_keyPressed; }

    void SurfaceRemoved(WaylandSurface& surface) override
    {
        auto found = m_eglSurfaces.find(&surface);
        if (found != m_eglSurfaces.end()) {
            std::printf("surface on %s removed\n", OutputName(surface));
            m_context.DestroySurface(found->second);
            m_eglSurfaces.erase(found);
        }
    }

    void Draw(WaylandOutputSurfaces& surfaces, Options const& options)
    {
        std::vector<WaylandSurface*> bySize;
        surfaces.ConfiguredBySize(bySize);
        for (WaylandSurface* surface : bySize) {
            if (!m_eglSurfaces.contains(surface)) {
                m_eglSurfaces[surface] = m_context.CreateSurface(surface->EglWindow());
            }
            if (surface->TakeResize()) {
                std::printf("surface on %s: %dx%d pixels\n", OutputName(*surface), surface->PixelWidth(),
                            surface->PixelHeight());
                std::fflush(stdout);
            }
        }
        if (bySize.empty()) {
            return;
        }
        WaylandSurface* primary = bySize.front();
        EGLSurface source = m_eglSurfaces[primary];
        if (!m_context.MakeCurrent(source)) {
            return;
        }
        int width = primary->PixelWidth();
        int height = primary->PixelHeight();
        glViewport(0, 0, width, height);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(options.red, options.green, options.blue, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, height / 2, width / 2, height - height / 2);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        std::vector<FrameMirror::Target> targets;
        for (std::size_t i = 1; i < bySize.size(); ++i) {
            targets.push_back(
                {m_eglSurfaces[bySize[i]], bySize[i]->PixelWidth(), bySize[i]->PixelHeight(), {}});
        }
        m_mirror.Present(source, width, height, targets);
    }

    void ReleaseAll()
    {
        for (auto& [surface, eglSurface] : m_eglSurfaces) {
            m_context.DestroySurface(eglSurface);
        }
        m_eglSurfaces.clear();
    }

    void KeyboardFocus(wl_surface*, bool focused) override
    {
        std::printf("keyboard focus %s\n", focused ? "in" : "out");
        std::fflush(stdout);
    }
    void Key(std::uint32_t evdevCode, bool down, std::uint32_t character) override
    {
        std::printf("key evdev %u code 0x%02X %s character U+%04X\n", evdevCode, EvdevToKeyCode(evdevCode),
                    down ? "down" : "up", character);
        std::fflush(stdout);
        if (down && m_endOnKey) {
            m_keyPressed = true;
        }
    }
    void PointerEnter(wl_surface*, double x, double y) override
    {
        std::printf("pointer enter %.0f,%.0f\n", x, y);
    }
    void PointerLeave(wl_surface*) override { std::printf("pointer leave\n"); }
    void PointerMotion(wl_surface*, double x, double y, double dx, double dy) override
    {
        std::printf("pointer %.0f,%.0f moved %.0f,%.0f\n", x, y, dx, dy);
    }
    void PointerButton(wl_surface*, int button, bool down) override
    {
        std::printf("button %d %s\n", button, down ? "down" : "up");
    }
    void PointerWheel(wl_surface*, int delta) override { std::printf("wheel %d\n", delta); }

private:
    static char const* OutputName(WaylandSurface const& surface)
    {
        return surface.Output() ? surface.Output()->Name().c_str() : "(window)";
    }

    EglContext& m_context;
    FrameMirror m_mirror;
    std::map<WaylandSurface*, EGLSurface> m_eglSurfaces;
    bool m_endOnKey;
    bool m_keyPressed = false;
};
} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    auto connection = WaylandConnection::Connect();
    if (!connection) {
        std::fprintf(stderr, "no Wayland compositor to connect to\n");
        return 1;
    }
    std::printf("layer shell: %s\n", connection->HasLayerShell() ? "yes" : "no");
    for (WaylandOutput* output : connection->Outputs()) {
        std::printf("output %s (%s): %dx%d scale %d\n", output->Name().c_str(), output->Description().c_str(),
                    output->PixelWidth(), output->PixelHeight(), output->Scale());
    }
    if (!connection->HasLayerShell() && options.role != SurfaceRole::FullScreenWindow) {
        if (options.role == SurfaceRole::Background) {
            std::fprintf(stderr, "this desktop offers no wallpaper layer\n");
            return 1;
        }
        options.role = SurfaceRole::FullScreenWindow;
    }
    auto context = EglContext::Create(connection->Display(), DepthBits, 0);
    if (!context) {
        return 1;
    }
    Check check(*context, options.role != SurfaceRole::Background);
    {
        WaylandOutputSurfaces surfaces(*connection, options.role, options.outputs);
        surfaces.SetListener(&check);
        if (connection->Input()) {
            connection->Input()->SetListener(&check);
        }
        auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
        while (!g_stopRequested && !check.KeyPressed() && std::chrono::steady_clock::now() < end) {
            if (!connection->Dispatch(FrameMilliseconds)) {
                std::fprintf(stderr, "lost the Wayland connection\n");
                return 1;
            }
            surfaces.RemoveClosedSurfaces();
            check.Draw(surfaces, options);
        }
        if (connection->Input()) {
            connection->Input()->SetListener(nullptr);
        }
        check.ReleaseAll();
    }
    std::printf("ended by %s\n", g_stopRequested ? "signal" : check.KeyPressed() ? "key" : "time");
    return 0;
}
