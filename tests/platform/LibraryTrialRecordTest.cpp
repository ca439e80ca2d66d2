#include "platform/os/LibraryTrialRecord.h"
#include "platform/os/DynamicLibrary.h"
#include "platform/os/LibraryProbe.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
class LibraryTrialRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tidewell-trials-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_recordPath = m_folder + "/cache/plugin-trials";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    void WriteLibrary(std::string const& path, std::string const& text)
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

    std::string m_folder;
    std::string m_recordPath;
};
} // namespace

TEST_F(LibraryTrialRecordTest, APassedLibraryCountsUntilItsFileIsWrittenAgain)
{
    std::string const library = m_folder + "/Fish.so";
    WriteLibrary(library, "first");
    platform::LibraryTrialRecord const record(m_recordPath);
    EXPECT_FALSE(record.HasPassed(library));
    record.RecordPassed(library);
    EXPECT_TRUE(record.HasPassed(library));
    EXPECT_FALSE(record.HasPassed(m_folder + "/Other.so"));

    std::filesystem::remove(library);
    WriteLibrary(library, "second, longer");
    EXPECT_FALSE(record.HasPassed(library));
}

TEST_F(LibraryTrialRecordTest, ARecordedLibraryLoadsWithoutItsTrialAndAnUnrecordedOneIsTried)
{
    std::string const library = std::string(CORALUME_STAGE_DIR) + "/libLagoonix.so";
    platform::SLibraryProbe probe;
    probe.program = "/bin/false"; // a trial that always fails
    probe.recordPath = m_recordPath;
    EXPECT_EQ(platform::LoadDynamicLibrary(library.c_str(), &probe), nullptr);

    platform::LibraryTrialRecord(m_recordPath).RecordPassed(library);
    platform::HMODULE const loaded = platform::LoadDynamicLibrary(library.c_str(), &probe);
    EXPECT_NE(loaded, nullptr);
    platform::FreeDynamicLibrary(loaded);
}
