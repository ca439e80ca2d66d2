#pragma once

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "sound/SoundData.h"
#include "sound/SoundManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Points OpenAL at its wave-file writer (once per process, before the first device is
// opened) and returns the path of the file it writes.
std::string const& PrepareWaveOutput();

// Log, memory, files and configuration for an engine directory of its own, and a sound
// manager on the wave-file device.
class SoundTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Data/Sounds/<name> (backslashes as separators).
    void WriteSound(std::string const& name, sounddata::Bytes const& bytes);
    bool Logged(std::string const& text) const;
    unsigned int CountLogged(std::string const& text) const;

    std::filesystem::path m_root;
    CMessageManager m_messages;
    CMemoryManager m_memory;
    CFileManager m_files;
    CConfig m_config;
    CSoundManager m_sound;
};
