#include "core/MessageManager.h"
#include "core/Errors.h"
#include "platform/os/Path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{
std::string ReadWholeFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ExecutableDirectory()
{
    return platform::GetExecutableDirectory();
}

class MessageManagerTest : public ::testing::Test
{
protected:
    CMessageManager messages;
};

TEST_F(MessageManagerTest, CountsMessagesWithoutALogFile)
{
    messages.Create("NoLogApp", false, nullptr);
    messages.Write("one");
    messages.WriteWarning("two");
    EXPECT_EQ(messages.GetMessagesCount(), 2u);
    EXPECT_FALSE(std::filesystem::exists(ExecutableDirectory() + "/NoLogApp.html"));
    messages.ClearMessagesBuffer();
    EXPECT_EQ(messages.GetMessagesCount(), 0u);
}

TEST_F(MessageManagerTest, WritersDecorateTextByNewLineMode)
{
    messages.Create("Decorations", false, nullptr);
    messages.Write("a");
    messages.WriteWarning("x");
    messages.WriteError("e%d", 5);
    messages.SetNewLineMode(false);
    messages.Write("a");
    messages.WriteWarning("x");
    messages.WriteError("e");
    ASSERT_EQ(messages.GetMessagesCount(), 6u);
    EXPECT_STREQ(messages.GetMessageText(0), "a\n");
    EXPECT_STREQ(messages.GetMessageText(1), "\nWarning: x!\n\n");
    EXPECT_STREQ(messages.GetMessageText(2), "\nError: e5!\n\n");
    EXPECT_STREQ(messages.GetMessageText(3), "a");
    EXPECT_STREQ(messages.GetMessageText(4), "Warning: x!\n");
    EXPECT_STREQ(messages.GetMessageText(5), "Error: e!\n");
    EXPECT_EQ(messages.GetMessageType(0), MT_MESSAGE);
    EXPECT_EQ(messages.GetMessageType(1), MT_WARNING);
    EXPECT_EQ(messages.GetMessageType(2), MT_ERROR);
}

TEST_F(MessageManagerTest, LongTextIsStoredCutAndLoggedWhole)
{
    auto const directory = std::filesystem::temp_directory_path() / "tidewell_log_long";
    std::filesystem::create_directories(directory);
    messages.Create("LongText", true, directory.c_str());
    std::string const longText(600, 'q');
    messages.SetNewLineMode(false);
    messages.Write("%s", longText.c_str());
    EXPECT_EQ(std::string(messages.GetMessageText(0)), longText.substr(0, 255));
    messages.Destroy();
    EXPECT_NE(ReadWholeFile((directory / "LongText.html").string()).find(longText), std::string::npos);
}

TEST_F(MessageManagerTest, FatalErrorLogsWrappedTextAndThrowsBareText)
{
    messages.Create("Fatal", false, nullptr);
    try {
        messages.WriteFatalError("Failed %d", 3);
        FAIL() << "no exception";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Failed 3");
    }
    ASSERT_EQ(messages.GetMessagesCount(), 1u);
    EXPECT_STREQ(messages.GetMessageText(0), "PROGRAM ABORTING: Failed 3\n");
    EXPECT_EQ(messages.GetMessageType(0), MT_FATAL_ERROR);
}

TEST_F(MessageManagerTest, OverflowStoresUpTo4095AndReportsOnce)
{
    auto const directory = std::filesystem::temp_directory_path() / "tidewell_log_overflow";
    std::filesystem::create_directories(directory);
    messages.Create("Overflow", true, directory.c_str());
    for (int i = 0; i < 4094; ++i)
        messages.Write("m%d", i);
    EXPECT_EQ(messages.GetMessagesCount(), 4094u);
    messages.Write("last stored");
    EXPECT_EQ(messages.GetMessagesCount(), 4095u);
    EXPECT_STREQ(messages.GetMessageText(4094), "last stored\n");
    messages.Write("logged only");
    messages.Write("logged too");
    EXPECT_EQ(messages.GetMessagesCount(), 4095u);
    messages.Destroy();

    std::string const log = ReadWholeFile((directory / "Overflow.html").string());
    std::string const overflow = "Message Manager: messages buffer is overflowed";
    auto const first = log.find(overflow);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(overflow, first + 1), std::string::npos);
    EXPECT_NE(log.find("logged only"), std::string::npos);
    EXPECT_NE(log.find("logged too"), std::string::npos);
}

TEST_F(MessageManagerTest, OverflowIsReportedAgainAfterClearing)
{
    messages.Create("OverflowTwice", false, nullptr);
    for (int i = 0; i < 4095; ++i)
        messages.Write("m");
    messages.ClearMessagesBuffer();
    for (int i = 0; i < 4095; ++i)
        messages.Write("m");
    EXPECT_EQ(messages.GetMessagesCount(), 4095u);
    EXPECT_STREQ(messages.GetMessageText(4094), "m\n");
}

TEST(MessageManagerLog, IsOneLineOfHtmlWithHeaderColoursAndFooter)
{
    auto const directory = std::filesystem::temp_directory_path() / "tidewell_log_demo";
    std::filesystem::create_directories(directory);
    {
        CMessageManager messages;
        messages.Create("Demo", true, directory.c_str());
        messages.Write("plain\nline");
        messages.WriteWarning("careful");
        messages.WriteError("broken");
        messages.Write("100%% sure");
    }
    std::string const log = ReadWholeFile((directory / "Demo.html").string());
    EXPECT_EQ(log.find('\n'), std::string::npos);
    EXPECT_EQ(
        log.rfind(
            "<HTML><HEAD><TITLE>Demo Log</TITLE></HEAD><BODY bgcolor=\"#000000\"><FONT color=\"#FFFFFF\">"
            "<FONT color=\"#FFFFFF\">========</FONT><FONT color=\"#00FF00\">Demo Log: ",
            0),
        0u);
    EXPECT_NE(log.find("</FONT><FONT color=\"#FFFFFF\"> ========<BR><BR></FONT>plain<BR>line<BR>"),
              std::string::npos);
    EXPECT_NE(log.find("<FONT color=\"#808080\"><BR>Warning: careful!<BR><BR></FONT>"), std::string::npos);
    EXPECT_NE(log.find("<FONT color=\"#FF0000\"><BR>Error: broken!<BR><BR></FONT>"), std::string::npos);
    EXPECT_NE(log.find("100% sure<BR>"), std::string::npos);
    EXPECT_NE(log.find("<FONT color=\"#FFFFFF\"><BR>========</FONT><FONT color=\"#00FF00\">Log end: "),
              std::string::npos);
    std::string const tail = " ========<BR></FONT></FONT></BODY></HTML>";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST(MessageManagerLog, MessagesAreHtmlEscapedWithSlashesInPaths)
{
    auto const directory =
        std::filesystem::temp_directory_path() / ("tidewell_log_escape_" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    {
        CMessageManager messages;
        messages.Create("Escape", true, directory.c_str());
        messages.Write("<b>\"fish\" & chips</b> in Data\\Models\\fish.mlf");
    }
    std::string const log = ReadWholeFile((directory / "Escape.html").string());
    std::filesystem::remove_all(directory);
    EXPECT_NE(log.find("&lt;b&gt;&quot;fish&quot; &amp; chips&lt;/b&gt; in Data/Models/fish.mlf<BR>"),
              std::string::npos)
        << log;
}

TEST(MessageManagerLog, EarlierRunsAreKeptAndAPlantedLinkIsNeverWrittenThrough)
{
    auto const directory =
        std::filesystem::temp_directory_path() / ("tidewell_log_runs_" + std::to_string(::getpid()));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    std::ofstream(directory / "victim") << "precious";
    std::filesystem::create_symlink(directory / "victim", directory / "Run.html");
    for (int run = 0; run < CMessageManager::LogRunsKept + 2; ++run) {
        CMessageManager messages;
        messages.Create("Run", true, directory.c_str());
        messages.Write("run %d", run);
    }
    EXPECT_EQ(ReadWholeFile((directory / "victim").string()), "precious");
    int const last = CMessageManager::LogRunsKept + 1;
    EXPECT_NE(ReadWholeFile((directory / "Run.html").string()).find("run " + std::to_string(last)),
              std::string::npos);
    EXPECT_NE(ReadWholeFile((directory / "Run.1.html").string()).find("run " + std::to_string(last - 1)),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(
        directory / ("Run." + std::to_string(CMessageManager::LogRunsKept - 1) + ".html")));
    EXPECT_FALSE(std::filesystem::exists(directory /
                                         ("Run." + std::to_string(CMessageManager::LogRunsKept) + ".html")));
    std::filesystem::remove_all(directory);
}

TEST(MessageManagerLog, RelativeDirectoryIsUnderTheExecutable)
{
    std::filesystem::create_directories(ExecutableDirectory() + "/Logs");
    std::string const expected = ExecutableDirectory() + "/Logs/Name.html";
    std::filesystem::remove(expected);
    CMessageManager messages;
    messages.Create("Name", true, "Logs");
    messages.Destroy();
    EXPECT_TRUE(std::filesystem::exists(expected));
}

TEST(MessageManagerLog, CreatingTwiceClosesTheFirstLogWithItsFooter)
{
    auto const directory = std::filesystem::temp_directory_path() / "tidewell_log_twice";
    std::filesystem::create_directories(directory);
    CMessageManager messages;
    messages.Create("First", true, directory.c_str());
    messages.Create("Second", true, directory.c_str());
    std::string const first = ReadWholeFile((directory / "First.html").string());
    EXPECT_NE(first.find("Log end: "), std::string::npos);
    EXPECT_NE(first.find("</HTML>"), std::string::npos);
}

TEST(MessageManagerLog, UnopenableLogStillKeepsTheMessageList)
{
    CMessageManager messages;
    messages.Create("Nowhere", true, "/nonexistent-directory/deeper");
    messages.Write("kept");
    EXPECT_EQ(messages.GetMessagesCount(), 1u);
    EXPECT_STREQ(messages.GetLogFilePath(), "");
}

TEST(MessageManagerLog, DestroyOfANeverCreatedManagerDoesNothing)
{
    CMessageManager messages;
    messages.Destroy();
    EXPECT_TRUE(messages.IsFree());
    messages.Write("ignored");
    EXPECT_EQ(messages.GetMessagesCount(), 0u);
}

TEST(Errors, DefaultTextsAndFormatting)
{
    EXPECT_STREQ(CError().GetText(), "Unknown file error");
    EXPECT_STREQ(CFatalError().GetText(), "Unknown file FatalError");
    EXPECT_STREQ(CFileError().GetText(), "Unknown file FileError");
    EXPECT_STREQ(CFileError("Can't open %s", "a.txt").GetText(), "Can't open a.txt");
    std::string const longText(400, 'z');
    EXPECT_EQ(std::string(CError("%s", longText.c_str()).GetText()), longText.substr(0, 255));
}
} // namespace
