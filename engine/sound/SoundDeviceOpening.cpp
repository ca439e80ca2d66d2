#include "sound/SoundDeviceOpening.h"

#include "sound/SoundManager.h"

#include <AL/efx.h>

CSoundDeviceOpening::~CSoundDeviceOpening()
{
    Discard();
}

void CSoundDeviceOpening::Begin()
{
    if (m_begun) {
        return;
    }
    m_begun = true;
    m_thread = std::thread([this] { m_result = Open(); });
}

CSoundDeviceOpening::SResult CSoundDeviceOpening::Take()
{
    Wait();
    SResult const result = m_result;
    m_result = {};
    m_begun = false;
    return result;
}

void CSoundDeviceOpening::Discard()
{
    SResult const result = Take();
    if (result.context) {
        alcDestroyContext(result.context);
    }
    if (result.device) {
        alcCloseDevice(result.device);
    }
}

void CSoundDeviceOpening::Wait()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

CSoundDeviceOpening::SResult CSoundDeviceOpening::Open()
{
    SResult result;
    result.device = alcOpenDevice(CSoundManager::PreferredDeviceName);
    if (!result.device) {
        result.device = alcOpenDevice(nullptr);
    }
    if (!result.device) {
        return result;
    }
    // Sounds play without effects: sends to effect slots would only enlarge every voice's mixer
    // state (the library makes 256 voices with each context).
    ALCint const attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
    result.context = alcCreateContext(result.device, attributes);
    return result;
}
