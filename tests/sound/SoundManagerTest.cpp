#include "sound/SoundFixture.h"

#include "platform/os/Clock.h"
#include "sound/Sound.h"
#include "sound/SoundBuffer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/efx.h>

#include <cmath>
#include <cstdlib>
#include <functional>

using namespace sounddata;

namespace
{
constexpr unsigned int Rate = 22050;

Bytes ToneWave(float seconds, float amplitude = 0.8f)
{
    return MakeWave(Tone(Rate, static_cast<unsigned int>(seconds * Rate), 440.0f, amplitude), Rate);
}

// Refreshes the manager every few milliseconds until the condition holds or time runs out.
bool RefreshUntil(CSoundManager& manager, std::function<bool()> const& condition, unsigned int milliseconds)
{
    unsigned int const start = platform::GetTickMilliseconds();
    while (platform::GetTickMilliseconds() - start < milliseconds) {
        manager.Refresh();
        if (condition())
            return true;
        platform::SleepMilliseconds(5);
    }
    return false;
}

int SampleOffset(CSound const& sound)
{
    ALint offset = -1;
    alGetSourcei(sound.GetSource(), AL_SAMPLE_OFFSET, &offset);
    return offset;
}

// Largest absolute 16-bit sample in the data chunk of the wave writer's file.
int PeakOfWaveOutput()
{
    Bytes const file = ReadFile(PrepareWaveOutput());
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        std::uint32_t const length = GetUInt32(file, at + 4);
        bool const data =
            file[at] == 'd' && file[at + 1] == 'a' && file[at + 2] == 't' && file[at + 3] == 'a';
        at += 8;
        if (data) {
            int peak = 0;
            for (std::size_t i = at; i + 1 < file.size(); i += 2)
                peak = std::max(
                    peak, std::abs(static_cast<int>(static_cast<std::int16_t>(file[i] | file[i + 1] << 8))));
            return peak;
        }
        at += length + (length & 1);
    }
    return -1;
}

// Plays `slot` to its end, closes the device (which finishes the wave file) and returns the
// file's peak.
int PlayToTheEndAndReadPeak(CSoundManager& sound, unsigned int slot)
{
    sound.PlaySoundA(slot);
    EXPECT_TRUE(RefreshUntil(
        sound, [&] { return !sound.GetSound(slot)->HasSource(); }, 3000));
    sound.Destroy();
    return PeakOfWaveOutput();
}
} // namespace

TEST_F(SoundTest, CreateLogsTheDeviceAndPlacesTheListener)
{
    EXPECT_TRUE(Logged("Initialization of OpenAL Subsystem..."));
    EXPECT_TRUE(Logged("...Creating a OpenAL device..."));
    EXPECT_TRUE(Logged("...Creating a OpenAL device context..."));
    EXPECT_TRUE(Logged("...Activating the OpenAL device context..."));
    EXPECT_EQ(CountLogged(std::string(56, '.') + "\n"), 2u);
    EXPECT_TRUE(Logged("...Vendor: "));
    EXPECT_TRUE(Logged("...Renderer: "));
    EXPECT_TRUE(Logged("...Version: "));
    EXPECT_TRUE(Logged("...Supported OpenAL extensions:"));
    EXPECT_TRUE(Logged("\n......AL_"));
    EXPECT_FALSE(Logged("Error"));
    EXPECT_TRUE(m_messages.GetNewLineMode());

    EXPECT_FLOAT_EQ(m_sound.GetListenerOrientationAt().z, -1.0f);
    EXPECT_FLOAT_EQ(m_sound.GetListenerOrientationUp().y, 1.0f);
    EXPECT_FLOAT_EQ(m_sound.GetListenerPosition().x, 0.0f);
    ALfloat orientation[6] = {};
    alGetListenerfv(AL_ORIENTATION, orientation);
    EXPECT_FLOAT_EQ(orientation[2], -1.0f);
    EXPECT_FLOAT_EQ(orientation[4], 1.0f);

    m_sound.SetListenerPosition(CVector3(1.0f, 2.0f, 3.0f));
    ALfloat position[3] = {};
    alGetListenerfv(AL_POSITION, position);
    EXPECT_FLOAT_EQ(position[2], 3.0f);

    m_messages.ClearMessagesBuffer();
    m_sound.Destroy();
    EXPECT_TRUE(m_sound.IsFree());
    EXPECT_TRUE(Logged("OpenAL Subsystem destroying:"));
    EXPECT_TRUE(Logged("...Releasing device context..."));
    EXPECT_TRUE(Logged("...Releasing device..."));
}

TEST(SoundDevice, WithoutADeviceTheManagerStaysFree)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The wave writer cannot open without an output file.
            ::setenv("ALSOFT_DRIVERS", "wave", 1);
            ::setenv("ALSOFT_CONF", "/dev/null", 1);
            CMessageManager messages;
            messages.Create("SoundTest", false, nullptr);
            CConfig config;
            config.Create(&messages, nullptr, nullptr, nullptr, "Tidewell", "640x480x16");
            CSoundManager sound;
            sound.Create(&messages, nullptr, nullptr, &config);
            bool logged = false;
            for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i)
                logged |=
                    std::string(messages.GetMessageText(i)).find("...Failed to create an OpenAL device...") !=
                    std::string::npos;
            sound.Refresh();
            // Sounds asked of a silent manager take slots but never play.
            unsigned int const slot = sound.AddSound("Menu\\button_press.wav");
            sound.PlaySoundA(slot);
            bool const silent = sound.GetSound(slot) && !sound.GetSound(slot)->HasSource();
            std::exit(sound.IsFree() && logged && silent ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(SoundTest, TheContextAsksForNoEffectSends)
{
    ALCdevice* const device = alcGetContextsDevice(alcGetCurrentContext());
    ASSERT_NE(device, nullptr);
    ALCint sends = -1;
    alcGetIntegerv(device, ALC_MAX_AUXILIARY_SENDS, 1, &sends);
    EXPECT_EQ(sends, 0);
}

TEST_F(SoundTest, RemovedSlotsAreReusedMostRecentFirst)
{
    WriteSound("a.wav", ToneWave(0.01f));
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(m_sound.AddSound("a.wav"), i);
    m_sound.RemoveSound(2);
    EXPECT_EQ(m_sound.GetSound(2), nullptr);
    EXPECT_EQ(m_sound.AddSound("a.wav"), 2u);
    ASSERT_EQ(m_sound.GetOccupiedSoundsIndicesCount(), 4u);
    EXPECT_EQ(m_sound.GetOccupiedSoundIndex(3), 2u);

    m_sound.RemoveSound(1);
    m_sound.RemoveSound(3);
    m_sound.RemoveSound(3);
    EXPECT_EQ(m_sound.AddSound("a.wav"), 3u);
    EXPECT_EQ(m_sound.AddSound("a.wav"), 1u);
    EXPECT_EQ(m_sound.AddSound("a.wav"), 4u);
    EXPECT_EQ(m_sound.GetOccupiedSoundsIndicesCount(), 5u);
    EXPECT_EQ(m_sound.GetSoundBufferManager()->GetSoundBuffer("a.wav")->GetUsersCount(), 5u);
}

TEST_F(SoundTest, VolumeVariableIsClampedOnTheNextRefresh)
{
    m_config.ExecuteCommand("s_sound_volume 1.7");
    EXPECT_FLOAT_EQ(m_config.GetMainSettings()->s_sound_volume, 1.7f);
    m_sound.Refresh();
    EXPECT_FLOAT_EQ(m_sound.GetVolume(), 1.0f);
    EXPECT_FLOAT_EQ(m_config.GetValueAsFloat("s_sound_volume"), 1.0f);
    ALfloat gain = 0.0f;
    alGetListenerf(AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 1.0f);

    m_config.ExecuteCommand("s_sound_volume 0.25");
    m_sound.Refresh();
    alGetListenerf(AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.25f);

    m_sound.SetVolume(-3.0f);
    EXPECT_FLOAT_EQ(m_sound.GetVolume(), 0.0f);
    m_messages.ClearMessagesBuffer();
    m_sound.SetVolume(std::nanf(""));
    EXPECT_FLOAT_EQ(m_sound.GetVolume(), 0.0f);
    m_sound.Refresh();
    EXPECT_FALSE(Logged("Error"));
}

TEST_F(SoundTest, PlayingAPlayingSoundRestartsIt)
{
    WriteSound("long.wav", ToneWave(2.0f));
    unsigned int const slot = m_sound.AddSound("long.wav");
    CSound* sound = m_sound.GetSound(slot);
    m_sound.PlaySoundA(slot);
    ASSERT_TRUE(sound->HasSource());
    unsigned int const source = sound->GetSource();
    ASSERT_TRUE(RefreshUntil(
        m_sound, [&] { return SampleOffset(*sound) > static_cast<int>(Rate / 5); }, 3000));
    int const before = SampleOffset(*sound);

    m_sound.PlaySoundA(slot);
    EXPECT_EQ(sound->GetSource(), source);
    EXPECT_LT(SampleOffset(*sound), before);
    EXPECT_EQ(sound->GetState(), SS_PLAYING);

    m_sound.PauseSound(slot);
    EXPECT_EQ(sound->GetState(), SS_PAUSED);
    m_sound.Refresh();
    EXPECT_TRUE(sound->HasSource());
    m_sound.StopSound(slot);
    EXPECT_FALSE(sound->HasSource());
    EXPECT_EQ(sound->GetState(), SS_STOPPED);
}

TEST_F(SoundTest, OneShotGivesItsSourceBackAfterTheEndAndALoopKeepsIt)
{
    WriteSound("click.wav", ToneWave(0.02f));
    unsigned int const once = m_sound.AddSound("click.wav");
    unsigned int const looped = m_sound.AddSound("click.wav");
    m_sound.GetSound(looped)->SetLoop(true);
    EXPECT_EQ(m_sound.GetSound(once)->GetState(), SS_STOPPED);

    m_sound.PlaySoundA(once);
    m_sound.PlaySoundA(looped);
    ASSERT_TRUE(m_sound.GetSound(once)->HasSource());
    EXPECT_TRUE(RefreshUntil(
        m_sound, [&] { return !m_sound.GetSound(once)->HasSource(); }, 3000));
    // Several times the click's length later the loop still plays.
    RefreshUntil(
        m_sound, [] { return false; }, 100);
    EXPECT_TRUE(m_sound.GetSound(looped)->HasSource());
    EXPECT_EQ(m_sound.GetSound(looped)->GetState(), SS_PLAYING);
    EXPECT_FALSE(Logged("Error"));
}

TEST_F(SoundTest, OutOfSourcesStopsTheOldestNonLoopingSound)
{
    // The test device has four sources.
    WriteSound("long.wav", ToneWave(5.0f, 0.1f));
    unsigned int const idle = m_sound.AddSound("long.wav");
    unsigned int const loop = m_sound.AddSound("long.wav");
    m_sound.GetSound(loop)->SetLoop(true);
    unsigned int const playing[3] = {m_sound.AddSound("long.wav"), m_sound.AddSound("long.wav"),
                                     m_sound.AddSound("long.wav")};
    unsigned int const fresh = m_sound.AddSound("long.wav");
    m_sound.PlaySoundA(loop);
    for (unsigned int const slot : playing)
        m_sound.PlaySoundA(slot);
    for (unsigned int const slot : playing)
        ASSERT_TRUE(m_sound.GetSound(slot)->HasSource());

    m_messages.ClearMessagesBuffer();
    m_sound.PlaySoundA(fresh);
    EXPECT_TRUE(m_sound.GetSound(fresh)->HasSource());
    EXPECT_EQ(m_sound.GetSound(fresh)->GetState(), SS_PLAYING);
    EXPECT_TRUE(m_sound.GetSound(loop)->HasSource());
    EXPECT_FALSE(m_sound.GetSound(idle)->HasSource());
    EXPECT_FALSE(m_sound.GetSound(playing[0])->HasSource());
    EXPECT_TRUE(m_sound.GetSound(playing[1])->HasSource());
    EXPECT_TRUE(m_sound.GetSound(playing[2])->HasSource());

    // The error of the failed attempt is not left for the frame's report.
    m_sound.Refresh();
    EXPECT_FALSE(Logged("Error"));
}

TEST_F(SoundTest, RefreshReportsTheFramesOpenALError)
{
    alSourcePlay(0x7FFFFFF0u);
    m_sound.Refresh();
    EXPECT_TRUE(Logged("OpenAL Subsystem bad name (ID) was passes"));
    m_messages.ClearMessagesBuffer();
    m_sound.Refresh();
    EXPECT_FALSE(Logged("Error"));
}

TEST_F(SoundTest, PlayedSoundReachesTheWaveOutput)
{
    WriteSound("tone.wav", ToneWave(0.3f));
    unsigned int const slot = m_sound.AddSound("tone.wav");
    EXPECT_GT(PlayToTheEndAndReadPeak(m_sound, slot), 2000);
}

TEST_F(SoundTest, ADeviceOpenedAheadIsTakenOverAndPlays)
{
    m_sound.Destroy();
    m_sound.BeginOpeningDevice();
    m_messages.ClearMessagesBuffer();
    m_sound.Create(&m_messages, &m_memory, &m_files, &m_config);
    ASSERT_FALSE(m_sound.IsFree());
    EXPECT_TRUE(Logged("...Creating a OpenAL device context..."));
    EXPECT_TRUE(Logged("...Activating the OpenAL device context..."));
    EXPECT_FALSE(Logged("Error"));
    WriteSound("tone.wav", ToneWave(0.3f));
    unsigned int const slot = m_sound.AddSound("tone.wav");
    EXPECT_GT(PlayToTheEndAndReadPeak(m_sound, slot), 2000);
}

TEST_F(SoundTest, SilentBufferPlaysSilence)
{
    unsigned int const slot = m_sound.AddSound("missing.wav");
    m_sound.PlaySoundA(slot);
    EXPECT_TRUE(RefreshUntil(
        m_sound, [&] { return !m_sound.GetSound(slot)->HasSource(); }, 3000));
    RefreshUntil(
        m_sound, [] { return false; }, 100);
    m_sound.Destroy();
    int const peak = PeakOfWaveOutput();
    EXPECT_GE(peak, 0);
    EXPECT_LT(peak, 8);
}

TEST_F(SoundTest, SuspendedDeviceMixesNothingUntilResumed)
{
    WriteSound("tone.wav", ToneWave(0.5f));
    unsigned int const slot = m_sound.AddSound("tone.wav");
    m_sound.GetSound(slot)->SetLoop(true);
    m_sound.PlaySoundA(slot);
    std::string const& output = PrepareWaveOutput();
    auto const written = [&] { return std::filesystem::file_size(output); };

    m_sound.SuspendDevice(true);
    RefreshUntil(
        m_sound, [] { return false; }, 50);
    auto const suspendedAt = written();
    RefreshUntil(
        m_sound, [] { return false; }, 300);
    EXPECT_EQ(written(), suspendedAt);

    m_sound.SuspendDevice(false);
    EXPECT_TRUE(RefreshUntil(
        m_sound, [&] { return written() > suspendedAt; }, 3000));
    EXPECT_EQ(m_sound.GetSound(slot)->GetState(), SS_PLAYING);
}
