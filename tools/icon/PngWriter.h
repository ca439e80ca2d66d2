#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA pixels, top row first, as a PNG file. False when the file cannot be written.
bool WritePng(std::string const& path, unsigned int width, unsigned int height,
              std::vector<std::uint8_t> const& rgba);
