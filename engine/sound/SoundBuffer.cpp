#include "sound/SoundBuffer.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "sound/OpenALError.h"
#include "sound/WaveLayout.h"

#include <AL/al.h>
#include <AL/alut.h>

#include <cstdlib>
#include <cstring>

namespace
{
constexpr unsigned int WaveHeaderSize = 36;

// "RIFF" 84 "WAVE"; "fmt " 18: PCM, mono, 22050 Hz, 22050 B/s, block 1, 8 bits, extra 0;
// "fact" 4: 33; "data" 33: silence.
constexpr unsigned char EmptyWaveHeader[] = {
    'R', 'I', 'F', 'F', 84,   0,    0,  0, 'W',  'A',  'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0,   0,
    1,   0,   1,   0,   0x22, 0x56, 0,  0, 0x22, 0x56, 0,   0,   1,   0,   8,   0,   0,  0, 'f', 'a',
    'c', 't', 4,   0,   0,    0,    33, 0, 0,    0,    'd', 'a', 't', 'a', 33,  0,   0,  0,
};
constexpr unsigned int EmptyDataSize = 33;
constexpr unsigned int EmptyWaveSize = sizeof(EmptyWaveHeader) + EmptyDataSize;
static_assert(EmptyWaveSize == 91);

struct SEmptyWaveImage
{
    unsigned char bytes[EmptyWaveSize];

    SEmptyWaveImage()
    {
        std::memcpy(bytes, EmptyWaveHeader, sizeof(EmptyWaveHeader));
        std::memset(bytes + sizeof(EmptyWaveHeader), 0x80, EmptyDataSize);
    }
};

SEmptyWaveImage const EmptyWaveImage;

[[noreturn]] void RaiseFatal(CMessageManager* messageManager, std::string const& text)
{
    if (messageManager)
        messageManager->WriteFatalError("%s", text.c_str());
    throw CFatalError("%s", text.c_str());
}

// The WAV loader of the toolkit; its older entry point (alutLoadWAVMemory) does not hand
// the samples back in this build, so the file-image loader is used. It needs the toolkit
// initialised, which needs nothing but the current context.
void* LoadWaveMemory(unsigned char const* image, unsigned int size, ALenum* format, ALsizei* dataSize,
                     ALfloat* frequency)
{
    alutGetError();
    void* data = alutLoadMemoryFromFileImage(image, static_cast<ALsizei>(size), format, dataSize, frequency);
    if (!data && alutGetError() == ALUT_ERROR_INVALID_OPERATION && alutInitWithoutContext(nullptr, nullptr))
        data = alutLoadMemoryFromFileImage(image, static_cast<ALsizei>(size), format, dataSize, frequency);
    return data;
}
} // namespace

bool CSoundBuffer::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                          CFileManager* fileManager, std::string const& name)
{
    Destroy();
    Store(messageManager, memoryManager, fileManager);
    m_fileName = std::string(SoundsFolder) + name;

    if (!m_fileManager || !m_fileManager->IsFileExists(m_fileName.c_str())) {
        if (m_messageManager)
            m_messageManager->WriteError("Failed to open %s file", m_fileName.c_str());
        Destroy();
        return false;
    }

    GenerateBuffer();

    char extension[CFileManager::NameLength];
    CFileManager::GetFileExtension(m_fileName.c_str(), extension);
    bool loaded = false;
    if (std::strcmp(extension, "wav") == 0) {
        loaded = LoadWav();
    } else if (std::strcmp(extension, "ogg") == 0) {
        loaded = LoadOgg();
    } else if (m_messageManager) {
        m_messageManager->WriteError("Failed to load %s sound file - unknown type", m_fileName.c_str());
    }
    if (!loaded) {
        Destroy();
        return false;
    }
    m_usersCount = 1;
    m_free = false;
    return true;
}

void CSoundBuffer::CreateEmpty(CMessageManager* messageManager, CMemoryManager* memoryManager,
                               CFileManager* fileManager)
{
    Destroy();
    Store(messageManager, memoryManager, fileManager);
    GenerateBuffer();
    if (!UploadWave(EmptyWaveImage.bytes, EmptyWaveSize))
        RaiseFatal(m_messageManager, "Failed to create empty sound file - incorrect format");
    m_usersCount = 1;
    m_free = false;
}

void CSoundBuffer::Destroy()
{
    if (m_bufferGenerated)
        alDeleteBuffers(1, &m_buffer);
    m_bufferGenerated = false;
    m_buffer = 0;
    m_format = 0;
    m_size = 0;
    m_frequency = 0;
    m_usersCount = 0;
    m_fileName.clear();
    m_free = true;
}

unsigned char const* CSoundBuffer::GetEmptyWaveImage(unsigned int* size)
{
    if (size)
        *size = EmptyWaveSize;
    return EmptyWaveImage.bytes;
}

void CSoundBuffer::Store(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CFileManager* fileManager)
{
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
}

void CSoundBuffer::GenerateBuffer()
{
    // An error left by earlier calls must not be taken for this one.
    sound::ReportOpenALError(m_messageManager);
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR)
        RaiseFatal(m_messageManager, "Sound Manager: OpenAL buffers overflow");
    m_buffer = buffer;
    m_bufferGenerated = true;
}

bool CSoundBuffer::UploadWave(unsigned char const* image, unsigned int size)
{
    // The loader trusts the chunk sizes, so the image is checked against its real size first.
    SWaveLayout layout;
    if (size > 0x7FFFFFFFu || !ReadWaveLayout(image, size, &layout) || layout.channels != 1 ||
        !IsPlayablePcm(layout))
        return false;

    ALenum format = 0;
    ALsizei dataSize = 0;
    ALfloat loadedFrequency = 0.0f;
    void* data = LoadWaveMemory(image, size, &format, &dataSize, &loadedFrequency);
    if (!data)
        return false;

    ALsizei const frequency = static_cast<ALsizei>(layout.frequency);
    bool uploaded = false;
    if (dataSize > 0 && (format == AL_FORMAT_MONO8 || format == AL_FORMAT_MONO16)) {
        sound::ReportOpenALError(m_messageManager);
        alBufferData(m_buffer, format, data, dataSize, frequency);
        uploaded = alGetError() == AL_NO_ERROR;
    }
    std::free(data);
    if (uploaded) {
        m_format = format;
        m_size = static_cast<unsigned int>(dataSize);
        m_frequency = static_cast<unsigned int>(frequency);
    }
    return uploaded;
}

bool CSoundBuffer::LoadWav()
{
    try {
        CFile file;
        m_fileManager->OpenFile(&file, m_fileName, FILE_READ_BINARY | FILE_IN_MEMORY);
        unsigned char header[WaveHeaderSize];
        file.Read(header, WaveHeaderSize);

        SWaveLayout layout;
        bool const laidOut = ReadWaveLayout(file.GetBuffer(), file.GetSize(), &layout);
        if (laidOut && layout.channels != 1)
            RaiseFatal(m_messageManager, "Failed to load " + m_fileName + " sound file - it's not MONO");
        bool const uploaded = laidOut && UploadWave(file.GetBuffer(), file.GetSize());
        file.Close();
        if (!uploaded) {
            if (m_messageManager)
                m_messageManager->WriteError("Failed to load %s sound file - incorrect format",
                                             m_fileName.c_str());
            return false;
        }
        return true;
    } catch (CFileError const& error) {
        if (m_messageManager)
            m_messageManager->WriteError("%s", error.GetText());
        return false;
    }
}
