#pragma once

#include "math/Vector.h"

#include <string>

class CMemoryManager;
class CMessageManager;
class CSoundBufferManager;

enum SoundState : int
{
    SS_PLAYING = 0,
    SS_PAUSED = 1,
    SS_STOPPED = 2,
};

// One sound file played by its own OpenAL source, held only while it plays.
class CSound
{
public:
    CSound() = default;
    ~CSound() { Destroy(); }
    CSound(CSound const& other) { Create(other); }
    CSound& operator=(CSound const& other)
    {
        if (this != &other)
            Create(other);
        return *this;
    }

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                CSoundBufferManager* bufferManager, std::string const& name);
    // Same file, loop flag, volume and position; the source is not copied.
    void Create(CSound const& other);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Starts from the beginning; false when no source can be had.
    bool Play();
    void Pause();
    // Stops and gives the source back.
    void Stop();
    // Gives the source back once it has finished.
    void Refresh();

    void SetLoop(bool const& loop);
    void SetVolume(float const& volume);
    void SetPosition(CVector3 const& position);
    bool GetLoop() const { return m_loop; }
    float GetVolume() const { return m_volume; }
    CVector3 const& GetPosition() const { return m_position; }
    std::string const& GetFileName() const { return m_fileName; }
    unsigned int GetBuffer() const { return m_buffer; }
    SoundState GetState() const;
    bool HasSource() const { return m_hasSource; }
    // OpenAL source name; meaningful only while HasSource().
    unsigned int GetSource() const { return m_source; }

private:
    void ReleaseSource();

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CSoundBufferManager* m_bufferManager = nullptr;
    std::string m_fileName;
    unsigned int m_buffer = 0;
    unsigned int m_source = 0;
    bool m_hasSource = false;
    bool m_loop = false;
    float m_volume = 1.0f;
    CVector3 m_position = CVector3(1.0f, 1.0f, 1.0f);
};
