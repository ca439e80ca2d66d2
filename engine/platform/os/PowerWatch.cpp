#include "platform/os/PowerWatch.h"

namespace platform
{
PowerWatch::PowerWatch(std::string const& busAddress, std::string supplyFolder)
    : m_bus(std::make_unique<SystemBusPower>(busAddress)), m_folder(std::move(supplyFolder))
{}

PowerState PowerWatch::Read(double now)
{
    if (!m_started) {
        m_started = true;
        m_nextBusPoll = now;
        m_nextFolderPoll = now;
    }
    if (now >= m_nextBusPoll) {
        m_nextBusPoll = now + BusPollInterval;
        m_bus->Poll();
        m_state.powerSaver = m_bus->IsPowerSaver();
        if (std::optional<bool> const onBattery = m_bus->IsOnBattery()) {
            m_state.onBattery = *onBattery;
            m_nextFolderPoll = now;
        }
    }
    if (!m_bus->IsOnBattery() && now >= m_nextFolderPoll) {
        m_nextFolderPoll = now + FolderPollInterval;
        m_state.onBattery = m_folder.IsOnBattery().value_or(false);
    }
    return m_state;
}
} // namespace platform
