#pragma once

// An installation folder in a temporary directory with a Plugins folder filled from the
// plug-ins built for these tests, and the engine parts the loader uses.
#include "core/Engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class LoaderFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the test plug-in `name` into Plugins as `fileName` (default name.so).
    void InstallPlugin(char const* name, std::string fileName = "");
    // Writes Plugins/<base>.dat.
    void WriteDescriptor(std::string const& base, std::vector<std::uint8_t> const& bytes);
    // A descriptor with two texts, enabled or not.
    static std::vector<std::uint8_t> Descriptor(bool enabled, char const* first = "",
                                                char const* second = "");

    // The texts of the messages written since the last call, in order.
    std::vector<std::string> TakeMessages();
    std::vector<std::string> TakeMessages(EMessageType type);
    std::string PluginPath(std::string const& fileName) const;

    std::string m_installPath;
    char m_installPathVariable[256] = {};
    CEngine m_engine;
};
