// The wallpaper's power saving, driven by a fake power daemon and profile daemon on a private
// bus of the test's own, and by a fake power supply folder.
#include "PowerSaving.h"
#include "platform/os/PowerWatch.h"
#include "support/ChildProcess.h"

#include <dbus/dbus.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace
{
using namespace std::chrono_literals;

constexpr auto AnswerLimit = 5s;
constexpr int FakeLoopMilliseconds = 20;

// Answers Properties.Get for the battery flag and the active profile, and signals their changes.
class FakePowerServices
{
public:
    bool Start(std::string const& address)
    {
        DBusError error;
        dbus_error_init(&error);
        m_connection = dbus_connection_open_private(address.c_str(), &error);
        bool const ready = m_connection != nullptr && dbus_bus_register(m_connection, &error) &&
                           Own(platform::SystemBusPower::PowerService, &error) &&
                           Own(platform::SystemBusPower::ProfileService, &error);
        dbus_error_free(&error);
        if (ready)
            m_thread = std::thread([this] { Serve(); });
        return ready;
    }

    ~FakePowerServices()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_connection != nullptr) {
            dbus_connection_close(m_connection);
            dbus_connection_unref(m_connection);
        }
    }

    void SetOnBattery(bool onBattery)
    {
        m_onBattery = onBattery;
        m_powerChanged = true;
    }

    void SetProfile(std::string profile)
    {
        {
            std::lock_guard lock(m_mutex);
            m_profile = std::move(profile);
        }
        m_profileChanged = true;
    }

private:
    bool Own(char const* name, DBusError* error)
    {
        return dbus_bus_request_name(m_connection, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, error) ==
               DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER;
    }

    void Serve()
    {
        while (!m_stop && dbus_connection_read_write(m_connection, FakeLoopMilliseconds)) {
            while (DBusMessage* message = dbus_connection_pop_message(m_connection)) {
                if (dbus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Get"))
                    Answer(message);
                dbus_message_unref(message);
            }
            if (m_powerChanged.exchange(false))
                Signal(platform::SystemBusPower::PowerPath, platform::SystemBusPower::PowerInterface);
            if (m_profileChanged.exchange(false))
                Signal(platform::SystemBusPower::ProfilePath, platform::SystemBusPower::ProfileService);
        }
    }

    void Answer(DBusMessage* call)
    {
        char const* interface = nullptr;
        char const* name = nullptr;
        dbus_message_get_args(call, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                              DBUS_TYPE_INVALID);
        std::string const property = name != nullptr ? name : "";
        DBusMessage* reply = nullptr;
        if (property == platform::SystemBusPower::OnBatteryProperty) {
            reply = dbus_message_new_method_return(call);
            dbus_bool_t const flag = m_onBattery ? TRUE : FALSE;
            AppendVariant(reply, DBUS_TYPE_BOOLEAN, "b", &flag);
        } else if (property == platform::SystemBusPower::ActiveProfileProperty) {
            reply = dbus_message_new_method_return(call);
            std::string profile;
            {
                std::lock_guard lock(m_mutex);
                profile = m_profile;
            }
            char const* text = profile.c_str();
            AppendVariant(reply, DBUS_TYPE_STRING, "s", &text);
        } else {
            reply = dbus_message_new_error(call, "org.freedesktop.DBus.Error.UnknownProperty",
                                           "no such property");
        }
        dbus_connection_send(m_connection, reply, nullptr);
        dbus_message_unref(reply);
    }

    static void AppendVariant(DBusMessage* reply, int type, char const* signature, void const* value)
    {
        DBusMessageIter arguments;
        DBusMessageIter variant;
        dbus_message_iter_init_append(reply, &arguments);
        dbus_message_iter_open_container(&arguments, DBUS_TYPE_VARIANT, signature, &variant);
        dbus_message_iter_append_basic(&variant, type, value);
        dbus_message_iter_close_container(&arguments, &variant);
    }

    // PropertiesChanged with the values left to be asked for.
    void Signal(char const* path, char const* interface)
    {
        DBusMessage* signal =
            dbus_message_new_signal(path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        DBusMessageIter arguments;
        DBusMessageIter container;
        dbus_message_iter_init_append(signal, &arguments);
        dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &interface);
        dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &container);
        dbus_message_iter_close_container(&arguments, &container);
        dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "s", &container);
        dbus_message_iter_close_container(&arguments, &container);
        dbus_connection_send(m_connection, signal, nullptr);
        dbus_message_unref(signal);
    }

    DBusConnection* m_connection = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_onBattery{false};
    std::atomic<bool> m_powerChanged{false};
    std::atomic<bool> m_profileChanged{false};
    std::mutex m_mutex;
    std::string m_profile = "balanced";
};

class PowerSavingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("coralume-power-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // A session bus of the test's own; its address, or "" when none could be started.
    std::string StartBus()
    {
        std::string const addressFile = (m_folder / "address").string();
        if (!m_bus.Start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"}, {},
                         "/dev/null", addressFile))
            return {};
        auto const end = std::chrono::steady_clock::now() + AnswerLimit;
        while (std::chrono::steady_clock::now() < end && m_bus.IsRunning()) {
            std::string address;
            std::ifstream file(addressFile);
            if (std::getline(file, address) && file)
                return address;
            std::this_thread::sleep_for(FakeLoopMilliseconds * 1ms);
        }
        return {};
    }

    void WriteSupply(std::string const& name, std::string const& file, std::string const& value)
    {
        std::filesystem::create_directories(m_folder / "supplies" / name);
        std::ofstream(m_folder / "supplies" / name / file) << value << "\n";
    }

    // Reads the watch into the policy as the frame loop would until `wanted` holds.
    bool Follow(platform::PowerWatch* watch, std::function<bool()> const& wanted)
    {
        auto const end = std::chrono::steady_clock::now() + AnswerLimit;
        do {
            m_now += platform::PowerWatch::FolderPollInterval;
            m_saving.Update(watch->Read(m_now));
            if (wanted())
                return true;
            std::this_thread::sleep_for(FakeLoopMilliseconds * 1ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    std::filesystem::path m_folder;
    ChildProcess m_bus;
    CPowerSaving m_saving;
    double m_now = 0.0;
};
} // namespace

TEST_F(PowerSavingTest, BatteryAndPowerSaverProfileSlowTheWallpaperUntilPluggedIn)
{
    std::string const address = StartBus();
    if (address.empty())
        GTEST_SKIP() << "dbus-daemon cannot be started";
    FakePowerServices services;
    ASSERT_TRUE(services.Start(address));
    platform::PowerWatch watch(address, (m_folder / "none").string());
    auto const rateIs = [this](int rate) {
        return [this, rate] { return m_saving.GetFramesPerSecond() == rate; };
    };

    EXPECT_TRUE(Follow(&watch, rateIs(0)));
    services.SetOnBattery(true);
    EXPECT_TRUE(Follow(&watch, rateIs(CPowerSaving::SlowFramesPerSecond)));
    services.SetOnBattery(false);
    EXPECT_TRUE(Follow(&watch, rateIs(0)));
    services.SetProfile(platform::SystemBusPower::PowerSaverProfile);
    EXPECT_TRUE(Follow(&watch, rateIs(CPowerSaving::SlowFramesPerSecond)));

    m_saving.SetMode(CPowerSaving::ParseMode("pause"));
    EXPECT_TRUE(Follow(&watch, [this] { return m_saving.IsPaused(); }));
    services.SetProfile("balanced");
    EXPECT_TRUE(
        Follow(&watch, [this] { return !m_saving.IsPaused() && m_saving.GetFramesPerSecond() == 0; }));
}

// Without a bus the kernel's folder tells: a discharging battery and no line power online.
TEST_F(PowerSavingTest, WithoutABusTheSupplyFolderTells)
{
    WriteSupply("AC", "type", "Mains");
    WriteSupply("AC", "online", "0");
    WriteSupply("BAT0", "type", "Battery");
    WriteSupply("BAT0", "status", "Discharging");
    WriteSupply("hidpp_battery_0", "type", "Battery");
    WriteSupply("hidpp_battery_0", "scope", "Device");
    WriteSupply("hidpp_battery_0", "status", "Full");
    platform::PowerWatch watch("unix:path=" + (m_folder / "no-bus").string(),
                               (m_folder / "supplies").string());

    EXPECT_TRUE(Follow(
        &watch, [this] { return m_saving.GetFramesPerSecond() == CPowerSaving::SlowFramesPerSecond; }));
    WriteSupply("AC", "online", "1");
    WriteSupply("BAT0", "status", "Charging");
    EXPECT_TRUE(Follow(&watch, [this] { return m_saving.GetFramesPerSecond() == 0; }));
}
