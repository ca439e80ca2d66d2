#pragma once

// Before Xlib, whose macros (None, Bool) clash with names in GoogleTest.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// A screen of the test's own (Xvfb) with an Xlib connection to it, for tests that cover the
// whole screen, blank it or start a screen saver without disturbing tests on the shared display.
// DISPLAY names it while the fixture runs.
class CPrivateScreenFixture : public ::testing::Test
{
protected:
    static constexpr int Width = 640;
    static constexpr int Height = 480;
    static constexpr int ConnectAttempts = 50;
    static constexpr useconds_t ConnectRetryMicroseconds = 100000;

    void SetUp() override
    {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        m_server = fork();
        ASSERT_GE(m_server, 0);
        if (m_server == 0) {
            close(pipeEnds[0]);
            std::string const descriptor = std::to_string(pipeEnds[1]);
            std::string const screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
            std::freopen("/dev/null", "w", stderr);
            execlp("Xvfb", "Xvfb", "-displayfd", descriptor.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        // The whole line: the server dies of SIGPIPE if the pipe closes before its newline.
        std::string number;
        char character = 0;
        while (read(pipeEnds[0], &character, 1) == 1 && character != '\n')
            number += character;
        close(pipeEnds[0]);
        if (number.empty())
            GTEST_SKIP() << "Xvfb did not start";
        if (char const* previous = std::getenv("DISPLAY"))
            m_previousDisplay = previous;
        m_displayName = ":" + number;
        setenv("DISPLAY", m_displayName.c_str(), 1);
        // The server may take a moment more to accept connections.
        for (int attempt = 0; attempt < ConnectAttempts && display == nullptr; ++attempt) {
            display = XOpenDisplay(m_displayName.c_str());
            if (display == nullptr)
                usleep(ConnectRetryMicroseconds);
        }
        ASSERT_NE(display, nullptr) << "cannot connect to " << m_displayName;
        root = DefaultRootWindow(display);
    }

    void TearDown() override
    {
        if (display != nullptr)
            XCloseDisplay(display);
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
        if (m_previousDisplay.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", m_previousDisplay.c_str(), 1);
    }

    // A mapped top-level window that no window manager places (there is none).
    Window MapWindow(int left, int top, int width, int height)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = 0;
        Window const window = XCreateWindow(display, root, left, top, static_cast<unsigned int>(width),
                                            static_cast<unsigned int>(height), 0, CopyFromParent, InputOutput,
                                            CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    Display* display = nullptr;
    Window root = 0;

private:
    pid_t m_server = -1;
    std::string m_displayName;
    std::string m_previousDisplay;
};
