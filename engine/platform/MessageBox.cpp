#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace platform
{
namespace
{
bool& MessageBoxesEnabled()
{
    static bool enabled = std::getenv("CORALUME_NO_MESSAGE_BOXES") == nullptr;
    return enabled;
}
} // namespace

void SetMessageBoxesEnabled(bool enabled)
{
    MessageBoxesEnabled() = enabled;
}

void ShowMessageBox(char const* caption, char const* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (MessageBoxesEnabled() && std::getenv("DISPLAY"))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr);
}
} // namespace platform
