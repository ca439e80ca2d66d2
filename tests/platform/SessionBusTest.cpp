#include "platform/os/SessionBus.h"

#include <gtest/gtest.h>

#include <dbus/dbus.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

namespace
{
// Each test starts with no session bus named anywhere; the variables come back afterwards.
class SessionBusTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            char const* value = std::getenv(Names[i]);
            saved[i] = value ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(Names[i]);
        }
        char pattern[] = "/tmp/tidewell-runtime-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        runtime = pattern;
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }

    void TearDown() override
    {
        for (int i = 0; i < 2; ++i) {
            if (saved[i])
                ::setenv(Names[i], saved[i]->c_str(), 1);
            else
                ::unsetenv(Names[i]);
        }
        std::filesystem::remove_all(runtime);
    }

    static constexpr char const* Names[2] = {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"};
    std::optional<std::string> saved[2];
    std::string runtime;
};

TEST_F(SessionBusTest, WithoutABusTheClientLibraryLaunchesNoneAndTheVariableIsPutBack)
{
    {
        platform::SessionBusAutolaunchGuard const guard;
        // Under an X display the library would start a bus through dbus-launch and succeed.
        DBusError error;
        dbus_error_init(&error);
        DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
        EXPECT_EQ(connection, nullptr);
        EXPECT_TRUE(dbus_error_is_set(&error));
        dbus_error_free(&error);
        if (connection != nullptr) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
        }
    }
    EXPECT_EQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);
}

TEST_F(SessionBusTest, ANamedBusOrTheRuntimeSocketIsLeftAlone)
{
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus", 1);
    {
        platform::SessionBusAutolaunchGuard const guard;
        EXPECT_STREQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/run/user/1000/bus");
    }
    EXPECT_STREQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/run/user/1000/bus");

    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    int const listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::string const socketPath = runtime + "/bus";
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    {
        platform::SessionBusAutolaunchGuard const guard;
        EXPECT_EQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);
    }
    ::close(listener);
}
} // namespace
