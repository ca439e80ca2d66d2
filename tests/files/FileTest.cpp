#include "TestDirectory.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "math/Vector.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages.Create("FileTest", false, nullptr);
        m_memory.Create(&m_messages);
    }

    void OpenText(CFile& file, std::string const& text)
    {
        file.Open(&m_messages, &m_memory, "text", FILE_READ_TEXT, true,
                  static_cast<unsigned int>(text.size()),
                  reinterpret_cast<unsigned char const*>(text.data()));
    }

    bool AnyMemoryInUse() const
    {
        for (unsigned int i = 0; i < CMemoryManager::EntriesCount; ++i) {
            if (m_memory.IsEntryInUse(i))
                return true;
        }
        return false;
    }

    CMessageManager m_messages;
    CMemoryManager m_memory;
    CTestDirectory m_directory;
};

std::string ErrorText(std::function<void()> const& action)
{
    try {
        action();
    } catch (CFileError const& error) {
        return error.GetText();
    }
    return "(no error)";
}

// A disk file just over the in-memory limit stays streamed.
std::string WriteLargeFile(CTestDirectory const& directory)
{
    std::vector<std::uint8_t> bytes(CFile::MemoryLimit + 16, 'x');
    std::string const tail = "\nlast word // note\nend";
    std::memcpy(bytes.data() + bytes.size() - tail.size(), tail.data(), tail.size());
    return directory.Write("large.bin", bytes);
}
} // namespace

TEST_F(FileTest, ShortReadReportsCountWithDoneAndThrowsWithout)
{
    std::string const path = m_directory.Write("ten.bin", std::string("0123456789"));
    CFile file;
    file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_BINARY);
    ASSERT_NE(file.GetBuffer(), nullptr);
    EXPECT_EQ(file.GetFile(), nullptr);

    char buffer[10] = {};
    unsigned int done = 99;
    file.Seek(FSO_END, 4);
    file.Read(buffer, 10, &done);
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_TRUE(file.IsEndOfFile());

    file.Seek(FSO_END, 4);
    EXPECT_EQ(ErrorText([&] { file.Read(buffer, 10); }),
              "Failed to read 10 bytes from \"" + path + "\" file");

    file.Read(buffer, 0, &done);
    EXPECT_EQ(done, 0u);
}

TEST_F(FileTest, SeekClampsIntoTheFileInMemoryAndStreamed)
{
    std::string const small = m_directory.Write("small.bin", std::string("abcdef"));
    std::string const large = WriteLargeFile(m_directory);
    for (std::string const& path : {small, large}) {
        SCOPED_TRACE(path);
        CFile file;
        file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_BINARY);
        unsigned int const size = file.GetSize();
        char byte = 0;

        file.Seek(FSO_END, 1);
        EXPECT_EQ(file.GetPosition(), size - 1);
        file.Read(&byte, 1);
        EXPECT_EQ(byte, path == small ? 'f' : 'd');

        file.Seek(FSO_BEGIN, 1 << 30);
        EXPECT_EQ(file.GetPosition(), size - 1);
        file.Seek(FSO_END, 0);
        EXPECT_EQ(file.GetPosition(), size - 1);
        file.Seek(FSO_BEGIN, -5);
        EXPECT_EQ(file.GetPosition(), 0u);
        file.Read(&byte, 1);
        EXPECT_EQ(byte, path == small ? 'a' : 'x');
        file.Seek(FSO_CURRENT, 2);
        EXPECT_EQ(file.GetPosition(), 3u);
        file.Seek(FSO_CURRENT, -10);
        EXPECT_EQ(file.GetPosition(), 0u);
    }
}

TEST_F(FileTest, LargeFilesStreamUnlessKeptInMemory)
{
    std::string const large = WriteLargeFile(m_directory);
    CFile streamed;
    streamed.Open(&m_messages, &m_memory, large.c_str(), FILE_READ_BINARY);
    EXPECT_NE(streamed.GetFile(), nullptr);
    EXPECT_EQ(streamed.GetBuffer(), nullptr);
    EXPECT_EQ(streamed.GetSize(), CFile::MemoryLimit + 16);

    // The text reader works the same on a streamed file.
    streamed.Seek(FSO_END, 22);
    std::string text;
    streamed.ReadTextWord(&text);
    EXPECT_EQ(text, "last");
    streamed.ReadTextWord(&text);
    EXPECT_EQ(text, "word");
    streamed.ReadTextWord(&text);
    EXPECT_EQ(text, "end");

    CFile whole;
    whole.Open(&m_messages, &m_memory, large.c_str(), FILE_READ_BINARY | FILE_IN_MEMORY);
    EXPECT_EQ(whole.GetFile(), nullptr);
    ASSERT_NE(whole.GetBuffer(), nullptr);
    EXPECT_EQ(whole.GetBuffer()[0], 'x');
}

TEST_F(FileTest, MemoryBlocksGoBackOnClose)
{
    std::string const path = m_directory.Write("a.txt", std::string("hello"));
    {
        CFile file;
        file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_TEXT);
        OpenText(file, "again");
        EXPECT_TRUE(AnyMemoryInUse());
    }
    EXPECT_FALSE(AnyMemoryInUse());
}

TEST_F(FileTest, OpeningWhatIsNotAFileThrows)
{
    std::string const missing = m_directory.Path() + "/missing.txt";
    CFile file;
    EXPECT_EQ(ErrorText([&] { file.Open(&m_messages, &m_memory, missing.c_str(), FILE_READ_BINARY); }),
              "Failed to open " + missing + " file");
    EXPECT_FALSE(file.IsOpened());
    EXPECT_NE(
        ErrorText([&] { file.Open(&m_messages, &m_memory, m_directory.Path().c_str(), FILE_READ_BINARY); }),
        "(no error)");
    std::string const unwritable = m_directory.Path() + "/no/such/folder/out.bin";
    EXPECT_EQ(ErrorText([&] { file.Open(&m_messages, &m_memory, unwritable.c_str(), FILE_WRITE_BINARY); }),
              "Failed to open " + unwritable + " file");
}

TEST_F(FileTest, AFifoIsRefusedInsteadOfWaitedOn)
{
    std::string const fifo = m_directory.Path() + "/fifo.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CFile file;
    EXPECT_EQ(ErrorText([&] { file.Open(&m_messages, &m_memory, fifo.c_str(), FILE_READ_BINARY); }),
              "Failed to open " + fifo + " file");
}

TEST_F(FileTest, EngineStylePathsMatchNamesIgnoringCase)
{
    m_directory.Write("Data/Models/fish.txt", std::string("scale"));
    std::string const name = m_directory.Path() + "\\DATA\\\\models\\FISH.TXT";
    CFile file;
    file.Open(&m_messages, &m_memory, name.c_str(), FILE_READ_TEXT);
    std::string word;
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "scale");
    EXPECT_STREQ(file.GetName(), name.c_str());
}

TEST_F(FileTest, InvertedStateComplementsWritesAndReads)
{
    std::string const path = m_directory.Path() + "/inverted.bin";
    {
        CFile file;
        file.Open(&m_messages, &m_memory, path.c_str(), FILE_WRITE_BINARY);
        file.Write("\x01\xF0", 2);
        file.AddState(FILE_INVERTED);
        EXPECT_EQ(file.GetState(), FILE_WRITE_BINARY | FILE_INVERTED);
        file.WriteBinaryString("ab");
        EXPECT_EQ(file.GetPosition(), 6u);
    }
    std::vector<std::uint8_t> const raw = m_directory.Read("inverted.bin");
    std::vector<std::uint8_t> const expected = {0x01, 0xF0, 0xFC, 0x9E, 0x9D, 0xFF};
    EXPECT_EQ(raw, expected);

    CFile file;
    file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_BINARY);
    file.Seek(FSO_BEGIN, 2);
    file.AddState(FILE_INVERTED);
    std::string text;
    file.ReadBinaryString(&text);
    EXPECT_EQ(text, "ab");
    file.RemoveState(FILE_INVERTED);
    EXPECT_EQ(file.GetState(), FILE_READ_BINARY);
}

TEST_F(FileTest, BinaryStringsAreLengthPrefixedAndTerminated)
{
    std::string const path = m_directory.Path() + "/strings.bin";
    {
        CFile file;
        file.Open(&m_messages, &m_memory, path.c_str(), FILE_WRITE_BINARY);
        file.WriteBinaryString(std::string("abc"));
        file.WriteBinaryString("");
        file.WriteBinaryString(std::string(300, 'z'));
    }
    std::vector<std::uint8_t> const raw = m_directory.Read("strings.bin");
    ASSERT_EQ(raw.size(), 5u + 2u + 256u);
    EXPECT_EQ(std::vector<std::uint8_t>(raw.begin(), raw.begin() + 7),
              (std::vector<std::uint8_t>{4, 'a', 'b', 'c', 0, 1, 0}));
    EXPECT_EQ(raw[7], 255);

    CFile file;
    file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_BINARY);
    std::string text;
    file.ReadBinaryString(&text);
    EXPECT_EQ(text, "abc");
    file.ReadBinaryString(&text);
    EXPECT_EQ(text, "");
    file.ReadBinaryString(&text);
    EXPECT_EQ(text, std::string(254, 'z'));
}

TEST_F(FileTest, BinaryStringReadsNeverRunPastTheDataOrTheBuffer)
{
    // The length byte promises more than the file holds.
    std::string const lying = "\x09"
                              "abc";
    CFile file;
    OpenText(file, lying);
    char text[CFile::TextLength];
    EXPECT_NE(ErrorText([&] { file.ReadBinaryString(text); }), "(no error)");

    // No terminating zero in the data: the text still ends inside the buffer.
    std::string unterminated(1, static_cast<char>(255));
    unterminated += std::string(255, 'q');
    OpenText(file, unterminated);
    file.ReadBinaryString(text);
    EXPECT_EQ(std::strlen(text), 255u);
}

TEST_F(FileTest, TextStringsEndAtLineFeedsAndComments)
{
    CFile file;
    OpenText(file, "v_mode 800x600x16 // comment\r\nsecond\r\n" + std::string(300, 'L') + "\nlast");
    std::string line;
    file.ReadTextString(&line);
    EXPECT_EQ(line, "v_mode 800x600x16 ");
    file.ReadTextString(&line);
    EXPECT_EQ(line, "second\r");
    file.ReadTextString(&line);
    EXPECT_EQ(line, std::string(255, 'L'));
    file.ReadTextString(&line);
    EXPECT_EQ(line, std::string(45, 'L'));
    file.ReadTextString(&line);
    EXPECT_EQ(line, "last");
    EXPECT_TRUE(file.IsEndOfFile());
    file.ReadTextString(&line);
    EXPECT_EQ(line, "");
}

TEST_F(FileTest, TextWordsSkipCommentLines)
{
    CFile file;
    OpenText(file, "  first\t// a whole comment line\n//\nsecond // trailing words here\r\n"
                   "\n   //tight\nthird 12 -3.5 1 2 3 4 // end");
    std::string word;
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "first");
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "second");
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "third");
    EXPECT_EQ(file.ReadTextInt(), 12);
    EXPECT_FLOAT_EQ(file.ReadTextFloat(), -3.5f);
    CVector4 const v = file.ReadTextVector4();
    EXPECT_FLOAT_EQ(v.x, 1.0f);
    EXPECT_FLOAT_EQ(v.w, 4.0f);
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "");
    EXPECT_TRUE(file.IsEndOfFile());
}

TEST_F(FileTest, LongWordsAreSplitInsideTheBuffer)
{
    CFile file;
    OpenText(file, std::string(300, 'w') + " next");
    char word[CFile::TextLength];
    file.ReadTextWord(word);
    EXPECT_EQ(std::strlen(word), 255u);
    file.ReadTextWord(word);
    EXPECT_EQ(std::string(word), std::string(45, 'w'));
    file.ReadTextWord(word);
    EXPECT_STREQ(word, "next");
}

TEST_F(FileTest, WrittenTextReadsBack)
{
    std::string const path = m_directory.Path() + "/out.ini";
    {
        CFile file;
        file.Open(&m_messages, &m_memory, path.c_str(), FILE_WRITE_TEXT);
        file.WriteTextString("%s %d\n", "v_width", 800);
        file.WriteTextString("%s", std::string(2000, 'y').c_str());
        EXPECT_EQ(file.GetSize(), 12u + 1023u);
    }
    CFile file;
    file.Open(&m_messages, &m_memory, path.c_str(), FILE_READ_TEXT);
    EXPECT_EQ(file.GetSize(), 12u + 1023u);
    std::string word;
    file.ReadTextWord(&word);
    EXPECT_EQ(word, "v_width");
    CVector2 const v = file.ReadTextVector2();
    EXPECT_FLOAT_EQ(v.x, 800.0f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);

    // A file opened for reading cannot be written.
    EXPECT_EQ(ErrorText([&] { file.Write("a", 1); }), "Failed to write 1 bytes to \"" + path + "\" file");
}
