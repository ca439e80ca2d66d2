#include "PackImage.h"
#include "TestDirectory.h"

#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/PackFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using packimage::Bytes;
using packimage::SMember;

std::vector<SMember> SampleMembers()
{
    return {{"Data\\Models\\fish.mlf", Bytes("fish model")},
            {"Data\\Models\\Reef\\rock.mlf", Bytes("rock")},
            {"Data\\Models\\fish.srf", Bytes("shader")},
            {"Data\\Textures\\sand.tga", Bytes("sand")},
            {"Data\\empty.txt", {}}};
}

class PackFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_messages.Create("PackFileTest", false, nullptr);
        m_memory.Create(&m_messages);
    }

    bool Load(std::vector<std::uint8_t> const& image)
    {
        m_messages.ClearMessagesBuffer();
        std::string const path = m_directory.Write("test.pak", image);
        return m_pack.Load(&m_messages, &m_memory, path.c_str());
    }

    // The error line the pack reader wrote, "" when none.
    std::string LoggedError()
    {
        for (unsigned int i = 0; i < m_messages.GetMessagesCount(); ++i) {
            if (m_messages.GetMessageType(i) == MT_ERROR)
                return m_messages.GetMessageText(i);
        }
        return "";
    }

    std::vector<std::string> Find(std::string const& directory, std::string const& mask)
    {
        unsigned int count = 0;
        m_pack.FindFiles(directory, mask, &count, nullptr);
        std::vector<char> names(count * CPackFile::NameLength);
        m_pack.FindFiles(directory, mask, &count, names.data());
        std::vector<std::string> result;
        for (unsigned int i = 0; i < count; ++i)
            result.emplace_back(names.data() + i * CPackFile::NameLength);
        return result;
    }

    void ExpectRejected(std::vector<std::uint8_t> const& image, std::string const& error)
    {
        EXPECT_FALSE(Load(image));
        EXPECT_EQ(LoggedError(), "Error: " + error + "!\n");
        EXPECT_TRUE(m_pack.IsFree());
        EXPECT_EQ(m_pack.GetFilesCount(), 0u);
    }

    CMessageManager m_messages;
    CMemoryManager m_memory;
    CTestDirectory m_directory;
    CPackFile m_pack;
};
} // namespace

TEST_F(PackFileTest, MembersAreFoundIgnoringCase)
{
    ASSERT_TRUE(Load(packimage::Build(SampleMembers())));
    EXPECT_EQ(LoggedError(), "");
    EXPECT_EQ(m_pack.GetFilesCount(), 5u);
    EXPECT_TRUE(m_pack.IsFileExists("DATA\\MODELS\\FISH.MLF"));
    EXPECT_FALSE(m_pack.IsFileExists("Data\\Models\\shark.mlf"));

    unsigned int size = 0;
    ASSERT_TRUE(m_pack.GetFileSize("data\\models\\reef\\ROCK.mlf", &size));
    EXPECT_EQ(size, 4u);
    std::string data(size, '\0');
    ASSERT_TRUE(m_pack.GetFileData("Data\\Models\\Reef\\rock.mlf", data.data()));
    EXPECT_EQ(data, "rock");
    ASSERT_TRUE(m_pack.GetFileSize("data\\empty.txt", &size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(m_pack.GetFileData("data\\empty.txt", nullptr));
    EXPECT_FALSE(m_pack.GetFileData("data\\none.txt", data.data()));

    m_pack.Destroy();
    EXPECT_FALSE(m_pack.IsFileExists("data\\models\\fish.mlf"));
}

TEST_F(PackFileTest, RepeatedNamesKeepTheirFirstEntry)
{
    ASSERT_TRUE(Load(packimage::Build({{"a.txt", Bytes("first")}, {"A.TXT", Bytes("second")}})));
    EXPECT_EQ(m_pack.GetFilesCount(), 1u);
    char data[6] = {};
    ASSERT_TRUE(m_pack.GetFileData("a.txt", data));
    EXPECT_STREQ(data, "first");
}

TEST_F(PackFileTest, FindFilesMatchesTheMaskAnywhereBelowTheDirectory)
{
    ASSERT_TRUE(Load(packimage::Build(SampleMembers())));
    EXPECT_EQ(Find("Data\\Models", "*.mlf"),
              (std::vector<std::string>{"data\\models\\fish.mlf", "data\\models\\reef\\rock.mlf"}));
    EXPECT_EQ(Find("DATA\\models\\", "*"),
              (std::vector<std::string>{"data\\models\\fish.mlf", "data\\models\\fish.srf",
                                        "data\\models\\reef\\rock.mlf"}));
    EXPECT_EQ(Find("Data\\Sounds", "*"), std::vector<std::string>{});
    EXPECT_EQ(Find("", "*.tga"), std::vector<std::string>{"data\\textures\\sand.tga"});
}

TEST_F(PackFileTest, LargePacksAreReadFromTheStream)
{
    std::vector<std::uint8_t> big(CFile::MemoryLimit, 0x5A);
    big.back() = 0x11;
    ASSERT_TRUE(Load(packimage::Build({{"big.bin", big}, {"after.txt", Bytes("tail")}})));
    std::vector<std::uint8_t> data(big.size());
    ASSERT_TRUE(m_pack.GetFileData("big.bin", data.data()));
    EXPECT_EQ(data, big);
    char tail[4];
    ASSERT_TRUE(m_pack.GetFileData("after.txt", tail));
    EXPECT_EQ(std::string(tail, 4), "tail");
}

TEST_F(PackFileTest, HeaderChecksRejectThePack)
{
    std::vector<std::uint8_t> image = packimage::Build(SampleMembers());
    std::vector<std::uint8_t> wrongLength = image;
    packimage::PutUnsigned(wrongLength, 0, static_cast<std::uint32_t>(image.size() + 1));
    ExpectRejected(wrongLength, "Incorrect pack file format");

    std::vector<std::uint8_t> wrongMagic = image;
    wrongMagic[8] = 'Q';
    ExpectRejected(wrongMagic, "Incorrect pack file format");

    ExpectRejected(packimage::Build(SampleMembers(), 101), "Incorrect pack file version, current is 100");

    // The rejection is written after six dots on the same log line.
    bool dots = false;
    for (unsigned int i = 0; i < m_messages.GetMessagesCount(); ++i)
        dots = dots || std::string(m_messages.GetMessageText(i)) == "......";
    EXPECT_TRUE(dots);
}

TEST_F(PackFileTest, TruncatedPacksAreRejected)
{
    std::vector<std::uint8_t> const image = packimage::Build(SampleMembers());
    for (std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{13}, std::size_t{16},
                             std::size_t{30}, image.size() - 1}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
        if (cut.size() >= 4)
            packimage::PutUnsigned(cut, 0, static_cast<std::uint32_t>(cut.size()));
        EXPECT_FALSE(Load(cut));
        EXPECT_NE(LoggedError(), "");
        EXPECT_TRUE(m_pack.IsFree());
    }
}

TEST_F(PackFileTest, TablesThatPointPastTheEndAreRejected)
{
    std::vector<SMember> const members = SampleMembers();
    std::vector<std::uint8_t> const image = packimage::Build(members);

    std::vector<std::uint8_t> hugeCount = image;
    packimage::PutUnsigned(hugeCount, packimage::CountPosition(), 0xFFFFFFFFu);
    ExpectRejected(hugeCount, "Incorrect pack file table: 4294967295 files do not fit in " +
                                  std::to_string(image.size() - 17) + " bytes");

    std::vector<std::uint8_t> farOffset = image;
    packimage::PutUnsigned(farOffset, packimage::EntryPosition(members, 2),
                           static_cast<std::uint32_t>(image.size()));
    ExpectRejected(farOffset,
                   "Incorrect pack file table: data\\models\\fish.srf lies past the end of the pack");

    std::vector<std::uint8_t> wrappingSize = image;
    packimage::PutUnsigned(wrappingSize, packimage::EntryPosition(members, 0) + 4, 0xFFFFFFF0u);
    ExpectRejected(wrappingSize,
                   "Incorrect pack file table: data\\models\\fish.mlf lies past the end of the pack");
}

TEST_F(PackFileTest, MissingPackIsRejected)
{
    EXPECT_FALSE(m_pack.Load(&m_messages, &m_memory, (m_directory.Path() + "/none.pak").c_str()));
    EXPECT_TRUE(m_pack.IsFree());
}

TEST_F(PackFileTest, WritingInterfaceStoresNothing)
{
    m_pack.Create(&m_messages, &m_memory, "Data", 0);
    EXPECT_FALSE(m_pack.IsFree());
    EXPECT_TRUE(m_pack.AddFile("Data\\a.txt"));
    EXPECT_EQ(m_pack.GetFilesCount(), 0u);
    EXPECT_TRUE(m_pack.Save((m_directory.Path() + "/out.pak").c_str()));
    EXPECT_FALSE(platform::PathExists(m_directory.Path() + "/out.pak"));
}
