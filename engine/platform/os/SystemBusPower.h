#pragma once

#include <optional>
#include <string>

struct DBusConnection;

namespace platform
{
// What the system's power services say over D-Bus: the power daemon whether the computer runs
// on its battery, the power profile daemon which profile is active. Changes arrive as signals
// that Poll reads without waiting. Without a bus, or without the services, it knows nothing.
class SystemBusPower
{
public:
    static constexpr char const* PowerService = "org.freedesktop.UPower";
    static constexpr char const* PowerPath = "/org/freedesktop/UPower";
    static constexpr char const* PowerInterface = "org.freedesktop.UPower";
    static constexpr char const* OnBatteryProperty = "OnBattery";
    // The profile daemon under its first name and under the name it took later.
    static constexpr char const* ProfileService = "net.hadess.PowerProfiles";
    static constexpr char const* ProfilePath = "/net/hadess/PowerProfiles";
    static constexpr char const* NewProfileService = "org.freedesktop.UPower.PowerProfiles";
    static constexpr char const* NewProfilePath = "/org/freedesktop/UPower/PowerProfiles";
    static constexpr char const* ActiveProfileProperty = "ActiveProfile";
    static constexpr char const* PowerSaverProfile = "power-saver";
    // A service that does not answer within this time is taken as absent.
    static constexpr int CallTimeoutMilliseconds = 500;

    // An empty address: the system bus.
    explicit SystemBusPower(std::string const& busAddress = {});
    ~SystemBusPower();
    SystemBusPower(SystemBusPower const&) = delete;
    SystemBusPower& operator=(SystemBusPower const&) = delete;

    bool IsConnected() const { return m_connection != nullptr; }
    // Reads the signals that arrived; true when the services were asked again.
    bool Poll();

    // Nothing when the power daemon did not answer.
    std::optional<bool> IsOnBattery() const { return m_onBattery; }
    bool IsPowerSaver() const { return m_powerSaver; }

private:
    void Subscribe(char const* rule);
    void ReadProperties();
    bool ReadBoolean(char const* service, char const* path, char const* interface, char const* name,
                     bool* value);
    bool ReadString(char const* service, char const* path, char const* interface, char const* name,
                    std::string* value);

    DBusConnection* m_connection = nullptr;
    std::optional<bool> m_onBattery;
    bool m_powerSaver = false;
};
} // namespace platform
