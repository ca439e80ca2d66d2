#pragma once

namespace platform
{
// Replaces this process with a fresh run of the same program and arguments. Returns only when
// that fails, after saying why on stderr.
void RunProgramAgain(char** arguments);
} // namespace platform
