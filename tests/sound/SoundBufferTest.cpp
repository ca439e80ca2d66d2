#include "sound/SoundFixture.h"

#include "core/Errors.h"
#include "sound/Sound.h"
#include "sound/SoundBuffer.h"
#include "sound/WaveLayout.h"

#include <AL/al.h>

using namespace sounddata;

namespace
{
constexpr int Mono8 = 0x1100;
constexpr int Mono16 = 0x1101;
constexpr int Stereo16 = 0x1103;

Bytes ToneWave(unsigned int samples = 2205, unsigned int bits = 16)
{
    return MakeWave(Tone(22050, samples, 440.0f, 0.5f), 22050, 1, bits);
}

void ExpectSilentBuffer(CSoundBuffer const* buffer)
{
    ASSERT_NE(buffer, nullptr);
    EXPECT_FALSE(buffer->IsFree());
    EXPECT_EQ(buffer->GetFormat(), Mono8);
    EXPECT_EQ(buffer->GetSize(), 33u);
    EXPECT_EQ(buffer->GetFrequency(), 22050u);
    EXPECT_EQ(buffer->GetUsersCount(), 1u);
    EXPECT_TRUE(alIsBuffer(buffer->GetBuffer()));
}
} // namespace

TEST_F(SoundTest, SoundsOnOneFileShareOneBufferUntilBothAreRemoved)
{
    WriteSound("Menu\\button_press.wav", ToneWave());
    CSoundBufferManager* buffers = m_sound.GetSoundBufferManager();
    unsigned int const first = m_sound.AddSound("Menu\\button_press.wav");
    unsigned int const second = m_sound.AddSound("Menu\\button_press.wav");

    CSoundBuffer* buffer = buffers->GetSoundBuffer("Menu\\button_press.wav");
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffers->GetBuffersCount(), 1u);
    EXPECT_EQ(buffer->GetUsersCount(), 2u);
    EXPECT_EQ(m_sound.GetSound(first)->GetBuffer(), buffer->GetBuffer());
    EXPECT_EQ(m_sound.GetSound(second)->GetBuffer(), buffer->GetBuffer());
    unsigned int const name = buffer->GetBuffer();

    m_sound.RemoveSound(first);
    ASSERT_EQ(buffers->GetSoundBuffer("Menu\\button_press.wav"), buffer);
    EXPECT_EQ(buffer->GetUsersCount(), 1u);
    EXPECT_TRUE(alIsBuffer(name));

    m_sound.RemoveSound(second);
    EXPECT_EQ(buffers->GetSoundBuffer("Menu\\button_press.wav"), nullptr);
    EXPECT_EQ(buffers->GetBuffersCount(), 0u);
    EXPECT_FALSE(alIsBuffer(name));
}

TEST_F(SoundTest, BuffersLeftByAPlayingSoundAreDeletedWithIt)
{
    WriteSound("loop.wav", ToneWave());
    unsigned int const slot = m_sound.AddSound("loop.wav");
    m_sound.GetSound(slot)->SetLoop(true);
    m_sound.PlaySoundA(slot);
    unsigned int const name = m_sound.GetSound(slot)->GetBuffer();
    m_sound.RemoveSound(slot);
    EXPECT_FALSE(alIsBuffer(name));
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST_F(SoundTest, CopiedSoundTakesItsOwnReferenceAndSettings)
{
    WriteSound("copy.wav", ToneWave());
    unsigned int const original = m_sound.AddSound("copy.wav");
    CSound* sound = m_sound.GetSound(original);
    sound->SetLoop(true);
    sound->SetVolume(0.25f);
    sound->SetPosition(CVector3(3.0f, 4.0f, 5.0f));
    unsigned int const copy = m_sound.AddSound(*sound);

    CSound const* copied = m_sound.GetSound(copy);
    EXPECT_EQ(copied->GetFileName(), "copy.wav");
    EXPECT_TRUE(copied->GetLoop());
    EXPECT_FLOAT_EQ(copied->GetVolume(), 0.25f);
    EXPECT_FLOAT_EQ(copied->GetPosition().z, 5.0f);
    EXPECT_FALSE(copied->HasSource());
    EXPECT_EQ(m_sound.GetSoundBufferManager()->GetSoundBuffer("copy.wav")->GetUsersCount(), 2u);
}

TEST_F(SoundTest, WaveFilesGiveTheirFormatSizeAndRate)
{
    WriteSound("pcm16.wav", ToneWave(1000, 16));
    WriteSound("pcm8.wav", MakeWave(Tone(11025, 500, 440.0f, 0.5f), 11025, 1, 8));
    m_sound.AddSound("pcm16.wav");
    m_sound.AddSound("pcm8.wav");

    CSoundBuffer const* pcm16 = m_sound.GetSoundBufferManager()->GetSoundBuffer("pcm16.wav");
    ASSERT_NE(pcm16, nullptr);
    EXPECT_EQ(pcm16->GetFormat(), Mono16);
    EXPECT_EQ(pcm16->GetSize(), 2000u);
    EXPECT_EQ(pcm16->GetFrequency(), 22050u);
    EXPECT_EQ(pcm16->GetFileName(), "Data\\Sounds\\pcm16.wav");

    CSoundBuffer const* pcm8 = m_sound.GetSoundBufferManager()->GetSoundBuffer("pcm8.wav");
    ASSERT_NE(pcm8, nullptr);
    EXPECT_EQ(pcm8->GetFormat(), Mono8);
    EXPECT_EQ(pcm8->GetSize(), 500u);
    EXPECT_EQ(pcm8->GetFrequency(), 11025u);
    EXPECT_FALSE(Logged("Error"));
}

TEST_F(SoundTest, OggFilesDecodeToSixteenBitSamples)
{
    WriteSound("mono.ogg", EncodeOgg(Tone(22050, 11025, 440.0f, 0.5f), 22050, 1));
    std::vector<std::int16_t> stereo;
    for (std::int16_t const sample : Tone(44100, 4410, 300.0f, 0.5f)) {
        stereo.push_back(sample);
        stereo.push_back(static_cast<std::int16_t>(-sample));
    }
    WriteSound("stereo.ogg", EncodeOgg(stereo, 44100, 2));
    m_sound.AddSound("mono.ogg");
    m_sound.AddSound("stereo.ogg");

    CSoundBuffer const* mono = m_sound.GetSoundBufferManager()->GetSoundBuffer("mono.ogg");
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->GetFormat(), Mono16);
    EXPECT_EQ(mono->GetFrequency(), 22050u);
    EXPECT_EQ(mono->GetSize(), 11025u * 2);

    CSoundBuffer const* both = m_sound.GetSoundBufferManager()->GetSoundBuffer("stereo.ogg");
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->GetFormat(), Stereo16);
    EXPECT_EQ(both->GetFrequency(), 44100u);
    EXPECT_EQ(both->GetSize(), 4410u * 4);
}

TEST_F(SoundTest, MissingFileGetsTheSilentBuffer)
{
    m_sound.AddSound("Menu\\absent.wav");
    EXPECT_TRUE(Logged("Failed to open Data\\Sounds\\Menu\\absent.wav file"));
    ExpectSilentBuffer(m_sound.GetSoundBufferManager()->GetSoundBuffer("Menu\\absent.wav"));
}

TEST_F(SoundTest, UpperCaseExtensionIsAnUnknownType)
{
    WriteSound("LOUD.WAV", ToneWave());
    m_sound.AddSound("LOUD.WAV");
    EXPECT_TRUE(Logged("Failed to load Data\\Sounds\\LOUD.WAV sound file - unknown type"));
    ExpectSilentBuffer(m_sound.GetSoundBufferManager()->GetSoundBuffer("LOUD.WAV"));
}

TEST_F(SoundTest, StereoWaveIsFatal)
{
    WriteSound("stereo.wav", MakeWave(Tone(22050, 2000, 440.0f, 0.5f), 22050, 2));
    EXPECT_THROW(m_sound.AddSound("stereo.wav"), CFatalError);
    EXPECT_TRUE(Logged("Failed to load Data\\Sounds\\stereo.wav sound file - it's not MONO"));
    EXPECT_EQ(m_sound.GetSoundBufferManager()->GetSoundBuffer("stereo.wav"), nullptr);
    EXPECT_EQ(m_sound.GetOccupiedSoundsIndicesCount(), 0u);
}

TEST_F(SoundTest, UnmatchedRemovalAndLookupDoNothing)
{
    CSoundBufferManager* buffers = m_sound.GetSoundBufferManager();
    buffers->RemoveBuffer("never.wav");
    EXPECT_EQ(buffers->GetSoundBuffer("never.wav"), nullptr);
    EXPECT_EQ(buffers->GetBuffersCount(), 0u);
}

// A damaged WAV file: its name, its bytes and the error it must log.
struct SHostileWave
{
    char const* name;
    Bytes (*make)();
    char const* error;
};

class HostileWaveTest : public SoundTest, public testing::WithParamInterface<SHostileWave>
{};

TEST_P(HostileWaveTest, GivesTheSilentBufferAndTheError)
{
    std::string const name = std::string(GetParam().name) + ".wav";
    WriteSound(name, GetParam().make());
    unsigned int const slot = m_sound.AddSound(name);
    EXPECT_TRUE(Logged(GetParam().error)) << "expected: " << GetParam().error;
    ExpectSilentBuffer(m_sound.GetSoundBufferManager()->GetSoundBuffer(name));
    m_sound.PlaySoundA(slot);
    EXPECT_TRUE(m_sound.GetSound(slot)->HasSource());
}

char const* const IncorrectFormat = "sound file - incorrect format";

INSTANTIATE_TEST_SUITE_P(
    Files, HostileWaveTest,
    testing::Values(SHostileWave{"shorter_than_header",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     bytes.resize(20);
                                     return bytes;
                                 },
                                 "Failed to read"},
                    SHostileWave{"truncated_data",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     bytes.resize(bytes.size() - 100);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"lying_data_size",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt32(bytes, 40, 0x7FFFFFF0u);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"lying_format_size",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt32(bytes, 16, 0xFFFFFFF0u);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"short_format_chunk",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt32(bytes, 16, 12);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"float_samples",
                                 [] { return MakeWave(Tone(22050, 100, 440.0f, 0.5f), 22050, 1, 16, 3); },
                                 IncorrectFormat},
                    SHostileWave{"mu_law",
                                 [] { return MakeWave(Tone(22050, 100, 440.0f, 0.5f), 22050, 1, 8, 7); },
                                 IncorrectFormat},
                    SHostileWave{"24_bits",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt16(bytes, 34, 24);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"zero_rate",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt32(bytes, 24, 0);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"huge_rate",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     PutUInt32(bytes, 24, 0xFFFFFFFFu);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"odd_sixteen_bit_data",
                                 [] {
                                     Bytes bytes = ToneWave(100);
                                     PutUInt32(bytes, 40, 199);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"empty_data",
                                 [] {
                                     Bytes bytes = ToneWave(100);
                                     PutUInt32(bytes, 40, 0);
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"data_before_format",
                                 [] {
                                     Bytes bytes = ToneWave(100);
                                     Bytes reordered(bytes.begin(), bytes.begin() + 12);
                                     reordered.insert(reordered.end(), bytes.begin() + 36, bytes.end());
                                     reordered.insert(reordered.end(), bytes.begin() + 12,
                                                      bytes.begin() + 36);
                                     return reordered;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"no_data_chunk",
                                 [] {
                                     Bytes bytes = ToneWave(100);
                                     bytes[36] = 'x';
                                     return bytes;
                                 },
                                 IncorrectFormat},
                    SHostileWave{"not_riff",
                                 [] {
                                     Bytes bytes = ToneWave();
                                     bytes[0] = '.';
                                     bytes[1] = 's';
                                     bytes[2] = 'n';
                                     bytes[3] = 'd';
                                     return bytes;
                                 },
                                 IncorrectFormat}),
    [](testing::TestParamInfo<SHostileWave> const& info) { return std::string(info.param.name); });

// A damaged Ogg file: silent buffer, no crash.
struct SHostileOgg
{
    char const* name;
    Bytes (*make)();
};

class HostileOggTest : public SoundTest, public testing::WithParamInterface<SHostileOgg>
{};

Bytes MonoOgg()
{
    return EncodeOgg(Tone(22050, 4410, 440.0f, 0.5f), 22050, 1);
}

TEST_P(HostileOggTest, GivesTheSilentBuffer)
{
    std::string const name = std::string(GetParam().name) + ".ogg";
    WriteSound(name, GetParam().make());
    m_sound.AddSound(name);
    ExpectSilentBuffer(m_sound.GetSoundBufferManager()->GetSoundBuffer(name));
}

INSTANTIATE_TEST_SUITE_P(Files, HostileOggTest,
                         testing::Values(SHostileOgg{"empty", [] { return Bytes(); }},
                                         SHostileOgg{"garbage", [] { return Bytes(5000, 0x4F); }},
                                         SHostileOgg{"headers_cut",
                                                     [] {
                                                         Bytes bytes = MonoOgg();
                                                         bytes.resize(60);
                                                         return bytes;
                                                     }},
                                         SHostileOgg{"wave_named_ogg", [] { return ToneWave(); }},
                                         SHostileOgg{"three_channels",
                                                     [] {
                                                         std::vector<std::int16_t> samples(3 * 2000, 1000);
                                                         return EncodeOgg(samples, 22050, 3);
                                                     }}),
                         [](testing::TestParamInfo<SHostileOgg> const& info) {
                             return std::string(info.param.name);
                         });

TEST_F(SoundTest, OggWithDamagedAudioPagesLoadsWhatDecodes)
{
    Bytes bytes = MonoOgg();
    for (std::size_t at = bytes.size() / 2; at < bytes.size(); at += 7)
        bytes[at] ^= 0x5A;
    WriteSound("damaged.ogg", bytes);
    m_sound.AddSound("damaged.ogg");
    CSoundBuffer const* buffer = m_sound.GetSoundBufferManager()->GetSoundBuffer("damaged.ogg");
    ASSERT_NE(buffer, nullptr);
    EXPECT_LE(buffer->GetSize(), 4410u * 2);
}

TEST_F(SoundTest, OggClaimingAHugeLengthLoadsOnlyItsSamples)
{
    WriteSound("lying.ogg", EncodeOgg(Tone(22050, 4410, 440.0f, 0.5f), 22050, 1, std::int64_t(1) << 40));
    m_sound.AddSound("lying.ogg");
    CSoundBuffer const* buffer = m_sound.GetSoundBufferManager()->GetSoundBuffer("lying.ogg");
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->GetFormat(), Mono16);
    EXPECT_LE(buffer->GetSize(), CSoundBuffer::MaxDecodedSize);
}

TEST(WaveLayout, EmptyImageIsNinetyOneBytesOfSilence)
{
    unsigned int size = 0;
    unsigned char const* image = CSoundBuffer::GetEmptyWaveImage(&size);
    ASSERT_EQ(size, 91u);
    SWaveLayout layout;
    ASSERT_TRUE(ReadWaveLayout(image, size, &layout));
    EXPECT_EQ(layout.formatTag, 1);
    EXPECT_EQ(layout.channels, 1);
    EXPECT_EQ(layout.frequency, 22050u);
    EXPECT_EQ(layout.bitsPerSample, 8);
    EXPECT_EQ(layout.dataSize, 33u);
    EXPECT_EQ(layout.dataOffset, 58u);
    for (unsigned int i = 0; i < 33; ++i)
        EXPECT_EQ(image[58 + i], 0x80);
    EXPECT_TRUE(IsPlayablePcm(layout));
}

TEST(WaveLayout, SkipsOtherChunksWithTheirPadByte)
{
    Bytes const wave = ToneWave(10);
    Bytes bytes(wave.begin(), wave.begin() + 12);
    for (char const c : std::string("LIST"))
        bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.insert(bytes.end(), {3, 0, 0, 0, 'a', 'b', 'c', 0});
    bytes.insert(bytes.end(), wave.begin() + 12, wave.end());
    SWaveLayout layout;
    ASSERT_TRUE(ReadWaveLayout(bytes.data(), bytes.size(), &layout));
    EXPECT_EQ(layout.dataOffset, 44u + 12u);
    EXPECT_EQ(layout.dataSize, 20u);

    // The same chunk as the last one, without room for its pad byte.
    Bytes cut(wave.begin(), wave.begin() + 12);
    cut.insert(cut.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c'});
    EXPECT_FALSE(ReadWaveLayout(cut.data(), cut.size(), &layout));
}

TEST(WaveLayout, IgnoresTheRiffLengthButNotTheChunkLengths)
{
    Bytes bytes = ToneWave(10);
    PutUInt32(bytes, 4, 0xFFFFFFFFu);
    SWaveLayout layout;
    EXPECT_TRUE(ReadWaveLayout(bytes.data(), bytes.size(), &layout));
    PutUInt32(bytes, 40, 21);
    EXPECT_FALSE(ReadWaveLayout(bytes.data(), bytes.size(), &layout));
    EXPECT_FALSE(ReadWaveLayout(bytes.data(), 11, &layout));
    EXPECT_FALSE(ReadWaveLayout(nullptr, 0, &layout));
}
