#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The lines of a regular text file, each without its line end ("\n" or "\r\n"), up to the
// line that crosses `maxBytes`. False when the file is missing, not a regular file or
// cannot be opened.
bool ReadTextLines(std::string const& path, std::vector<std::string>* lines,
                   std::size_t maxBytes = static_cast<std::size_t>(-1));
