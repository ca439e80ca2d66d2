#include "CaptureFixture.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace
{
std::uint32_t U32(std::vector<unsigned char> const& bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

std::vector<unsigned char> ReadAll(std::filesystem::path const& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScreenCaptureTest : public CaptureFixture
{
protected:
    void Touch(char const* name)
    {
        std::filesystem::create_directories(Captures());
        std::ofstream(Captures() / name) << "x";
    }

    // The ffprobe report of the first video stream as "key=value" lines.
    std::string Probe(std::filesystem::path const& file)
    {
        return RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                          "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of "
                          "default=noprint_wrappers=1 '" +
                          file.string() + "' 2>&1");
    }

    void Record(unsigned int frames, int codec)
    {
        Config()->ExecuteCommand(("sc_movie_codec " + std::to_string(codec)).c_str());
        Request("sc_start_movie_record");
        for (unsigned int i = 0; i < frames; ++i)
            Capture()->Refresh();
        Request("sc_stop_movie_record");
        Capture()->Refresh();
    }
};

// --- screenshots -----------------------------------------------------------------------------

TEST_F(ScreenCaptureTest, ScreenshotTakesTheFirstFreeNumberOfItsOwnExtension)
{
    for (char const* name :
         {"picture000.tga", "picture001.tga", "picture002.tga", "picture003.tga", "picture004.tga"})
        Touch(name);
    Request("sc_take_screenshot_tga");
    Capture()->Refresh();
    EXPECT_TRUE(Config()->IsCommandExecuted("sc_take_screenshot_tga"));
    EXPECT_STREQ(Capture()->GetScreenshotFileName(), "ScreenCaptures\\picture005.tga");
    EXPECT_GT(std::filesystem::file_size(Captures() / "picture005.tga"), 640u * 480u * 3u);

    Request("sc_take_screenshot_jpg");
    Capture()->Refresh();
    EXPECT_STREQ(Capture()->GetScreenshotFileName(), "ScreenCaptures\\picture000.jpg");
    std::vector<unsigned char> const jpeg = ReadAll(Captures() / "picture000.jpg");
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
}

TEST_F(ScreenCaptureTest, BothFormatCommandsInOneFrameGiveOneJpeg)
{
    Request("sc_take_screenshot_tga");
    Request("sc_take_screenshot_jpg");
    Capture()->Refresh();
    EXPECT_EQ(CapturedFiles(), std::vector<std::string>{"picture000.jpg"});
    Capture()->Refresh();
    EXPECT_EQ(CapturedFiles().size(), 1u);
}

TEST_F(ScreenCaptureTest, FormatVariableIsClampedAndChoosesThePlainCommandsFormat)
{
    Config()->ExecuteCommand("sc_take_screenshot_format 5");
    Capture()->Refresh();
    EXPECT_EQ(Config()->GetValueAsInt("sc_take_screenshot_format"), 1);
    Request("sc_take_screenshot");
    Capture()->Refresh();
    EXPECT_STREQ(Capture()->GetScreenshotFileName(), "ScreenCaptures\\picture000.jpg");

    Config()->ExecuteCommand("sc_take_screenshot_format -1");
    Request("sc_take_screenshot");
    Capture()->Refresh();
    EXPECT_EQ(Config()->GetValueAsInt("sc_take_screenshot_format"), 0);
    EXPECT_EQ(CapturedFiles(), (std::vector<std::string>{"picture000.jpg", "picture000.tga"}));
}

TEST_F(ScreenCaptureTest, PrintScreenRequestsAScreenshotThroughTheEngineFrame)
{
    Request("sc_take_screenshot");
    engine.FinishFrame();
    EXPECT_EQ(CapturedFiles(), std::vector<std::string>{"picture000.tga"});
}

TEST_F(ScreenCaptureTest, DeviceKeepsOnlyTheFramesACaptureReads)
{
    auto const& calls = fake.GetCalls();
    EXPECT_EQ(fake.CountCalls("SetFrameKeeping(0)"), 1u);
    auto keptBeforePresent = [&] {
        fake.ClearCalls();
        engine.FinishFrame();
        auto const keep = std::find(calls.begin(), calls.end(), "KeepNextFrame()");
        auto const present = std::find_if(calls.begin(), calls.end(), [](std::string const& call) {
            return call.rfind("Present(", 0) == 0;
        });
        return keep != calls.end() && keep < present;
    };
    EXPECT_FALSE(keptBeforePresent());
    Request("sc_take_screenshot_jpg");
    EXPECT_TRUE(keptBeforePresent());
    EXPECT_FALSE(keptBeforePresent());

    // A recording keeps every frame from the one that starts it until it stops.
    Request("sc_start_movie_record");
    EXPECT_TRUE(keptBeforePresent());
    EXPECT_TRUE(keptBeforePresent());
    Request("sc_stop_movie_record");
    engine.FinishFrame();
    EXPECT_FALSE(keptBeforePresent());
}

TEST_F(ScreenCaptureTest, FailedReadBackIsAnErrorAndWritesNothing)
{
    fake.GetDevice()->failures["GetFrontBuffer"] = D3DERR_INVALIDCALL;
    Request("sc_take_screenshot");
    Capture()->Refresh();
    EXPECT_TRUE(CapturedFiles().empty());

    Request("sc_start_movie_record");
    Capture()->Refresh();
    EXPECT_FALSE(Capture()->IsRecording());
}

// --- recordings ------------------------------------------------------------------------------

TEST_F(ScreenCaptureTest, StopWithoutARecordingDoesNothing)
{
    Request("sc_stop_movie_record");
    Capture()->Refresh();
    EXPECT_TRUE(Config()->IsCommandExecuted("sc_stop_movie_record"));
    EXPECT_FALSE(Capture()->IsRecording());
    EXPECT_TRUE(CapturedFiles().empty());
}

TEST_F(ScreenCaptureTest, CaptureFolderTakesScreenshotsAndRecordingsWhole)
{
    // The program's pictures folder: created when missing; each file appears complete under its
    // own name, with no temporary file beside it.
    std::filesystem::path const pictures = directory / "Pictures" / "Coralume";
    Capture()->SetCaptureDirectory(pictures.string());
    Request("sc_take_screenshot_tga");
    Capture()->Refresh();
    EXPECT_EQ(Capture()->GetScreenshotFileName(), (pictures / "picture000.tga").string());
    Config()->ExecuteCommand("sc_movie_codec 1");
    Request("sc_start_movie_record");
    Capture()->Refresh();
    Capture()->Refresh();
    EXPECT_FALSE(std::filesystem::exists(pictures / "movie000.avi"));
    Request("sc_stop_movie_record");
    Capture()->Refresh();
    std::vector<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator(pictures))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"movie000.avi", "picture000.tga"}));
    EXPECT_GT(std::filesystem::file_size(pictures / "picture000.tga"), 640u * 480u * 3u);
    EXPECT_FALSE(std::filesystem::exists(Captures()));
}

TEST_F(ScreenCaptureTest, ScreenshotFrameAddsNoVideoFrame)
{
    Touch("movie000.avi");
    Config()->ExecuteCommand("sc_movie_codec 0");
    Request("sc_start_movie_record");
    Capture()->Refresh();
    EXPECT_TRUE(Capture()->IsRecording());
    EXPECT_STREQ(Capture()->GetMovieFileName(), "ScreenCaptures\\movie001.avi");
    Capture()->Refresh();
    Request("sc_take_screenshot");
    Capture()->Refresh();
    Capture()->Refresh();
    EXPECT_EQ(Capture()->GetFrameNumber(), 3u);

    Request("sc_start_movie_record");
    Capture()->Refresh();
    EXPECT_EQ(Capture()->GetFrameNumber(), 4u);
    Request("sc_stop_movie_record");
    Capture()->Refresh();
    EXPECT_FALSE(Capture()->IsRecording());

    std::vector<unsigned char> const avi = ReadAll(Captures() / "movie001.avi");
    ASSERT_GT(avi.size(), 224u);
    EXPECT_EQ(std::memcmp(avi.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32(avi, 4), avi.size() - 8);
    EXPECT_EQ(U32(avi, 48), 4u); // frames in the main header
    EXPECT_EQ(U32(avi, 132), 33u);
    EXPECT_EQ(U32(avi, 140), 4u); // stream length
    std::size_t const index = avi.size() - (8 + 4 * 16);
    EXPECT_EQ(std::memcmp(&avi[index], "idx1", 4), 0);
    EXPECT_EQ(U32(avi, index + 4), 64u);
    EXPECT_EQ(CapturedFiles(), (std::vector<std::string>{"movie000.avi", "movie001.avi", "picture000.tga"}));
}

TEST_F(ScreenCaptureTest, RecordingRepeatsAndDropsFramesToPlayAsLongAsItWasRecorded)
{
    double now = 0.0;
    Capture()->SetClock([&now] { return now; });
    Config()->ExecuteCommand("sc_movie_codec 1");
    Request("sc_start_movie_record");
    // Ten seconds at five frames a second fill 10 x 33 slots after the first frame.
    for (int i = 0; i <= 50; ++i, now = 0.2 * i)
        Capture()->Refresh();
    EXPECT_EQ(Capture()->GetFrameNumber(), 331u);
    // One more second at a hundred frames a second adds 33.
    for (int i = 1; i <= 100; ++i) {
        now = 10.0 + 0.01 * i;
        Capture()->Refresh();
    }
    EXPECT_EQ(Capture()->GetFrameNumber(), 364u);
}

TEST_F(ScreenCaptureTest, PlayersAcceptBothCodecsWithTheFrameCountSizeAndRate)
{
    if (!HasFfmpeg())
        GTEST_SKIP() << "ffprobe is not installed (scripts/setup installs it)";
    Record(5, 0);
    Record(7, 1);
    std::string const raw = Probe(Captures() / "movie000.avi");
    EXPECT_NE(raw.find("codec_name=rawvideo"), std::string::npos) << raw;
    EXPECT_NE(raw.find("width=640\nheight=480"), std::string::npos) << raw;
    EXPECT_NE(raw.find("r_frame_rate=33/1"), std::string::npos) << raw;
    EXPECT_NE(raw.find("nb_read_frames=5"), std::string::npos) << raw;

    std::string const jpeg = Probe(Captures() / "movie001.avi");
    EXPECT_NE(jpeg.find("codec_name=mjpeg"), std::string::npos) << jpeg;
    EXPECT_NE(jpeg.find("width=640\nheight=480"), std::string::npos) << jpeg;
    EXPECT_NE(jpeg.find("r_frame_rate=33/1"), std::string::npos) << jpeg;
    EXPECT_NE(jpeg.find("nb_read_frames=7"), std::string::npos) << jpeg;
}

TEST_F(ScreenCaptureTest, CodecChoiceIsClamped)
{
    Config()->ExecuteCommand("sc_movie_codec 9");
    Capture()->Refresh();
    EXPECT_EQ(Config()->GetValueAsInt("sc_movie_codec"), 1);
    Config()->ExecuteCommand("sc_movie_codec -4");
    Capture()->Refresh();
    EXPECT_EQ(Config()->GetValueAsInt("sc_movie_codec"), 0);
}
} // namespace
