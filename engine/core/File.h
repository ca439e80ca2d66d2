#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "math/VectorFwd.h"
#include "platform/os/FileSystem.h"

class CMessageManager;
class CMemoryManager;

// Mode bits given to CFile::Open and state bits added afterwards.
enum : unsigned int
{
    FILE_READ_TEXT = 1,
    FILE_READ_BINARY = 2,
    FILE_WRITE_TEXT = 4,
    FILE_WRITE_BINARY = 8,
    FILE_INVERTED = 16,
    FILE_IN_MEMORY = 32,
};

enum EFileSeekOrigin : int
{
    FSO_BEGIN = 0,
    FSO_END = 1,
    FSO_CURRENT = 2,
};

// A file read from disk or from a memory copy, or written to disk. Disk files of at
// most 8 MiB (or any size with FILE_IN_MEMORY) are read into memory whole at opening.
// Reads and writes that cannot be completed throw CFileError. A file opened for writing is
// written under a temporary name and replaces its target only when it is closed complete.
class CFile
{
public:
    static constexpr unsigned int NameLength = 256;
    static constexpr unsigned int TextLength = 256;
    static constexpr unsigned int MemoryLimit = 8388608;

    CFile() = default;
    ~CFile();
    CFile(CFile const&) = delete;
    CFile& operator=(CFile const&) = delete;

    // A relative name is taken relative to the executable's directory. With a read
    // mode and `fromMemory`, `size` bytes of `data` are copied and read instead.
    void Open(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* name,
              unsigned int const& mode, bool const& fromMemory = false, unsigned int const& size = 0,
              unsigned char const* data = nullptr);
    // A written file replaces its target here; when that fails the target stays as it was and
    // CFileError is thrown. The destructor closes too, but drops a written file while an
    // exception is unwinding.
    void Close();
    bool IsOpened() const { return m_opened; }

    void Read(void* buffer, unsigned int const& count, unsigned int* done = nullptr);
    void Write(void const* buffer, unsigned int const& count, unsigned int* done = nullptr);

    void Seek(EFileSeekOrigin const& origin, int const& offset);
    unsigned int GetPosition() const { return m_position; }
    unsigned int GetSize() const { return m_size; }
    bool IsEndOfFile() const { return m_position >= m_size; }

    // One line (without its line feed), at most 255 characters, cut at the first "//".
    // The char* forms need a buffer of TextLength characters.
    void ReadTextString(char* text);
    void ReadTextString(std::string* text);
    // One word separated by white space; "//" comments run to the end of the line.
    void ReadTextWord(char* word);
    void ReadTextWord(std::string* word);
    int ReadTextInt();
    float ReadTextFloat();
    CVector2 ReadTextVector2();
    CVector3 ReadTextVector3();
    CVector4 ReadTextVector4();
    void WriteTextString(char const* format, ...) __attribute__((format(printf, 2, 3)));

    // Length byte (characters + terminating zero), then the characters and the zero.
    void ReadBinaryString(char* text);
    void ReadBinaryString(std::string* text);
    void WriteBinaryString(char const* text);
    void WriteBinaryString(std::string const& text);

    void AddState(unsigned int const& bits) { m_state |= bits; }
    void RemoveState(unsigned int const& bits) { m_state &= ~bits; }
    unsigned int GetState() const { return m_state; }

    char const* GetName() const { return m_name; }
    std::FILE* GetFile() { return m_stream; }
    unsigned char* GetBuffer() { return m_buffer; }

protected:
    // Clearing it forgets the stream and the buffer without releasing them.
    void SetOpen(bool const& opened);

private:
    int ReadCharacter();
    void ReleaseBuffer();
    unsigned char* AllocateBuffer(unsigned int size);

    bool m_opened = false;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    char m_name[NameLength] = {};
    std::FILE* m_stream = nullptr;
    unsigned int m_state = 0;
    unsigned int m_size = 0;
    unsigned int m_position = 0;
    unsigned char* m_buffer = nullptr;
    std::unique_ptr<platform::AtomicFile> m_output;
    int m_exceptionsAtOpen = 0;
};
