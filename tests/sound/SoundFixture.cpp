#include "sound/SoundFixture.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace
{
std::filesystem::path ProcessDirectory()
{
    static std::filesystem::path const directory =
        std::filesystem::temp_directory_path() / ("coralume-sound-" + std::to_string(::getpid()));
    return directory;
}

// Removes the process's directory when the tests end.
struct SDirectoryCleaner
{
    ~SDirectoryCleaner()
    {
        std::error_code ignored;
        std::filesystem::remove_all(ProcessDirectory(), ignored);
    }
};
} // namespace

std::string const& PrepareWaveOutput()
{
    // The path outlives the cleaner that removes it.
    ProcessDirectory();
    static SDirectoryCleaner cleaner;
    static std::string const wavePath = [] {
        std::filesystem::create_directories(ProcessDirectory());
        std::string const configPath = (ProcessDirectory() / "alsoft.conf").string();
        std::string const output = (ProcessDirectory() / "output.wav").string();
        std::ofstream config(configPath, std::ios::trunc);
        config << "[general]\nsources = 4\nsample-type = int16\nchannels = mono\nfrequency = 22050\n\n"
               << "[wave]\nfile = " << output << "\n";
        config.close();
        ::setenv("ALSOFT_CONF", configPath.c_str(), 1);
        ::setenv("ALSOFT_DRIVERS", "wave", 1);
        return output;
    }();
    return wavePath;
}

void SoundTest::SetUp()
{
    PrepareWaveOutput();
    auto const* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    m_root = ProcessDirectory() / name;
    std::filesystem::create_directories(m_root);
    m_messages.Create("SoundTest", false, nullptr);
    m_memory.Create(&m_messages);
    m_files.Create(&m_messages, &m_memory, m_root.c_str(), nullptr);
    m_config.Create(&m_messages, &m_memory, &m_files, m_root.c_str(), "Tidewell", "640x480x16");
    m_sound.Create(&m_messages, &m_memory, &m_files, &m_config);
    ASSERT_FALSE(m_sound.IsFree()) << "the wave-file device did not open";
}

void SoundTest::TearDown()
{
    m_sound.Destroy();
    m_config.Destroy();
    m_files.Destroy();
    m_memory.Destroy();
    m_messages.Destroy();
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void SoundTest::WriteSound(std::string const& name, sounddata::Bytes const& bytes)
{
    std::string relative = "Data/Sounds/" + name;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    sounddata::WriteFile((m_root / relative).string(), bytes);
}

unsigned int SoundTest::CountLogged(std::string const& text) const
{
    unsigned int count = 0;
    for (unsigned int i = 0; i < m_messages.GetMessagesCount(); ++i)
        if (std::string(m_messages.GetMessageText(i)).find(text) != std::string::npos)
            ++count;
    return count;
}

bool SoundTest::Logged(std::string const& text) const
{
    return CountLogged(text) > 0;
}
