#pragma once

#include <AL/alc.h>

#include <thread>

// Opens the OpenAL device and creates its context on a thread of its own, so that loading the
// sound library's output and starting its mixer overlap with the engine's other start-up work.
// The opened device and context are handed over once; what is never handed over is released.
class CSoundDeviceOpening
{
public:
    struct SResult
    {
        ALCdevice* device = nullptr;   // null when no device could be opened
        ALCcontext* context = nullptr; // null when the device has no context
    };

    CSoundDeviceOpening() = default;
    ~CSoundDeviceOpening();
    CSoundDeviceOpening(CSoundDeviceOpening const&) = delete;
    CSoundDeviceOpening& operator=(CSoundDeviceOpening const&) = delete;

    // Starts opening; nothing when already started and not yet taken.
    void Begin();
    bool HasBegun() const { return m_begun; }
    // Waits for the opening and hands its device and context over; empty when not begun.
    SResult Take();
    // Waits for the opening and releases what it opened.
    void Discard();

    // The opening itself: the preferred device, else the default one, and a context for it.
    static SResult Open();

private:
    void Wait();

    bool m_begun = false;
    std::thread m_thread;
    SResult m_result;
};
