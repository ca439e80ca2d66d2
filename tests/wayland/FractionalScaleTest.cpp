// The program on a compositor that shows its output at a fractional scale (headless KWin at
// 1.5): the wallpaper and the saver draw at the output's real pixel size, shown through a
// viewport at its logical size, rather than at twice the size shrunk or at the logical size
// stretched.
#include "HeadlessKWin.h"
#include "WaylandFixture.h"

#include <sstream>
#include <thread>

using namespace wayland;

namespace
{
constexpr int PixelWidth = 1920;
constexpr int PixelHeight = 1080;
constexpr double Scale = 1.5;
constexpr double ReportSeconds = 60.0;
constexpr double DrawSeconds = 30.0;

// The program's report of its surface on KWin's output once it draws at the scale above.
std::string const ExpectedReport = std::string("coralume: Wayland output ") + HeadlessKWin::OutputName +
                                   " is 1280x720 at scale 1.5: drawn at 1920x1080, shown through a viewport";

class FractionalScaleTest : public CompositorTest, public ::testing::WithParamInterface<char const*>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareFolder());
        m_kwin = std::make_unique<HeadlessKWin>(*m_user, m_folder);
        UseCompositor(*m_kwin);
        std::string problem;
        if (!m_kwin->Start(PixelWidth, PixelHeight, Scale, problem)) {
            if (access(HeadlessCompositor::FindProgram("kwin_wayland").c_str(), X_OK) != 0)
                GTEST_SKIP() << problem << ": the fractional scale is not tried";
            FAIL() << problem;
        }
    }

    void TearDown() override
    {
        m_kwin.reset();
        CompositorTest::TearDown();
    }

    // The program's last report of its surface on the output, once it is `expected` or
    // `seconds` pass.
    std::string WaitForReport(std::string const& expected, double seconds) const
    {
        std::string const prefix = std::string("coralume: Wayland output ") + HeadlessKWin::OutputName;
        auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(seconds);
        std::string last;
        do {
            std::istringstream lines(ReadFile(m_folder / "stderr.txt"));
            for (std::string line; std::getline(lines, line);) {
                if (line.rfind(prefix, 0) == 0)
                    last = line;
            }
            if (last == expected)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        } while (ChildProcess::Clock::now() < end);
        return last;
    }

    std::unique_ptr<HeadlessKWin> m_kwin;
};
} // namespace

TEST_P(FractionalScaleTest, DrawsAtTheOutputsPixelSize)
{
    ChildProcess program;
    ASSERT_TRUE(StartAndLoad(program, {GetParam()}));
    EXPECT_EQ(WaitForReport(ExpectedReport, ReportSeconds), ExpectedReport)
        << DescribeRun() << "\ncompositor: " << m_kwin->GetLog();
    std::string problem;
    std::optional<Screenshot> const shot = m_kwin->WaitForScene(DrawSeconds, problem);
    ASSERT_TRUE(shot) << problem;
    EXPECT_EQ(shot->GetWidth(), PixelWidth);
    EXPECT_EQ(shot->GetHeight(), PixelHeight);
    EXPECT_TRUE(shot->IsSceneInEveryQuadrant(KWinBackground))
        << shot->DescribeQuadrants(KWinBackground) << "\n"
        << DescribeRun();
    EXPECT_TRUE(program.IsRunning()) << DescribeRun();
}

INSTANTIATE_TEST_SUITE_P(WallpaperAndSaver, FractionalScaleTest, ::testing::Values("/w", "/s"),
                         [](::testing::TestParamInfo<char const*> const& info) {
                             return std::string(info.param) == "/w" ? "Wallpaper" : "Saver";
                         });
