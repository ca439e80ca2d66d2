#pragma once

#include <cstdint>
#include <vector>

namespace content
{

// Synthesised mono sounds at SampleRate, samples in [-1, 1].
class CSoundSynthesizer
{
public:
    static constexpr std::uint32_t SampleRate = 22050;

    static std::vector<float> KeyClick();             // console typing, "edit.wav"
    static std::vector<float> ButtonPress();          // a soft wooden "blop"
    static std::vector<float> ButtonOver();           // a faint high tick
    static std::vector<float> CheckBox();             // two quick ticks
    static std::vector<float> Bubbles(float seconds); // rising bubble chirps over a low hum
};

} // namespace content
