#include "core/File.h"

#include "core/Errors.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "math/Vector.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>

namespace
{
bool IsSeparator(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void Complement(unsigned char* bytes, unsigned int count)
{
    for (unsigned int i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(~bytes[i]);
}
} // namespace

CFile::~CFile()
{
    if (m_output && std::uncaught_exceptions() > m_exceptionsAtOpen) {
        m_output->Abandon();
        m_output.reset();
        m_stream = nullptr;
    }
    try {
        Close();
    } catch (CFileError const& error) {
        if (m_messageManager)
            m_messageManager->WriteError("%s", error.GetText());
    }
}

unsigned char* CFile::AllocateBuffer(unsigned int size)
{
    if (m_memoryManager)
        return static_cast<unsigned char*>(m_memoryManager->Allocate(size, true));
    return new unsigned char[std::max(size, 1u)];
}

void CFile::ReleaseBuffer()
{
    if (!m_buffer)
        return;
    if (m_memoryManager)
        m_memoryManager->Free(m_buffer);
    else
        delete[] m_buffer;
    m_buffer = nullptr;
}

void CFile::Open(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* name,
                 unsigned int const& mode, bool const& fromMemory, unsigned int const& size,
                 unsigned char const* data)
{
    Close();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    std::snprintf(m_name, sizeof(m_name), "%s", name ? name : "");
    m_state = mode;
    m_size = 0;
    m_position = 0;

    std::string const fullPath = platform::IsAbsolutePath(m_name)
                                     ? std::string(m_name)
                                     : platform::GetExecutableDirectory() + "\\" + m_name;

    if (mode & (FILE_WRITE_TEXT | FILE_WRITE_BINARY)) {
        // Line breaks are kept as they are: the text reader accepts both conventions.
        m_output = std::make_unique<platform::AtomicFile>();
        if (!m_output->Open(platform::ResolvePath(fullPath), nullptr)) {
            m_output.reset();
            throw CFileError("Failed to open %s file", m_name);
        }
        m_stream = m_output->GetStream();
        m_exceptionsAtOpen = std::uncaught_exceptions();
    } else if (fromMemory) {
        if (!data && size > 0)
            throw CFileError("Failed to open %s file", m_name);
        m_buffer = AllocateBuffer(size);
        if (size > 0)
            std::memcpy(m_buffer, data, size);
        m_size = size;
    } else {
        m_stream = platform::OpenRegularFile(platform::ResolvePath(fullPath));
        if (!m_stream)
            throw CFileError("Failed to open %s file", m_name);
        long length = -1;
        if (std::fseek(m_stream, 0, SEEK_END) == 0)
            length = std::ftell(m_stream);
        if (length < 0 || static_cast<unsigned long>(length) > std::numeric_limits<unsigned int>::max() ||
            std::fseek(m_stream, 0, SEEK_SET) != 0) {
            std::fclose(m_stream);
            m_stream = nullptr;
            throw CFileError("Failed to open %s file", m_name);
        }
        m_size = static_cast<unsigned int>(length);
        if ((mode & FILE_IN_MEMORY) || m_size <= MemoryLimit) {
            m_buffer = AllocateBuffer(m_size);
            std::size_t const got = m_size ? std::fread(m_buffer, 1, m_size, m_stream) : 0;
            std::fclose(m_stream);
            m_stream = nullptr;
            if (got != m_size) {
                ReleaseBuffer();
                int const wanted = static_cast<int>(m_size);
                m_size = 0;
                throw CFileError("Failed to read %d bytes from \"%s\" file", wanted, m_name);
            }
        }
    }
    m_position = 0;
    m_opened = true;
}

void CFile::Close()
{
    if (!m_opened)
        return;
    ReleaseBuffer();
    bool committed = true;
    if (m_output) {
        committed = m_output->Commit(nullptr);
        m_output.reset();
    } else if (m_stream) {
        std::fclose(m_stream);
    }
    m_stream = nullptr;
    m_size = 0;
    m_position = 0;
    m_opened = false;
    if (!committed)
        throw CFileError("Failed to write \"%s\" file", m_name);
}

void CFile::SetOpen(bool const& opened)
{
    m_opened = opened;
    if (!opened) {
        m_stream = nullptr;
        m_buffer = nullptr;
    }
}

void CFile::Read(void* buffer, unsigned int const& count, unsigned int* done)
{
    if (done)
        *done = 0;
    if (count == 0)
        return;
    unsigned int got = 0;
    if (m_opened) {
        unsigned int const available = std::min(count, m_size - std::min(m_position, m_size));
        auto* bytes = static_cast<unsigned char*>(buffer);
        if (m_buffer) {
            std::memcpy(bytes, m_buffer + m_position, available);
            got = available;
        } else if (m_stream && available > 0) {
            got = static_cast<unsigned int>(std::fread(bytes, 1, available, m_stream));
        }
        if (m_state & FILE_INVERTED)
            Complement(bytes, got);
        m_position += got;
    }
    if (done)
        *done = got;
    else if (got < count)
        throw CFileError("Failed to read %d bytes from \"%s\" file", static_cast<int>(count), m_name);
}

void CFile::Write(void const* buffer, unsigned int const& count, unsigned int* done)
{
    if (done)
        *done = 0;
    if (count == 0)
        return;
    unsigned int written = 0;
    if (m_opened && m_stream) {
        auto const* bytes = static_cast<unsigned char const*>(buffer);
        if (m_state & FILE_INVERTED) {
            unsigned char chunk[4096];
            while (written < count) {
                unsigned int const part = std::min<unsigned int>(count - written, sizeof(chunk));
                for (unsigned int i = 0; i < part; ++i)
                    chunk[i] = static_cast<unsigned char>(~bytes[written + i]);
                unsigned int const put = static_cast<unsigned int>(std::fwrite(chunk, 1, part, m_stream));
                written += put;
                if (put < part)
                    break;
            }
        } else {
            written = static_cast<unsigned int>(std::fwrite(bytes, 1, count, m_stream));
        }
        m_position += written;
        m_size = std::max(m_size, m_position);
    }
    if (done)
        *done = written;
    else if (written < count)
        throw CFileError("Failed to write %d bytes to \"%s\" file", static_cast<int>(count), m_name);
}

void CFile::Seek(EFileSeekOrigin const& origin, int const& offset)
{
    std::int64_t target = offset;
    if (origin == FSO_END)
        target = static_cast<std::int64_t>(m_size) - offset;
    else if (origin == FSO_CURRENT)
        target = static_cast<std::int64_t>(m_position) + offset;
    std::int64_t const last = m_size > 0 ? static_cast<std::int64_t>(m_size) - 1 : 0;
    m_position = static_cast<unsigned int>(std::clamp<std::int64_t>(target, 0, last));
    if (m_stream)
        std::fseek(m_stream, static_cast<long>(m_position), SEEK_SET);
}

int CFile::ReadCharacter()
{
    if (!m_opened || m_position >= m_size)
        return -1;
    unsigned char c = 0;
    if (m_buffer) {
        c = m_buffer[m_position];
    } else {
        int const got = m_stream ? std::fgetc(m_stream) : EOF;
        if (got == EOF)
            return -1;
        c = static_cast<unsigned char>(got);
    }
    ++m_position;
    if (m_state & FILE_INVERTED)
        c = static_cast<unsigned char>(~c);
    return c;
}

void CFile::ReadTextString(char* text)
{
    unsigned int length = 0;
    while (length < TextLength - 1) {
        int const c = ReadCharacter();
        if (c < 0 || c == '\n')
            break;
        text[length++] = static_cast<char>(c);
    }
    text[length] = 0;
    if (char* comment = std::strstr(text, "//"))
        *comment = 0;
}

void CFile::ReadTextString(std::string* text)
{
    char buffer[TextLength];
    ReadTextString(buffer);
    *text = buffer;
}

void CFile::ReadTextWord(char* word)
{
    for (;;) {
        int c = ReadCharacter();
        while (c >= 0 && IsSeparator(c))
            c = ReadCharacter();

        unsigned int length = 0;
        int ending = -1;
        while (c >= 0) {
            if (IsSeparator(c)) {
                ending = c;
                break;
            }
            word[length++] = static_cast<char>(c);
            if (length == TextLength - 1)
                break;
            c = ReadCharacter();
        }
        word[length] = 0;

        if (length < 2 || word[0] != '/' || word[1] != '/')
            return;
        if (ending != '\n') {
            for (unsigned int skipped = 0; skipped < TextLength - 1; ++skipped) {
                int const rest = ReadCharacter();
                if (rest < 0 || rest == '\n')
                    break;
            }
        }
    }
}

void CFile::ReadTextWord(std::string* word)
{
    char buffer[TextLength];
    ReadTextWord(buffer);
    *word = buffer;
}

int CFile::ReadTextInt()
{
    char word[TextLength];
    ReadTextWord(word);
    return std::atoi(word);
}

float CFile::ReadTextFloat()
{
    char word[TextLength];
    ReadTextWord(word);
    return static_cast<float>(std::atof(word));
}

CVector2 CFile::ReadTextVector2()
{
    float const x = ReadTextFloat();
    float const y = ReadTextFloat();
    return CVector2(x, y);
}

CVector3 CFile::ReadTextVector3()
{
    float const x = ReadTextFloat();
    float const y = ReadTextFloat();
    float const z = ReadTextFloat();
    return CVector3(x, y, z);
}

CVector4 CFile::ReadTextVector4()
{
    float const x = ReadTextFloat();
    float const y = ReadTextFloat();
    float const z = ReadTextFloat();
    float const w = ReadTextFloat();
    return CVector4(x, y, z, w);
}

void CFile::WriteTextString(char const* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int const length = std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (length <= 0)
        return;
    Write(buffer, std::min<unsigned int>(static_cast<unsigned int>(length), sizeof(buffer) - 1));
}

void CFile::ReadBinaryString(char* text)
{
    unsigned char length = 0;
    text[0] = 0;
    Read(&length, 1);
    unsigned int got = 0;
    Read(text, length, &got);
    text[got] = 0;
    if (got < length)
        throw CFileError("Failed to read %d bytes from \"%s\" file", static_cast<int>(length), m_name);
}

void CFile::ReadBinaryString(std::string* text)
{
    char buffer[TextLength];
    ReadBinaryString(buffer);
    *text = buffer;
}

void CFile::WriteBinaryString(char const* text)
{
    std::size_t const characters = std::min<std::size_t>(std::strlen(text), TextLength - 2);
    unsigned char bytes[TextLength];
    bytes[0] = static_cast<unsigned char>(characters + 1);
    std::memcpy(bytes + 1, text, characters);
    bytes[characters + 1] = 0;
    Write(bytes, static_cast<unsigned int>(characters + 2));
}

void CFile::WriteBinaryString(std::string const& text)
{
    WriteBinaryString(text.c_str());
}
