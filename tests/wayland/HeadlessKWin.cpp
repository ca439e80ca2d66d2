#include "HeadlessKWin.h"

#include <dbus/dbus.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sstream>
#include <thread>

namespace wayland
{
namespace fs = std::filesystem;

namespace
{
// KWin picks its own platform plugin only for a program of this name.
constexpr char const* ProgramName = "kwin_wayland";
constexpr double BusStartSeconds = 10.0;
constexpr double BusStopSeconds = 5.0;
constexpr int CaptureMilliseconds = 10000;
constexpr auto RetryInterval = std::chrono::milliseconds(100);
constexpr auto CaptureInterval = std::chrono::milliseconds(250);

// A session bus that the test (root, or the user itself) may use beside the compositor's user.
constexpr char const* BusConfiguration = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=@PATH@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

struct BusConnectionClose
{
    void operator()(DBusConnection* connection) const
    {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageUnref
{
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using BusConnection = std::unique_ptr<DBusConnection, BusConnectionClose>;
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// The image's description in KWin's answer: a dictionary of strings to unsigned numbers.
struct ImageFormat
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t stride = 0;
    std::uint32_t format = 0;
};

ImageFormat ReadImageFormat(DBusMessage* reply)
{
    ImageFormat image;
    DBusMessageIter arguments;
    DBusMessageIter dictionary;
    if (!dbus_message_iter_init(reply, &arguments) ||
        dbus_message_iter_get_arg_type(&arguments) != DBUS_TYPE_ARRAY)
        return image;
    dbus_message_iter_recurse(&arguments, &dictionary);
    for (; dbus_message_iter_get_arg_type(&dictionary) == DBUS_TYPE_DICT_ENTRY;
         dbus_message_iter_next(&dictionary)) {
        DBusMessageIter entry;
        DBusMessageIter value;
        char const* key = nullptr;
        dbus_message_iter_recurse(&dictionary, &entry);
        if (dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING)
            continue;
        dbus_message_iter_get_basic(&entry, &key);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &value);
        if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_UINT32)
            continue;
        std::uint32_t number = 0;
        dbus_message_iter_get_basic(&value, &number);
        for (auto [name, field] : {std::pair{"width", &image.width}, std::pair{"height", &image.height},
                                   std::pair{"stride", &image.stride}, std::pair{"format", &image.format}}) {
            if (std::strcmp(key, name) == 0)
                *field = number;
        }
    }
    return image;
}

// The CaptureScreen call: the output's name, the wish for its own pixels, and where to write.
Message MakeCaptureCall(int pipeEnd)
{
    Message call(dbus_message_new_method_call("org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                              "org.kde.KWin.ScreenShot2", "CaptureScreen"));
    char const* output = HeadlessKWin::OutputName;
    char const* option = "native-resolution";
    dbus_bool_t const yes = TRUE;
    DBusMessageIter arguments;
    DBusMessageIter options;
    DBusMessageIter entry;
    DBusMessageIter value;
    dbus_message_iter_init_append(call.get(), &arguments);
    dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &output);
    dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &options);
    dbus_message_iter_open_container(&options, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &option);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, DBUS_TYPE_BOOLEAN_AS_STRING, &value);
    dbus_message_iter_append_basic(&value, DBUS_TYPE_BOOLEAN, &yes);
    dbus_message_iter_close_container(&entry, &value);
    dbus_message_iter_close_container(&options, &entry);
    dbus_message_iter_close_container(&arguments, &options);
    dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UNIX_FD, &pipeEnd);
    return call;
}

// Everything written to `descriptor` until its other end closes (`milliseconds` at most).
std::vector<std::uint8_t> ReadToEnd(int descriptor, int milliseconds)
{
    constexpr int PollMilliseconds = 100;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> buffer(1 << 16);
    auto const end = ChildProcess::Clock::now() + std::chrono::milliseconds(milliseconds);
    while (ChildProcess::Clock::now() < end) {
        pollfd waiting{descriptor, POLLIN, 0};
        if (poll(&waiting, 1, PollMilliseconds) <= 0)
            continue;
        ssize_t const got = read(descriptor, buffer.data(), buffer.size());
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            break;
        if (got > 0)
            data.insert(data.end(), buffer.begin(), buffer.begin() + got);
    }
    return data;
}
} // namespace

// The bus goes first: ending the compositor ends every child left, which would leave the
// bus's process reaped behind its object.
HeadlessKWin::~HeadlessKWin()
{
    if (m_bus.IsRunning()) {
        m_bus.Signal(SIGTERM);
        if (!m_bus.Wait(BusStopSeconds))
            m_bus.Kill();
    }
    Stop();
}

bool HeadlessKWin::StartBus(std::string& problem)
{
    std::string const daemon = FindProgram("dbus-daemon");
    fs::path const socket = RuntimeFolder() / "bus";
    fs::path const configuration = Folder() / "bus.conf";
    std::string text = BusConfiguration;
    text.replace(text.find("@PATH@"), std::strlen("@PATH@"), socket.string());
    std::ofstream(configuration) << text;
    m_bus.RunAs(GetUser());
    if (!m_bus.Start({daemon, "--config-file=" + configuration.string(), "--nofork"}, {},
                     (Folder() / "bus.log").string())) {
        problem = "cannot start dbus-daemon";
        return false;
    }
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(BusStartSeconds);
    while (ChildProcess::Clock::now() < end && m_bus.IsRunning() && !fs::is_socket(socket))
        std::this_thread::sleep_for(RetryInterval);
    if (!fs::is_socket(socket)) {
        problem = "the session bus did not start";
        return false;
    }
    m_busAddress = "unix:path=" + socket.string();
    return true;
}

bool HeadlessKWin::Start(int pixelWidth, int pixelHeight, double scale, std::string& problem)
{
    std::string const installed = FindProgram(ProgramName);
    if (access(installed.c_str(), X_OK) != 0) {
        problem = "kwin_wayland is not installed (Debian package kwin-wayland)";
        return false;
    }
    // The installed program carries a file capability (a higher resource limit) that a
    // container's bounding set may lack, and then it cannot be started at all: a plain copy
    // runs the same without it.
    fs::path const program = Folder() / "kwin" / ProgramName;
    MakeUserFolder(program.parent_path(), fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
    std::error_code error;
    if (!fs::copy_file(installed, program, fs::copy_options::overwrite_existing, error)) {
        problem = "cannot copy " + installed + ": " + error.message();
        return false;
    }
    MakeUserFolder(RuntimeFolder(), fs::perms::owner_all);
    if (!StartBus(problem))
        return false;
    // KWin's width and height are the output's size in logical units.
    std::ostringstream scaleText;
    scaleText << scale;
    if (!Launch({program.string(), "--virtual", "--width", std::to_string(std::lround(pixelWidth / scale)),
                 "--height", std::to_string(std::lround(pixelHeight / scale)), "--scale", scaleText.str(),
                 "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"},
                {"QT_QPA_PLATFORM=", "DBUS_SESSION_BUS_ADDRESS=" + m_busAddress, "LIBGL_ALWAYS_SOFTWARE=1",
                 "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1"})) {
        problem = "cannot start kwin_wayland";
        return false;
    }
    if (!WaitUntilListening([] { return true; })) {
        problem = "headless KWin did not start as " + GetUser().name + ": " + GetLog();
        return false;
    }
    return true;
}

std::optional<Screenshot> HeadlessKWin::Capture(std::string& problem)
{
    DBusError error;
    dbus_error_init(&error);
    BusConnection bus(dbus_connection_open_private(m_busAddress.c_str(), &error));
    if (!bus || !dbus_bus_register(bus.get(), &error)) {
        problem = std::string("no session bus: ") + (error.message ? error.message : "");
        dbus_error_free(&error);
        return std::nullopt;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        problem = "no pipe";
        return std::nullopt;
    }
    Message call = MakeCaptureCall(ends[1]);
    close(ends[1]); // the message holds its own copy
    // KWin writes the pixels after it answers, more than a pipe holds: read while waiting.
    std::vector<std::uint8_t> pixels;
    std::thread reader(
        [&pixels, readEnd = ends[0]] { pixels = ReadToEnd(readEnd, 2 * CaptureMilliseconds); });
    Message const reply(
        dbus_connection_send_with_reply_and_block(bus.get(), call.get(), CaptureMilliseconds, &error));
    call.reset(); // with it our copy of the writing end: KWin's closing it ends the pixels
    if (!reply) {
        problem = std::string("no screenshot: ") + (error.message ? error.message : "");
        dbus_error_free(&error);
    }
    reader.join();
    close(ends[0]);
    if (!reply)
        return std::nullopt;
    ImageFormat const image = ReadImageFormat(reply.get());
    std::optional<Screenshot> shot =
        Screenshot::FromBgrx(int(image.width), int(image.height), image.stride, pixels);
    if (!shot)
        problem = "the screenshot holds " + std::to_string(pixels.size()) + " bytes for " +
                  std::to_string(image.width) + "x" + std::to_string(image.height);
    return shot;
}

std::optional<Screenshot> HeadlessKWin::WaitForScene(double seconds, std::string& problem)
{
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(seconds);
    std::optional<Screenshot> shot = Capture(problem);
    while (ChildProcess::Clock::now() < end && !(shot && shot->IsSceneInEveryQuadrant(KWinBackground))) {
        std::this_thread::sleep_for(CaptureInterval);
        shot = Capture(problem);
    }
    return shot;
}
} // namespace wayland
