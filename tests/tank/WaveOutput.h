#pragma once

#include <string>

// Points OpenAL at its wave-file writer for the whole test program (OpenAL reads its settings
// once, before the first device opens) and returns the file it writes. The folder is removed
// when the program ends.
std::string const& PrepareWaveOutput();
