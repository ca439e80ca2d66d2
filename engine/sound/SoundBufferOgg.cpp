#include "sound/SoundBuffer.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "sound/OpenALError.h"
#include "sound/WaveLayout.h"

#include <AL/al.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{
// Decoder reads never throw: short reads end the stream.
std::size_t ReadFromFile(void* buffer, std::size_t size, std::size_t count, void* source)
{
    auto* file = static_cast<CFile*>(source);
    if (size == 0 || count == 0)
        return 0;
    std::size_t const available = file->GetSize() - std::min(file->GetPosition(), file->GetSize());
    std::size_t const wanted = count > available / size ? available : size * count;
    unsigned int done = 0;
    try {
        file->Read(buffer, static_cast<unsigned int>(wanted), &done);
    } catch (CFileError const&) {
        return 0;
    }
    return done / size;
}

// CFile counts FSO_END offsets backwards and never rests past the last byte, so the
// target is worked out here and the end of the file is reached by reading its last byte.
int SeekInFile(void* source, ogg_int64_t offset, int origin)
{
    auto* file = static_cast<CFile*>(source);
    std::int64_t const size = file->GetSize();
    std::int64_t base = 0;
    switch (origin) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = file->GetPosition();
        break;
    case SEEK_END:
        base = size;
        break;
    default:
        return -1;
    }
    if (offset < -size || offset > size)
        return -1;
    std::int64_t const target = base + offset;
    if (target < 0 || target > size || target > INT_MAX)
        return -1;
    try {
        if (target < size) {
            file->Seek(FSO_BEGIN, static_cast<int>(target));
        } else if (size > 0) {
            file->Seek(FSO_BEGIN, static_cast<int>(size - 1));
            unsigned char last = 0;
            unsigned int done = 0;
            file->Read(&last, 1, &done);
        }
    } catch (CFileError const&) {
        return -1;
    }
    return file->GetPosition() == target ? 0 : -1;
}

int CloseFile(void* source)
{
    static_cast<CFile*>(source)->Close();
    return 0;
}

long TellInFile(void* source)
{
    return static_cast<long>(static_cast<CFile*>(source)->GetPosition());
}

// A decoding block lent by the memory manager (or the heap without one).
class CDecodeBlock
{
public:
    CDecodeBlock(CMemoryManager* memoryManager, unsigned int size) : m_memoryManager(memoryManager)
    {
        if (m_memoryManager) {
            m_data = static_cast<char*>(m_memoryManager->Allocate(size, true));
        } else {
            m_heap.resize(size);
            m_data = m_heap.data();
        }
    }
    ~CDecodeBlock()
    {
        if (m_memoryManager)
            m_memoryManager->Free(m_data);
    }
    CDecodeBlock(CDecodeBlock const&) = delete;
    CDecodeBlock& operator=(CDecodeBlock const&) = delete;

    char* GetData() { return m_data; }

private:
    CMemoryManager* m_memoryManager;
    std::vector<char> m_heap;
    char* m_data = nullptr;
};

// Consecutive decoder failures (holes, bad links) tolerated before the stream is given up.
constexpr int MaxDecodeFailures = 64;
constexpr unsigned int ReadChunkSize = 65536;
} // namespace

bool CSoundBuffer::LoadOgg()
{
    CFile file;
    try {
        m_fileManager->OpenFile(&file, m_fileName, FILE_READ_BINARY);
    } catch (CFileError const& error) {
        if (m_messageManager)
            m_messageManager->WriteError("%s", error.GetText());
        return false;
    }

    OggVorbis_File stream;
    ov_callbacks const callbacks = {ReadFromFile, SeekInFile, CloseFile, TellInFile};
    if (ov_open_callbacks(&file, &stream, nullptr, 0, callbacks) < 0)
        return false;

    vorbis_info const* info = ov_info(&stream, -1);
    ogg_int64_t const samples = ov_pcm_total(&stream, -1);
    // Layouts beyond two channels do not fit the two 16-bit formats.
    if (!info || (info->channels != 1 && info->channels != 2) || info->rate < 1 ||
        info->rate > static_cast<long>(MaxWaveFrequency) || samples <= 0) {
        ov_clear(&stream);
        return false;
    }
    int const channels = info->channels;
    long const frequency = info->rate;
    unsigned int const frameSize = static_cast<unsigned int>(channels) * 2;
    // The stream's own length is not trusted for the allocation.
    std::uint64_t const claimed =
        static_cast<std::uint64_t>(std::min<ogg_int64_t>(samples, MaxDecodedSize)) * frameSize;
    unsigned int const size = static_cast<unsigned int>(std::min<std::uint64_t>(claimed, MaxDecodedSize));

    CDecodeBlock block(m_memoryManager, size);
    char* data = block.GetData();
    unsigned int decoded = 0;
    int failures = 0;
    while (decoded < size) {
        int link = 0;
        int const wanted = static_cast<int>(std::min(size - decoded, ReadChunkSize));
        long const got = ov_read(&stream, data + decoded, wanted, 0, 2, 1, &link);
        if (got == 0)
            break;
        if (got < 0) {
            if (++failures > MaxDecodeFailures)
                break;
            continue;
        }
        failures = 0;
        // A chained stream that changes its layout cannot continue in the same buffer.
        vorbis_info const* linkInfo = ov_info(&stream, link);
        if (!linkInfo || linkInfo->channels != channels || linkInfo->rate != frequency)
            break;
        decoded += static_cast<unsigned int>(got);
    }
    ov_clear(&stream);
    decoded -= decoded % frameSize;
    if (decoded == 0)
        return false;

    ALenum const format = channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    sound::ReportOpenALError(m_messageManager);
    alBufferData(m_buffer, format, data, static_cast<ALsizei>(decoded), static_cast<ALsizei>(frequency));
    if (alGetError() != AL_NO_ERROR)
        return false;
    m_format = format;
    m_size = decoded;
    m_frequency = static_cast<unsigned int>(frequency);
    return true;
}
