#pragma once

#include "math/Vector.h"
#include "sound/SoundBufferManager.h"
#include "sound/SoundDeviceOpening.h"

#include <AL/alc.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

class CConfig;
class CFileManager;
class CMemoryManager;
class CMessageManager;
class CSound;

// Opens the OpenAL device, owns the sounds in a slot table, places the listener and
// applies the master volume ("s_sound_volume") every frame.
class CSoundManager
{
public:
    // Tried first; the default device is used when it cannot be opened.
    static constexpr char const* PreferredDeviceName = "DirectSound3D";

    CSoundManager();
    ~CSoundManager();
    CSoundManager(CSoundManager const&) = delete;
    CSoundManager& operator=(CSoundManager const&) = delete;

    // Starts opening the device and its context on a thread of its own; `Create` takes them
    // over (and opens them itself when this was not called).
    void BeginOpeningDevice();

    // Without a device or context the manager stays free and the program runs silently.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CConfig* config);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Slot of a new sound: the most recently freed slot, otherwise a new one.
    unsigned int AddSound(std::string const& fileName);
    unsigned int AddSound(CSound const& sound);
    void RemoveSound(unsigned int const& slot);
    // When no source is left, the oldest non-looping sound holding one is stopped first.
    void PlaySoundA(unsigned int const& slot);
    void PauseSound(unsigned int const& slot);
    void StopSound(unsigned int const& slot);
    // Null for a slot that holds no sound.
    CSound* GetSound(unsigned int const& slot);
    unsigned int GetOccupiedSoundsIndicesCount() const
    {
        return static_cast<unsigned int>(m_occupied.size());
    }
    unsigned int GetOccupiedSoundIndex(unsigned int const& index) const;

    // Clamped to 0 ... 1, stored into "s_sound_volume" and set as the listener gain.
    void SetVolume(float const& volume);
    float GetVolume() const;

    void SetListenerPosition(CVector3 const& position);
    void SetListenerOrientation(CVector3 const& at, CVector3 const& up);
    CVector3 const& GetListenerPosition() const { return m_listenerPosition; }
    CVector3 const& GetListenerOrientationAt() const { return m_listenerAt; }
    CVector3 const& GetListenerOrientationUp() const { return m_listenerUp; }

    CSoundBufferManager* GetSoundBufferManager() { return &m_bufferManager; }

    // Per frame: master volume, finished sounds, OpenAL errors.
    void Refresh();

    // Stops the device's mixing while nothing is to be heard (true) and starts it again; the
    // sounds keep their places. Without the device extension for it this does nothing.
    void SuspendDevice(bool suspend);

private:
    bool OpenDevice();
    void WriteDeviceStrings();
    void WriteExtensions();
    unsigned int TakeSlot();
    unsigned int PlaceSound(std::unique_ptr<CSound> sound);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CConfig* m_config = nullptr;
    ALCcontext* m_context = nullptr;
    ALCdevice* m_device = nullptr;
    CSoundDeviceOpening m_opening;
    CSoundBufferManager m_bufferManager;
    CVector3 m_listenerPosition = CVector3(0.0f, 0.0f, 0.0f);
    CVector3 m_listenerAt = CVector3(0.0f, 0.0f, -1.0f);
    CVector3 m_listenerUp = CVector3(0.0f, 1.0f, 0.0f);
    unsigned int m_nextSlot = 0;
    std::vector<unsigned int> m_freeSlots;
    std::list<unsigned int> m_occupied;
    std::vector<std::unique_ptr<CSound>> m_sounds;
};
