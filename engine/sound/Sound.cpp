#include "sound/Sound.h"

#include "sound/OpenALError.h"
#include "sound/SoundBufferManager.h"

#include <AL/al.h>

void CSound::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                    CSoundBufferManager* bufferManager, std::string const& name)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_bufferManager = bufferManager;
    m_fileName = name;
    m_buffer = m_bufferManager->AddBuffer(name);
    m_loop = false;
    m_volume = 1.0f;
    m_position = CVector3(1.0f, 1.0f, 1.0f);
    m_free = false;
}

void CSound::Create(CSound const& other)
{
    if (&other == this)
        return;
    Destroy();
    if (other.IsFree())
        return;
    Create(other.m_messageManager, other.m_memoryManager, other.m_bufferManager, other.m_fileName);
    m_loop = other.m_loop;
    m_volume = other.m_volume;
    m_position = other.m_position;
}

void CSound::Destroy()
{
    // The source goes first: a buffer still attached to one cannot be deleted.
    ReleaseSource();
    if (!m_fileName.empty() && m_bufferManager)
        m_bufferManager->RemoveBuffer(m_fileName);
    m_fileName.clear();
    m_buffer = 0;
    m_free = true;
}

bool CSound::Play()
{
    if (m_free)
        return false;
    if (m_hasSource) {
        alSourceStop(m_source);
        alSourcePlay(m_source);
        return true;
    }
    sound::ReportOpenALError(m_messageManager);
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR)
        return false;
    m_source = source;
    m_hasSource = true;
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
    alSourcei(m_source, AL_LOOPING, m_loop ? AL_TRUE : AL_FALSE);
    alSourcef(m_source, AL_GAIN, m_volume);
    alSource3f(m_source, AL_POSITION, m_position.x, m_position.y, m_position.z);
    alSourcePlay(m_source);
    return true;
}

void CSound::Pause()
{
    if (m_hasSource)
        alSourcePause(m_source);
}

void CSound::Stop()
{
    ReleaseSource();
}

void CSound::Refresh()
{
    if (GetState() == SS_STOPPED)
        ReleaseSource();
}

void CSound::SetLoop(bool const& loop)
{
    m_loop = loop;
    if (m_hasSource)
        alSourcei(m_source, AL_LOOPING, m_loop ? AL_TRUE : AL_FALSE);
}

void CSound::SetVolume(float const& volume)
{
    m_volume = volume;
    if (m_hasSource)
        alSourcef(m_source, AL_GAIN, m_volume);
}

void CSound::SetPosition(CVector3 const& position)
{
    m_position = position;
    if (m_hasSource)
        alSource3f(m_source, AL_POSITION, m_position.x, m_position.y, m_position.z);
}

SoundState CSound::GetState() const
{
    if (!m_hasSource)
        return SS_STOPPED;
    ALint state = AL_STOPPED;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    switch (state) {
    case AL_PAUSED:
        return SS_PAUSED;
    case AL_STOPPED:
        return SS_STOPPED;
    default:
        return SS_PLAYING;
    }
}

void CSound::ReleaseSource()
{
    if (!m_hasSource)
        return;
    alSourceStop(m_source);
    alDeleteSources(1, &m_source);
    m_source = 0;
    m_hasSource = false;
}
