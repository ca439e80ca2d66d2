#pragma once

class CMessageManager;

namespace sound
{
// Log text of an OpenAL error code; null for AL_NO_ERROR and unknown codes.
char const* GetOpenALErrorText(int code);

// Reads the OpenAL error state; a pending error is logged with WriteError.
// Returns the code read (AL_NO_ERROR when none).
int ReportOpenALError(CMessageManager* messageManager);
} // namespace sound
