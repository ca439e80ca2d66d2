// Ogg Vorbis sound files decoded through the file callbacks.
#include "SoundFuzzHost.h"

#include "sound/SoundData.h"

#include <vector>

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(sounddata::EncodeOgg(sounddata::Noise(16000, 1), 8000, 1));
    seeds.push_back(sounddata::EncodeOgg(sounddata::Noise(16000, 2), 8000, 2));
    // A stream whose last page claims far more samples than it holds.
    seeds.push_back(sounddata::EncodeOgg(sounddata::Noise(8000, 3), 8000, 1, std::int64_t(1) << 40));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    static CSoundFuzzHost host;
    host.Load("fuzz.ogg", data, size);
    return 0;
}
