// ExecuteCommand on arbitrary text: never crashes, always names a result that fits its buffer,
// and keeps every registered string terminated within its storage.
#include "core/Config.h"
#include "core/ConfigLine.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct FuzzConfig
{
    FuzzConfig()
    {
        config.Create(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        config.CreateCommand("g_count", CCT_INT, false, true, &count, "3");
        config.CreateCommand("g_path", CCT_STRING, false, true, path, "c:\\data");
        config.CreateCommand("g_locked", CCT_FLOAT, true, false, &locked, "0.5");
        config.CreateCommand("g_action", CCT_COMMAND, false, false, nullptr, "");
    }

    CConfig config;
    int count = 0;
    char path[256] = {};
    float locked = 0.0f;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    static FuzzConfig fuzz;
    CConfig& config = fuzz.config;

    std::string const text(reinterpret_cast<char const*>(data), size);
    SConfigCommandExecutionResult const result = config.ExecuteCommand(text.c_str());
    Check(result.code >= CER_DONE && result.code <= CER_EMPTY);
    Check(std::memchr(result.name, '\0', sizeof(result.name)) != nullptr);
    for (char const* at = result.name; *at; ++at)
        Check(!(*at >= 'A' && *at <= 'Z'));
    Check((result.code == CER_EMPTY) == SConfigLine::Parse(text.c_str()).empty);

    Check(std::memchr(config.GetMainSettings()->v_mode, '\0', 256) != nullptr);
    Check(std::memchr(fuzz.path, '\0', sizeof(fuzz.path)) != nullptr);
    Check(config.GetMainSettings()->s_stop_engine == false);
    Check(fuzz.locked == 0.5f);
    Check(std::strlen(config.GetValue(result.name)) < 256);

    unsigned long width = 0, height = 0, bits = 0;
    CConfig::ParseVideoModeString(text, &width, &height, &bits);
    CConfig::ParseVideoModeString(config.GetMainSettings()->v_mode, &width, &height, &bits);

    if (size % 16 == 0)
        config.ExecuteCommand("reset_config");
    config.Refresh();
    return 0;
}

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    for (char const* line :
         {"v_mode 800x600x16", "  V_MODE   1024X768X32 more", "\\exit now", "g_path\\\\c:\\x\\\\y",
          "s_stop_engine 1", "g_count -99999999999999", "v_gamma 1e300", "g_locked 2", "reset_config",
          "\t\r\n", "g_action", "unknown_name value"})
        seeds.emplace_back(line, line + std::strlen(line));
}
