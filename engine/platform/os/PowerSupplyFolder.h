#pragma once

#include <optional>
#include <string>

namespace platform
{
// The kernel's power supply folder (/sys/class/power_supply): one subfolder per supply, each
// with small text files such as "type", "online", "status" and "scope".
class PowerSupplyFolder
{
public:
    static constexpr char const* SystemPath = "/sys/class/power_supply";

    explicit PowerSupplyFolder(std::string path = SystemPath) : m_path(std::move(path)) {}

    // True while a system battery discharges and no line power is online; false while on line
    // power; nothing when the folder names no battery of the system (a desktop computer).
    std::optional<bool> IsOnBattery() const;

private:
    std::string m_path;
};
} // namespace platform
