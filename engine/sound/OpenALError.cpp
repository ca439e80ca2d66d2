#include "sound/OpenALError.h"

#include "core/MessageManager.h"

#include <AL/al.h>

namespace sound
{
char const* GetOpenALErrorText(int code)
{
    switch (code) {
    case AL_INVALID_NAME:
        return "OpenAL Subsystem bad name (ID) was passes";
    case AL_INVALID_ENUM:
        return "OpenAL Subsystem invalid enum value was passed";
    case AL_INVALID_VALUE:
        return "OpenAL Subsystem invalid value was passed";
    case AL_INVALID_OPERATION:
        return "OpenAL Subsystem request operation is not valid";
    case AL_OUT_OF_MEMORY:
        return "OpenAL Subsystem out of memory";
    default:
        return nullptr;
    }
}

int ReportOpenALError(CMessageManager* messageManager)
{
    ALenum const code = alGetError();
    char const* text = GetOpenALErrorText(code);
    if (text && messageManager)
        messageManager->WriteError("%s", text);
    return code;
}
} // namespace sound
