#include "Sounds.h"

#include "Random.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace content
{

namespace
{

std::vector<float> Silence(float seconds)
{
    return std::vector<float>(static_cast<std::size_t>(seconds * CSoundSynthesizer::SampleRate), 0.0f);
}

// Adds a decaying sine whose frequency glides from `from` to `to`.
void AddChirp(std::vector<float>* samples, float start, float duration, float from, float to, float gain,
              float decay)
{
    float phase = 0.0f;
    std::size_t const first = static_cast<std::size_t>(start * CSoundSynthesizer::SampleRate);
    std::size_t const count = static_cast<std::size_t>(duration * CSoundSynthesizer::SampleRate);
    for (std::size_t i = 0; i < count && first + i < samples->size(); ++i) {
        float const t = static_cast<float>(i) / CSoundSynthesizer::SampleRate;
        float const progress = t / duration;
        float const frequency = from * std::pow(to / from, progress);
        phase += 2.0f * math::Pi * frequency / CSoundSynthesizer::SampleRate;
        float const attack = std::min(1.0f, t / 0.002f);
        (*samples)[first + i] += gain * attack * std::exp(-t * decay) * std::sin(phase);
    }
}

void Normalize(std::vector<float>* samples, float peak)
{
    float largest = 0.0f;
    for (float sample : *samples) {
        largest = std::max(largest, std::fabs(sample));
    }
    if (largest > 0.0f) {
        for (float& sample : *samples) {
            sample *= peak / largest;
        }
    }
}

// One decaying chirp of a sound: AddChirp's arguments.
struct SChirp
{
    float start, duration, from, to, gain, decay;
};

// `seconds` of the chirps added up, normalised to `peak`.
std::vector<float> ChirpSound(float seconds, std::initializer_list<SChirp> chirps, float peak)
{
    std::vector<float> samples = Silence(seconds);
    for (SChirp const& c : chirps) {
        AddChirp(&samples, c.start, c.duration, c.from, c.to, c.gain, c.decay);
    }
    Normalize(&samples, peak);
    return samples;
}

} // namespace

std::vector<float> CSoundSynthesizer::KeyClick()
{
    std::vector<float> samples = Silence(0.045f);
    CRandom random(17u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        float const t = static_cast<float>(i) / SampleRate;
        samples[i] = (random.Uniform() * 2.0f - 1.0f) * std::exp(-t * 420.0f) * 0.6f;
    }
    AddChirp(&samples, 0.0f, 0.04f, 2400.0f, 1800.0f, 0.5f, 160.0f);
    Normalize(&samples, 0.6f);
    return samples;
}

std::vector<float> CSoundSynthesizer::ButtonPress()
{
    return ChirpSound(
        0.16f, {{0.0f, 0.15f, 720.0f, 360.0f, 0.8f, 28.0f}, {0.0f, 0.1f, 1440.0f, 720.0f, 0.25f, 45.0f}},
        0.7f);
}

std::vector<float> CSoundSynthesizer::ButtonOver()
{
    return ChirpSound(0.06f, {{0.0f, 0.05f, 3200.0f, 3600.0f, 0.4f, 90.0f}}, 0.35f);
}

std::vector<float> CSoundSynthesizer::CheckBox()
{
    return ChirpSound(
        0.1f,
        {{0.0f, 0.03f, 1800.0f, 1500.0f, 0.6f, 150.0f}, {0.045f, 0.04f, 2300.0f, 2000.0f, 0.6f, 150.0f}},
        0.55f);
}

std::vector<float> CSoundSynthesizer::Bubbles(float seconds)
{
    std::vector<float> samples = Silence(seconds);
    CRandom random(90210u);
    // Low water hum: filtered noise.
    float low = 0.0f;
    for (float& sample : samples) {
        low += (random.Uniform() * 2.0f - 1.0f - low) * 0.02f;
        sample = low * 0.6f;
    }
    // Bubbles: short upward chirps, their pitch set by their size.
    float time = 0.05f;
    while (time < seconds - 0.1f) {
        float const pitch = random.Between(500.0f, 1600.0f);
        float const length = random.Between(0.025f, 0.06f);
        AddChirp(&samples, time, length, pitch, pitch * random.Between(1.3f, 1.8f),
                 random.Between(0.2f, 0.5f), 60.0f);
        time += random.Between(0.03f, 0.22f);
    }
    // Fade in and out so the sound loops without a click.
    std::size_t const fade = SampleRate / 20;
    for (std::size_t i = 0; i < fade && i < samples.size(); ++i) {
        float const gain = static_cast<float>(i) / fade;
        samples[i] *= gain;
        samples[samples.size() - 1 - i] *= gain;
    }
    Normalize(&samples, 0.6f);
    return samples;
}

} // namespace content
