// Random bytes as a particle system file (with the size field made to agree, so the
// settings are reached): reading must accept or reject them cleanly, an accepted file must
// ask for a bounded capacity, and every key lookup its values lead to must stay on the keys.
#include "core/Errors.h"
#include "core/File.h"
#include "core/MessageManager.h"
#include "model/ParticleSystemFile.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
CMessageManager& Messages()
{
    static CMessageManager messages;
    return messages;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckKeys(float u)
{
    SParticleKeyPosition const at = SParticleKeyPosition::At(u);
    Require(at.key < ParticleKeysCount && at.next < ParticleKeysCount);
    Require(at.weight >= 0.0f && at.weight <= 1.0f);
}

void CheckAccepted(ParticleSystemSettings const& settings, std::vector<std::uint8_t> const& bytes)
{
    Require(ParticleSystemFile::GetCapacity(settings) <= ParticleSystemFile::MaximumCapacity);
    float const period = settings.animationPeriod;
    for (unsigned int k = 0; k < ParticleKeysCount; ++k) {
        CheckKeys(period > 0.0f ? settings.lifetime[k] / period * 5.0f : 0.0f);
        CheckKeys(settings.speed[k] / settings.lifetime[k] * 5.0f);
        CheckKeys(settings.size[k] * 5.0f);
    }
    unsigned char encoded[ParticleSystemFile::SettingsSize];
    ParticleSystemFile::Encode(settings, encoded);
    Require(std::memcmp(encoded, bytes.data() + ParticleSystemFile::HeaderSize, sizeof(encoded)) == 0);
}

std::vector<std::uint8_t> SampleFile()
{
    ParticleSystemSettings settings;
    settings.emissionRate[0] = 20.0f;
    settings.lifetime[0] = 2.0f;
    std::vector<std::uint8_t> bytes(ParticleSystemFile::FileSize);
    bytes[0] = ParticleSystemFile::FileSize & 0xFF;
    bytes[1] = ParticleSystemFile::FileSize >> 8;
    std::memcpy(&bytes[4], "TWPSF", 5);
    bytes[9] = ParticleSystemFile::Version & 0xFF;
    ParticleSystemFile::Encode(settings, &bytes[ParticleSystemFile::HeaderSize]);
    return bytes;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(SampleFile());
    std::vector<std::uint8_t> shortFile = SampleFile();
    shortFile.resize(100);
    seeds.push_back(shortFile);
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() >= 4) {
        auto const length = static_cast<std::uint32_t>(bytes.size());
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    CFile file;
    file.Open(&Messages(), nullptr, "fuzz.psf", FILE_READ_BINARY, true,
              static_cast<unsigned int>(bytes.size()), bytes.data());
    ParticleSystemSettings settings;
    try {
        if (ParticleSystemFile::Read(file, &settings) == EParticleSystemFileResult::Ok)
            CheckAccepted(settings, bytes);
    } catch (CFileError const&) {
        Require(bytes.size() < ParticleSystemFile::FileSize);
    }
    return 0;
}
