#pragma once

#include <cstdint>

struct SDL_Window;
union SDL_Event;

// SDL's event queue translated into the plain calls of WindowEvents.h.
namespace platform
{
// Takes one waiting event and handles it; false when none waits.
bool PumpOneSdlEvent();
// Sleeps until an event waits (true) or the time is up (false), without taking the event.
bool WaitForSdlEvent(std::uint32_t timeoutMilliseconds);
// Queues a window message behind the waiting events.
void PostSdlWindowMessage(SDL_Window* window, unsigned int message, unsigned int wParam, long lParam);
// Handles one event as PumpOneSdlEvent would.
void HandleEvent(SDL_Event const& event);
} // namespace platform
