#include "WaveOutput.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace
{
std::filesystem::path const& OutputDirectory()
{
    static std::filesystem::path const directory =
        std::filesystem::temp_directory_path() / ("coralume-tank-sound-" + std::to_string(::getpid()));
    return directory;
}

struct SOutputRemover
{
    ~SOutputRemover()
    {
        std::error_code ignored;
        std::filesystem::remove_all(OutputDirectory(), ignored);
    }
};
} // namespace

std::string const& PrepareWaveOutput()
{
    OutputDirectory();
    static SOutputRemover remover;
    static std::string const output = [] {
        std::filesystem::create_directories(OutputDirectory());
        std::string const wave = (OutputDirectory() / "output.wav").string();
        std::string const config = (OutputDirectory() / "alsoft.conf").string();
        std::ofstream(config)
            << "[general]\nsources = 8\nsample-type = int16\nchannels = mono\nfrequency = 22050\n\n"
            << "[wave]\nfile = " << wave << "\n";
        ::setenv("ALSOFT_CONF", config.c_str(), 1);
        ::setenv("ALSOFT_DRIVERS", "wave", 1);
        return wave;
    }();
    return output;
}
