#pragma once

#include "platform/os/PowerSupplyFolder.h"
#include "platform/os/SystemBusPower.h"

#include <memory>
#include <string>

namespace platform
{
struct PowerState
{
    bool onBattery = false;
    bool powerSaver = false; // the power-saver profile is active

    bool operator==(PowerState const&) const = default;
};

// Follows the computer's power: the system's power services over D-Bus where they run, else
// the kernel's power supply folder. Asked once per frame, it reads the bus only now and then.
class PowerWatch
{
public:
    // Seconds between looks at the bus's signals and between readings of the supply folder.
    static constexpr double BusPollInterval = 1.0;
    static constexpr double FolderPollInterval = 5.0;

    // An empty bus address: the system bus.
    explicit PowerWatch(std::string const& busAddress = {},
                        std::string supplyFolder = PowerSupplyFolder::SystemPath);

    // The state at `now` (seconds on any steady clock).
    PowerState Read(double now);

private:
    std::unique_ptr<SystemBusPower> m_bus;
    PowerSupplyFolder m_folder;
    PowerState m_state;
    bool m_started = false;
    double m_nextBusPoll = 0.0;
    double m_nextFolderPoll = 0.0;
};
} // namespace platform
