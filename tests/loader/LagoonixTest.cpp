#include "LoaderFixture.h"

#include "Lagoonix.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{
class CTestPlugin : public CLagoonix
{
public:
    void Create(CEngine*, CCamera*) override {}
    void Destroy() override {}
    void Refresh() override {}
    CFile& DescriptorFile() { return m_descriptorFile; }
};
} // namespace

class LagoonixTest : public LoaderFixture
{
protected:
    std::string DescriptorPath(char const* base) const
    {
        return m_installPath + "\\Plugins\\" + base + ".dat";
    }
    CTestPlugin m_plugin;
};

TEST_F(LagoonixTest, ReadsBytesAndTextsAndLeavesTheFileAtTheOwnData)
{
    std::vector<std::uint8_t> bytes = Descriptor(true, "StarFish Plugin v1.0", "second");
    bytes[0] = 0x2a;
    bytes.push_back(0x11);
    bytes.push_back(0x22);
    WriteDescriptor("star", bytes);
    CFile* file = m_plugin.ReadConfigFile(&m_engine, DescriptorPath("star").c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(m_plugin.GetFirstDescriptorByte(), 0x2a);
    EXPECT_TRUE(m_plugin.IsEnabled());
    EXPECT_STREQ(m_plugin.GetFirstText(), "StarFish Plugin v1.0");
    EXPECT_STREQ(m_plugin.GetSecondText(), "second");
    EXPECT_TRUE(file->IsOpened());
    std::uint8_t own[2] = {};
    file->Read(own, 2);
    EXPECT_EQ(own[0], 0x11);
    EXPECT_EQ(own[1], 0x22);
    file->Close();
}

TEST_F(LagoonixTest, TwoEmptyTextsTakeFourBytesAfterTheTwoFlags)
{
    WriteDescriptor("empty", Descriptor(false));
    CFile* file = m_plugin.ReadConfigFile(&m_engine, DescriptorPath("empty").c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(m_plugin.IsEnabled());
    EXPECT_STREQ(m_plugin.GetFirstText(), "");
    EXPECT_STREQ(m_plugin.GetSecondText(), "");
    EXPECT_EQ(file->GetPosition(), 2u + 4u);
    EXPECT_TRUE(file->IsEndOfFile());
    file->Close();
}

TEST_F(LagoonixTest, MissingFileIsAnErrorAndNull)
{
    EXPECT_EQ(m_plugin.ReadConfigFile(&m_engine, DescriptorPath("absent").c_str()), nullptr);
    std::vector<std::string> const errors = TakeMessages(MT_ERROR);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0], HasSubstr("absent.dat"));
}

TEST_F(LagoonixTest, MalformedDescriptorsAreErrorsNotCrashes)
{
    // Too short, a length byte past the end, a second text cut short.
    std::vector<std::vector<std::uint8_t>> const hostile = {
        {}, {0x01}, {0x01, 0x01}, {0x01, 0x01, 0xff, 'a', 'b'}, {0x01, 0x01, 0x02, 'a', 0x00, 0x09, 'x'},
    };
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        WriteDescriptor("bad", hostile[i]);
        EXPECT_EQ(m_plugin.ReadConfigFile(&m_engine, DescriptorPath("bad").c_str()), nullptr) << "case " << i;
        EXPECT_EQ(TakeMessages(MT_ERROR).size(), 1u) << "case " << i;
        EXPECT_FALSE(m_plugin.DescriptorFile().IsOpened()) << "case " << i;
    }
}

TEST_F(LagoonixTest, LongestTextFitsItsBuffer)
{
    std::string const longest(254, 'x');
    WriteDescriptor("long", Descriptor(true, longest.c_str(), longest.c_str()));
    ASSERT_NE(m_plugin.ReadConfigFile(&m_engine, DescriptorPath("long").c_str()), nullptr);
    EXPECT_EQ(std::string(m_plugin.GetFirstText()), longest);
    EXPECT_EQ(std::string(m_plugin.GetSecondText()), longest);
    m_plugin.DescriptorFile().Close();

    // A length byte of 255 whose last byte is no terminator is still cut inside the buffer.
    std::vector<std::uint8_t> bytes{0x00, 0x01, 0xff};
    bytes.insert(bytes.end(), 255, 'y');
    bytes.push_back(0x01);
    bytes.push_back(0x00);
    WriteDescriptor("long", bytes);
    ASSERT_NE(m_plugin.ReadConfigFile(&m_engine, DescriptorPath("long").c_str()), nullptr);
    EXPECT_EQ(std::string(m_plugin.GetFirstText()), std::string(255, 'y'));
    m_plugin.DescriptorFile().Close();
}

TEST_F(LagoonixTest, CopiesTakeTheDescriptorButNotTheOpenFile)
{
    WriteDescriptor("copy", Descriptor(true, "one", "two"));
    ASSERT_NE(m_plugin.ReadConfigFile(&m_engine, DescriptorPath("copy").c_str()), nullptr);
    CTestPlugin copy(m_plugin);
    EXPECT_TRUE(copy.IsEnabled());
    EXPECT_STREQ(copy.GetFirstText(), "one");
    EXPECT_STREQ(copy.GetSecondText(), "two");
    EXPECT_FALSE(copy.DescriptorFile().IsOpened());
    CTestPlugin assigned;
    assigned = m_plugin;
    EXPECT_STREQ(assigned.GetSecondText(), "two");
    EXPECT_FALSE(assigned.DescriptorFile().IsOpened());
    EXPECT_TRUE(m_plugin.DescriptorFile().IsOpened());
    m_plugin.DescriptorFile().Close();
}
