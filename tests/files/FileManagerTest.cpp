#include "PackImage.h"
#include "TestDirectory.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "platform/os/Path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using packimage::Bytes;

class FileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages.Create("FileManagerTest", false, nullptr);
        m_memory.Create(&m_messages);
    }

    void CreateManager(char const* packDirectory = "Packs")
    {
        m_files.Create(&m_messages, &m_memory, m_directory.Path().c_str(), packDirectory);
    }

    std::string ReadAll(std::string const& name)
    {
        CFile file;
        m_files.OpenFile(&file, name, FILE_READ_BINARY);
        std::string text(file.GetSize(), '\0');
        file.Read(text.data(), file.GetSize());
        return text;
    }

    std::vector<std::string> Find(std::string const& directory, std::string const& mask)
    {
        unsigned int count = 0;
        m_files.FindFiles(directory, mask, &count, nullptr);
        std::vector<char> names(count * CFileManager::NameLength + 1);
        m_files.FindFiles(directory, mask, &count, names.data());
        std::vector<std::string> result;
        for (unsigned int i = 0; i < count; ++i)
            result.emplace_back(names.data() + i * CFileManager::NameLength);
        return result;
    }

    unsigned int BlocksInUse() const
    {
        unsigned int inUse = 0;
        for (unsigned int i = 0; i < CMemoryManager::EntriesCount; ++i)
            inUse += m_memory.IsEntryInUse(i) ? 1 : 0;
        return inUse;
    }

    bool Logged(std::string const& text)
    {
        for (unsigned int i = 0; i < m_messages.GetMessagesCount(); ++i) {
            if (std::string(m_messages.GetMessageText(i)).find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    CMessageManager m_messages;
    CMemoryManager m_memory;
    CTestDirectory m_directory;
    CFileManager m_files;
};
} // namespace

TEST_F(FileManagerTest, DiskFilesOverridePackMembers)
{
    m_directory.Write("Packs/main.pak", packimage::Build({{"Data\\Models\\x.mlf", Bytes("from pack")},
                                                          {"Data\\only.txt", Bytes("packed only")}}));
    m_directory.Write("Data/Models/x.mlf", std::string("from disk"));
    CreateManager();
    ASSERT_EQ(m_files.GetPackFilesCount(), 1u);
    unsigned int const blocksHeldByPacks = BlocksInUse();
    EXPECT_TRUE(Logged("Initialization of File Manager..."));
    EXPECT_TRUE(Logged("......It contains 2 files..."));

    EXPECT_EQ(ReadAll("Data\\Models\\x.mlf"), "from disk");
    EXPECT_EQ(ReadAll("Data\\only.txt"), "packed only");
    EXPECT_TRUE(m_files.IsFileExists("Data\\only.txt"));
    EXPECT_FALSE(m_files.IsFileExists("Data\\none.txt"));
    // Opening from a pack lends a block only while the file is copied.
    EXPECT_EQ(BlocksInUse(), blocksHeldByPacks);
}

TEST_F(FileManagerTest, PackNamesMatchIgnoringCaseAndDoubledBackslashes)
{
    m_directory.Write("Packs/main.pak", packimage::Build({{"data\\models\\x.mlf", Bytes("model")}}));
    CreateManager();
    EXPECT_EQ(ReadAll("DATA\\MODELS\\X.MLF"), "model");
    EXPECT_EQ(ReadAll("Data\\\\Models\\\\\\x.mlf"), "model");
    EXPECT_EQ(ReadAll("Data/Models/x.mlf"), "model");
}

TEST_F(FileManagerTest, MissingEverywhereThrowsTheOpenError)
{
    CreateManager();
    CFile file;
    std::string const expected = "Failed to open " + m_directory.Path() + "\\Data\\none.txt file";
    try {
        m_files.OpenFile(&file, "Data\\none.txt", FILE_READ_TEXT);
        ADD_FAILURE() << "no error";
    } catch (CFileError const& error) {
        EXPECT_EQ(std::string(error.GetText()), expected);
    }
}

TEST_F(FileManagerTest, PacksLoadInNameOrderAndBadOnesAreSkipped)
{
    m_directory.Write("b.pak", packimage::Build({{"shared.txt", Bytes("from b")}}));
    m_directory.Write("A.PAK", packimage::Build({{"shared.txt", Bytes("from a")}}));
    std::vector<std::uint8_t> bad = packimage::Build({{"bad.txt", Bytes("bad")}});
    bad[0] ^= 1;
    m_directory.Write("c.pak", bad);
    m_directory.Write("notes.txt", std::string("not a pack"));
    CreateManager(nullptr);
    EXPECT_EQ(m_files.GetPackFilesCount(), 2u);
    EXPECT_TRUE(Logged("Incorrect pack file format"));
    EXPECT_EQ(ReadAll("shared.txt"), "from a");
    EXPECT_FALSE(m_files.IsFileExists("bad.txt"));
    m_files.Destroy();
    EXPECT_EQ(m_files.GetPackFilesCount(), 0u);
}

TEST_F(FileManagerTest, MissingPackDirectoryLeavesOnlyTheDisk)
{
    m_files.Create(&m_messages, &m_memory, (m_directory.Path() + "/").c_str(), "NoSuchFolder");
    EXPECT_EQ(std::string(m_files.GetEngineDirectory()), m_directory.Path());
    EXPECT_EQ(m_files.GetPackFilesCount(), 0u);
}

TEST_F(FileManagerTest, DefaultEngineDirectoryIsTheExecutables)
{
    m_files.Create(&m_messages, &m_memory, nullptr, "NoSuchFolder");
    EXPECT_EQ(std::string(m_files.GetEngineDirectory()), platform::GetExecutableDirectory());
}

TEST_F(FileManagerTest, FindFilesWritesNoMoreNamesThanTheCountPassedIn)
{
    m_directory.Write("Packs/main.pak", packimage::Build({{"Data\\Fish\\p.fsh", Bytes("p")}}));
    m_directory.Write("Data/Fish/a.fsh", std::string("a"));
    CreateManager();
    unsigned int count = 0;
    m_files.FindFiles("Data\\Fish", "*.fsh", &count, nullptr);
    ASSERT_EQ(count, 2u);

    // Files that appear between the two calls do not overrun the caller's buffer.
    m_directory.Write("Data/Fish/b.fsh", std::string("b"));
    m_directory.Write("Data/Fish/c.fsh", std::string("c"));
    std::vector<char> names(std::size_t(count + 1) * CFileManager::NameLength, '#');
    m_files.FindFiles("Data\\Fish", "*.fsh", &count, names.data());
    EXPECT_EQ(count, 2u);
    EXPECT_STREQ(names.data(), "Data\\Fish\\a.fsh");
    EXPECT_STREQ(names.data() + CFileManager::NameLength, "Data\\Fish\\b.fsh");
    EXPECT_EQ(names[2 * CFileManager::NameLength], '#');

    unsigned int one = 1;
    CFileManager::FindFilesOnDisk(m_directory.Path() + "\\Data\\Fish", "*.fsh", &one, names.data());
    EXPECT_EQ(one, 1u);
    EXPECT_EQ(names[2 * CFileManager::NameLength], '#');
}

TEST_F(FileManagerTest, FindFilesListsDiskThenPackMembersOnce)
{
    m_directory.Write("Packs/main.pak", packimage::Build({{"Data\\Fish\\a.fsh", Bytes("a")},
                                                          {"Data\\Fish\\deep\\c.fsh", Bytes("c")},
                                                          {"Data\\Fish\\z.fsh", Bytes("z")},
                                                          {"Data\\Fish\\z.txt", Bytes("z")}}));
    m_directory.Write("Data/Fish/a.fsh", std::string("disk a"));
    m_directory.Write("Data/Fish/b.FSH", std::string("disk b"));
    m_directory.Write("Data/Fish/notes.txt", std::string("notes"));
    m_directory.Write("Data/Fish/Sub/d.fsh", std::string("disk d"));
    CreateManager();

    EXPECT_EQ(Find("Data\\Fish", "*.fsh"),
              (std::vector<std::string>{"Data\\Fish\\a.fsh", "Data\\Fish\\b.FSH", "data\\fish\\deep\\c.fsh",
                                        "data\\fish\\z.fsh"}));
    // Sub-directories are searched when their names match the mask.
    EXPECT_EQ(Find("data\\fish\\", "*"),
              (std::vector<std::string>{"data\\fish\\a.fsh", "data\\fish\\b.FSH", "data\\fish\\notes.txt",
                                        "data\\fish\\Sub\\d.fsh", "data\\fish\\deep\\c.fsh",
                                        "data\\fish\\z.fsh", "data\\fish\\z.txt"}));
    unsigned int upperBound = 0;
    m_files.FindFiles("Data\\Fish", "*.fsh", &upperBound, nullptr);
    EXPECT_EQ(upperBound, 2u + 3u);
}

TEST_F(FileManagerTest, WritingCreatesTheMissingFolders)
{
    CreateManager();
    {
        CFile file;
        m_files.OpenFile(&file, "ScreenCaptures\\New\\picture000.tga", FILE_WRITE_BINARY);
        file.Write("tga", 3);
    }
    EXPECT_EQ(m_directory.Read("ScreenCaptures/New/picture000.tga"), Bytes("tga"));
    EXPECT_TRUE(m_files.IsFileExists("screencaptures\\new\\PICTURE000.TGA"));
}

TEST(FileManagerUtilities, Extensions)
{
    char extension[CFileManager::NameLength];
    CFileManager::GetFileExtension("Data\\wave.tga", extension);
    EXPECT_STREQ(extension, "tga");
    CFileManager::GetFileExtension("Data.d\\wave", extension);
    EXPECT_STREQ(extension, "d\\wave");
    CFileManager::GetFileExtension("wave", extension);
    EXPECT_STREQ(extension, "");
    EXPECT_TRUE(CFileManager::CompareFileExtension("star.MLF", "mlf"));
    EXPECT_FALSE(CFileManager::CompareFileExtension("star.mlf", "srf"));

    char path[CFileManager::NameLength] = "Plugins\\fish.so";
    CFileManager::ReplaceFileExtension(path, "dat");
    EXPECT_STREQ(path, "Plugins\\fish.dat");
    char bare[CFileManager::NameLength] = "coralume";
    CFileManager::ReplaceFileExtension(bare, "ini");
    EXPECT_STREQ(bare, "coralume.ini");

    // The path buffer is never overrun.
    char full[CFileManager::NameLength];
    std::string const long_name(CFileManager::NameLength - 1, 'n');
    std::snprintf(full, sizeof(full), "%s", long_name.c_str());
    CFileManager::ReplaceFileExtension(full, "ini");
    EXPECT_EQ(std::string(full), long_name);
}

TEST(FileManagerUtilities, DiskPathsAndRemoval)
{
    CTestDirectory directory;
    std::string const root = directory.Path();
    CFileManager::CreateFilePath((root + "\\One\\Two\\file.txt").c_str());
    EXPECT_TRUE(platform::IsDirectory(root + "/One/Two"));
    EXPECT_FALSE(platform::PathExists(root + "/One/Two/file.txt"));
    // Existing folders are matched ignoring case rather than created again.
    CFileManager::CreateFilePath((root + "\\ONE\\two\\Three\\").c_str());
    EXPECT_TRUE(platform::IsDirectory(root + "/One/Two/Three"));
    EXPECT_FALSE(platform::PathExists(root + "/ONE"));

    directory.Write("One/Two/file.txt", std::string("x"));
    EXPECT_TRUE(CFileManager::IsFileExistsOnDisk((root + "\\one\\TWO\\FILE.txt").c_str()));
    CFileManager::Remove((root + "\\One").c_str());
    EXPECT_FALSE(platform::PathExists(root + "/One"));
    EXPECT_FALSE(CFileManager::IsFileExistsOnDisk((root + "\\one\\two\\file.txt").c_str()));

    std::string full;
    CFileManager::GetFullPath("C:\\x", &full);
    EXPECT_EQ(full, "C:\\x");
    CFileManager::GetFullPath("Data", &full);
    EXPECT_EQ(full, platform::GetExecutableDirectory() + "\\Data");
}

TEST(FileManagerUtilities, FindFilesOnDiskIsRelativeToTheExecutable)
{
    CTestDirectory directory;
    directory.Write("a.txt", std::string("a"));
    directory.Write("b.dat", std::string("b"));
    unsigned int count = 0;
    CFileManager::FindFilesOnDisk(directory.Path(), "*.TXT", &count, nullptr);
    EXPECT_EQ(count, 1u);

    // The test program's own directory holds the test program.
    char names[64 * CFileManager::NameLength];
    CFileManager::FindFilesOnDisk("", "test_files", &count, names);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names, "test_files");
}

TEST(FileManagerUtilities, DialogsAreUnavailableWithoutADialogProgram)
{
    CTestDirectory directory;
    char const* previous = std::getenv("PATH");
    std::string const saved = previous ? previous : "";
    ::setenv("PATH", directory.Path().c_str(), 1);
    char file[256] = "unchanged";
    EXPECT_FALSE(CFileManager::GetOpenFileDialogBox("Open", nullptr, file, nullptr));
    EXPECT_FALSE(CFileManager::GetSaveFileDialogBox("Save", "Images\0*.tga;*.jpg\0", file, "/tmp"));
    EXPECT_STREQ(file, "unchanged");
    ::setenv("PATH", saved.c_str(), 1);
}

TEST_F(FileManagerTest, RemoveRefusesPathsThatLeaveTheirDirectory)
{
    for (char const* path : {"", ".", ".\\", "..", "..\\Other", "Data\\..", "Data\\..\\..\\x", "\\", "C:\\"})
        EXPECT_FALSE(CFileManager::IsRemovablePath(path)) << '"' << path << '"';
    EXPECT_FALSE(CFileManager::IsRemovablePath(nullptr));
    EXPECT_TRUE(CFileManager::IsRemovablePath("Data\\Old"));
    EXPECT_TRUE(CFileManager::IsRemovablePath("/tmp/x"));

    // Refused for real on a private folder: it stays, and the log says why.
    std::string const root = m_directory.Path();
    m_directory.Write("Keep/file.txt", std::string("x"));
    EXPECT_FALSE(CFileManager::Remove((root + "\\Keep\\..").c_str(), &m_messages));
    EXPECT_TRUE(platform::PathExists(root + "/Keep/file.txt"));
    EXPECT_TRUE(Logged("Refused to remove"));
    EXPECT_TRUE(CFileManager::Remove((root + "\\Keep").c_str(), &m_messages));
    EXPECT_FALSE(platform::PathExists(root + "/Keep"));
}
