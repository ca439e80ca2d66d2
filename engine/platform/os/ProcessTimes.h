#pragma once

namespace platform
{
// Processor time the whole process (every thread) has used, in seconds.
double GetProcessCpuSeconds();
} // namespace platform
