#include "platform/os/PowerSupplyFolder.h"

#include <filesystem>
#include <fstream>

namespace platform
{
namespace
{
// The files read here hold one short word or number; a longer one is not what they describe.
constexpr std::size_t LongestValue = 64;

std::string ReadWord(std::filesystem::path const& file)
{
    std::ifstream stream(file);
    std::string word;
    if (!stream || !std::getline(stream, word) || word.size() > LongestValue)
        return {};
    while (!word.empty() && (word.back() == '\r' || word.back() == ' '))
        word.pop_back();
    return word;
}
} // namespace

std::optional<bool> PowerSupplyFolder::IsOnBattery() const
{
    std::error_code error;
    std::filesystem::directory_iterator entries(m_path, error);
    if (error)
        return std::nullopt;
    bool hasBattery = false;
    bool discharging = false;
    bool linePower = false;
    for (std::filesystem::directory_entry const& entry : entries) {
        std::filesystem::path const supply = entry.path();
        std::string const type = ReadWord(supply / "type");
        if (type == "Battery") {
            // Batteries of devices (a mouse, a headset) say nothing about the computer's power.
            if (ReadWord(supply / "scope") == "Device")
                continue;
            hasBattery = true;
            discharging = discharging || ReadWord(supply / "status") == "Discharging";
        } else if (!type.empty() && ReadWord(supply / "online") == "1") {
            linePower = true;
        }
    }
    if (!hasBattery)
        return std::nullopt;
    return discharging && !linePower;
}
} // namespace platform
