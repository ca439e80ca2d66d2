#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../../plugins/tank/BubbleSound.h"
#include "WaveOutput.h"
#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "platform/os/Clock.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"

namespace
{

namespace fs = std::filesystem;

// The sound manager on OpenAL's wave-file writer, with the generated bubble sound in its data
// folder and the switch variable registered as the program registers it.
class BubbleSoundTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fs::path const generated = fs::path(CORALUME_STAGE_DIR) / "Data" / "Sounds" / "bubbles.ogg";
        if (!fs::exists(generated))
            GTEST_SKIP() << "content not generated: " << generated;
        root = fs::temp_directory_path() / ("coralume-tank-sound-" + std::to_string(::getpid()));
        fs::create_directories(root / "Data" / "Sounds");
        fs::copy_file(generated, root / "Data" / "Sounds" / "bubbles.ogg",
                      fs::copy_options::overwrite_existing);
        wavePath = PrepareWaveOutput();
        messages.Create("BubbleSoundTest", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, root.c_str(), nullptr);
        config.Create(&messages, &memory, &files, root.c_str(), "Tidewell", "640x480x16");
        config.CreateCommand("g_play_bubles_sound", CCT_BOOL, false, true, &playBubbles, "1");
        sounds.Create(&messages, &memory, &files, &config);
        ASSERT_FALSE(sounds.IsFree()) << "the wave-file device did not open";
    }

    void TearDown() override
    {
        bubbles.Destroy();
        sounds.Destroy();
        config.Destroy();
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // Refreshes the sound and its manager for `milliseconds`, as the frame loop would.
    void Run(unsigned int milliseconds)
    {
        unsigned int const start = platform::GetTickMilliseconds();
        while (platform::GetTickMilliseconds() - start < milliseconds) {
            bubbles.Refresh();
            sounds.Refresh();
            platform::SleepMilliseconds(5);
        }
    }

    // Largest absolute sample the wave writer wrote (read once the device is closed).
    int PeakOfWaveOutput()
    {
        sounds.Destroy();
        std::ifstream in(wavePath, std::ios::binary);
        std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        auto u32 = [&](std::size_t at) {
            return std::uint32_t(file[at]) | std::uint32_t(file[at + 1]) << 8 |
                   std::uint32_t(file[at + 2]) << 16 | std::uint32_t(file[at + 3]) << 24;
        };
        // The 16-bit mono samples of the "data" chunk.
        for (std::size_t at = 12; at + 8 <= file.size();) {
            std::uint32_t const length = u32(at + 4);
            bool const data = std::equal(file.begin() + at, file.begin() + at + 4, "data");
            at += 8;
            if (data) {
                int peak = 0;
                for (std::size_t i = at; i + 1 < file.size(); i += 2)
                    peak = std::max(peak, std::abs(static_cast<int>(
                                              static_cast<std::int16_t>(file[i] | file[i + 1] << 8))));
                return peak;
            }
            at += length + (length & 1);
        }
        return -1;
    }

    fs::path root;
    std::string wavePath;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CConfig config;
    CSoundManager sounds;
    bool playBubbles = true;
    CBubbleSound bubbles;
};

TEST_F(BubbleSoundTest, LoopsWhileTheSwitchIsOn)
{
    bubbles.Create(&sounds, &config);
    Run(400);
    EXPECT_TRUE(bubbles.IsPlaying());
    EXPECT_TRUE(sounds.GetSound(0)->GetLoop());
    EXPECT_TRUE(sounds.GetSound(0)->HasSource());
    EXPECT_GT(PeakOfWaveOutput(), 500);
}

TEST_F(BubbleSoundTest, SilentWhileTheSwitchIsOff)
{
    config.ExecuteCommand("g_play_bubles_sound 0");
    bubbles.Create(&sounds, &config);
    Run(400);
    EXPECT_FALSE(bubbles.IsPlaying());
    int const peak = PeakOfWaveOutput();
    EXPECT_GE(peak, 0);
    EXPECT_LT(peak, 8);
}

TEST_F(BubbleSoundTest, FollowsTheSwitchFromFrameToFrame)
{
    bubbles.Create(&sounds, &config);
    Run(100);
    EXPECT_TRUE(bubbles.IsPlaying());
    config.ExecuteCommand("g_play_bubles_sound 0");
    Run(50);
    EXPECT_FALSE(bubbles.IsPlaying());
    EXPECT_FALSE(sounds.GetSound(0)->HasSource());
    config.ExecuteCommand("g_play_bubles_sound 1");
    Run(50);
    EXPECT_TRUE(bubbles.IsPlaying());
    EXPECT_TRUE(sounds.GetSound(0)->HasSource());
}

TEST_F(BubbleSoundTest, DestroyGivesTheSoundBack)
{
    bubbles.Create(&sounds, &config);
    EXPECT_EQ(sounds.GetOccupiedSoundsIndicesCount(), 1u);
    bubbles.Destroy();
    EXPECT_TRUE(bubbles.IsFree());
    EXPECT_EQ(sounds.GetOccupiedSoundsIndicesCount(), 0u);
}

} // namespace
