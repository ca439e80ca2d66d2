#include "platform/os/FileSystem.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

namespace
{
namespace fs = std::filesystem;

// A private folder with a file holding the old content; the saves write the new one.
class AtomicFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tidewell-atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        target = folder + "/Coralume.ini";
        ASSERT_TRUE(platform::WriteFileAtomically(target, oldContent.data(), oldContent.size(), nullptr));
    }

    void TearDown() override { platform::RemoveTree(folder); }

    static std::string Read(std::string const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // Files in the folder other than the target: temporary files left behind.
    int CountOthers() const
    {
        int count = 0;
        for (auto const& entry : fs::directory_iterator(folder))
            count += entry.path().filename() != "Coralume.ini";
        return count;
    }

    // Runs `save` in a child process under a file size limit of `limit` bytes; its exit status
    // says whether the save reported success.
    template <typename Save> bool SavesUnderLimit(rlim_t limit, Save save)
    {
        pid_t const child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit const cap{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &cap);
            ::_exit(save() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::string folder;
    std::string target;
    std::string const oldContent = std::string(490, 'o') + "\n";
    std::string const newContent = std::string(20000, 'n') + "\n";
};

TEST_F(AtomicFileTest, SaveReplacesTheWholeFileAndLeavesNoTemporaryFile)
{
    std::string error;
    ASSERT_TRUE(platform::WriteFileAtomically(target, newContent.data(), newContent.size(), &error)) << error;
    EXPECT_EQ(Read(target), newContent);
    EXPECT_EQ(CountOthers(), 0);
}

TEST_F(AtomicFileTest, WriteLimitFailsTheSaveAndKeepsTheOldFile)
{
    // `ulimit -f 0` once took the file to 0 bytes while the save reported success.
    for (rlim_t limit : {rlim_t(0), rlim_t(4096)}) {
        bool const saved = SavesUnderLimit(limit, [&] {
            return platform::WriteFileAtomically(target, newContent.data(), newContent.size(), nullptr);
        });
        EXPECT_FALSE(saved) << "limit " << limit;
        EXPECT_EQ(Read(target), oldContent) << "limit " << limit;
        EXPECT_EQ(CountOthers(), 0) << "limit " << limit;
    }
}

TEST_F(AtomicFileTest, KillDuringSavesLeavesTheOldOrTheNewFile)
{
    // The long campaign is scripts/save-faults; a few kills at random moments here.
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        pid_t const child = ::fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                std::string const& content = i % 2 ? oldContent : newContent;
                platform::WriteFileAtomically(target, content.data(), content.size(), nullptr);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        std::string const now = Read(target);
        EXPECT_TRUE(now == oldContent || now == newContent)
            << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST_F(AtomicFileTest, PlantedLinkIsReplacedNeverFollowed)
{
    // Another user's link at the target must not make the save write through it.
    std::string const victim = folder + "/victim";
    std::ofstream(victim) << "precious";
    fs::remove(target);
    fs::create_symlink(victim, target);
    ASSERT_TRUE(platform::WriteFileAtomically(target, newContent.data(), newContent.size(), nullptr));
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(Read(target), newContent);
}

TEST_F(AtomicFileTest, UnfinishedFileIsDroppedAndTheTargetKept)
{
    {
        platform::AtomicFile file;
        ASSERT_TRUE(file.Open(target, nullptr));
        std::fputs("half", file.GetStream());
    }
    EXPECT_EQ(Read(target), oldContent);
    EXPECT_EQ(CountOthers(), 0);
}

TEST_F(AtomicFileTest, MissingFolderIsReportedWithItsReason)
{
    std::string error;
    EXPECT_FALSE(platform::WriteFileAtomically(folder + "/missing/Coralume.ini", "x", 1, &error));
    EXPECT_NE(error.find("missing/Coralume.ini"), std::string::npos) << error;
}
} // namespace
