#pragma once

#include <vector>

// Frames of a Motion-JPEG recording: one baseline JPEG picture each, kept in memory.
namespace MotionJpeg
{
// `pixels` are width × height 32-bit pixels (B, G, R, X bytes), bottom row first, as the
// screen is captured. False when the encoder rejects the picture.
bool Encode(unsigned char const* pixels, unsigned int width, unsigned int height, unsigned int quality,
            std::vector<unsigned char>* out);
} // namespace MotionJpeg
