#pragma once

#include <string>

class CFileManager;
class CMemoryManager;
class CMessageManager;

// One sound file decoded into an OpenAL buffer, shared by the sounds that play it.
class CSoundBuffer
{
public:
    static constexpr char const* SoundsFolder = "Data\\Sounds\\";
    // Decoded Ogg Vorbis data beyond this many bytes is dropped.
    static constexpr unsigned int MaxDecodedSize = 64u << 20;

    CSoundBuffer() = default;
    ~CSoundBuffer() { Destroy(); }
    CSoundBuffer(CSoundBuffer const&) = delete;
    CSoundBuffer& operator=(CSoundBuffer const&) = delete;

    // Loads "Data\Sounds\<name>" (WAV or Ogg Vorbis); false when it cannot be played.
    bool Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                std::string const& name);
    // A short stretch of silence.
    void CreateEmpty(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CFileManager* fileManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    unsigned int GetBuffer() const { return m_buffer; }
    int GetFormat() const { return m_format; }
    unsigned int GetSize() const { return m_size; }
    unsigned int GetFrequency() const { return m_frequency; }
    std::string const& GetFileName() const { return m_fileName; }

    void AddUser() { ++m_usersCount; }
    void RemoveUser()
    {
        if (m_usersCount > 0)
            --m_usersCount;
    }
    unsigned int GetUsersCount() const { return m_usersCount; }

    // The 91-byte WAV image that CreateEmpty loads.
    static unsigned char const* GetEmptyWaveImage(unsigned int* size);

private:
    void Store(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager);
    void GenerateBuffer();
    // Validates the image, decodes it and uploads it into the buffer.
    bool UploadWave(unsigned char const* image, unsigned int size);
    bool LoadWav();
    bool LoadOgg();

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    std::string m_fileName;
    int m_format = 0;
    unsigned int m_size = 0;
    unsigned int m_frequency = 0;
    unsigned int m_buffer = 0;
    bool m_bufferGenerated = false;
    unsigned int m_usersCount = 0;
};
