#pragma once

#include <map>
#include <memory>
#include <string>

class CFileManager;
class CMemoryManager;
class CMessageManager;
class CSoundBuffer;

// Loads each sound file once and shares its buffer among the sounds, counting users.
class CSoundBufferManager
{
public:
    CSoundBufferManager();
    ~CSoundBufferManager();
    CSoundBufferManager(CSoundBufferManager const&) = delete;
    CSoundBufferManager& operator=(CSoundBufferManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    // OpenAL name of the buffer for the file (relative to the sounds folder); a file
    // that cannot be loaded gets a silent buffer.
    unsigned int AddBuffer(std::string const& name);
    void RemoveBuffer(std::string const& name);
    CSoundBuffer* GetSoundBuffer(std::string const& name);
    unsigned int GetBuffersCount() const { return static_cast<unsigned int>(m_buffers.size()); }

private:
    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    std::map<std::string, std::unique_ptr<CSoundBuffer>> m_buffers;
};
