#pragma once

#include "core/Config.h"
#include "core/Errors.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundManager.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

// An engine directory and a sound manager on OpenAL's silent output, shared by every
// input of a sound fuzz target.
class CSoundFuzzHost
{
public:
    CSoundFuzzHost()
    {
        ::setenv("ALSOFT_DRIVERS", "null", 0);
        m_root =
            std::filesystem::temp_directory_path() / ("coralume-fuzz-sound-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_root / "Data" / "Sounds");
        m_messages.Create("SoundFuzz", false, nullptr);
        m_memory.Create(&m_messages);
        m_files.Create(&m_messages, &m_memory, m_root.c_str(), nullptr);
        m_config.Create(&m_messages, &m_memory, &m_files, m_root.c_str(), "Tidewell", "640x480x16");
        m_sound.Create(&m_messages, &m_memory, &m_files, &m_config);
        if (m_sound.IsFree())
            std::abort();
    }

    ~CSoundFuzzHost()
    {
        m_sound.Destroy();
        m_config.Destroy();
        m_files.Destroy();
        m_memory.Destroy();
        m_messages.Destroy();
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Loads the bytes as Data\Sounds\<name> and checks the buffer that results.
    void Load(std::string const& name, std::uint8_t const* data, std::size_t size)
    {
        // Rewritten in place and cut to size: truncating a whole file each time is slow.
        std::string const path = (m_root / "Data" / "Sounds" / name).string();
        int const file = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        if (file < 0 || ::write(file, data, size) != static_cast<ssize_t>(size) ||
            ::ftruncate(file, static_cast<off_t>(size)) != 0)
            std::abort();
        ::close(file);
        CSoundBufferManager* buffers = m_sound.GetSoundBufferManager();
        try {
            buffers->AddBuffer(name);
            CSoundBuffer const* buffer = buffers->GetSoundBuffer(name);
            if (!buffer || buffer->IsFree() || buffer->GetSize() == 0 || buffer->GetFrequency() == 0)
                std::abort();
            buffers->RemoveBuffer(name);
        } catch (CFatalError const&) {
            // Multi-channel WAV files are fatal by design.
        }
        if (buffers->GetSoundBuffer(name))
            std::abort();
        m_sound.Refresh();
        m_messages.ClearMessagesBuffer();
    }

private:
    std::filesystem::path m_root;
    CMessageManager m_messages;
    CMemoryManager m_memory;
    CFileManager m_files;
    CConfig m_config;
    CSoundManager m_sound;
};
