#include "CaptureFixture.h"

#include <algorithm>
#include <cstdlib>

#include "render/Direct3DSubsystem.h"

#include "model/ModelManager.h"
#include "render/Camera.h"
#include "render/CameraManager.h"
#include "render/Image.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"

// Frames drawn by the real device on the test display, recorded and decoded again by ffmpeg.
namespace
{
class CaptureRenderTest : public CaptureFixture
{
protected:
    CaptureRenderTest() : CaptureFixture(false) {}

    void SetUp() override
    {
        CaptureFixture::SetUp();
        CCameraManager* cameras = engine.GetCameraManager();
        CCamera* camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        camera->SetPosition({0.0f, 0.0f, 10.0f});
        camera->SetAngles({0.0f, 0.0f, 0.0f});
        // A box off the centre: a picture that is wrong when turned or mirrored.
        CShaderDescriptor shader;
        engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
        engine.GetModelManager()->AddModelBox(shader, {-4.0f, 0.5f, -1.0f}, {-1.0f, 3.0f, 1.0f}, 0);
    }

    // One engine frame over the given background; the capture runs at its end.
    void Frame(CVector4 const& background)
    {
        engine.GetModelManager()->SetClearColor(background);
        engine.BeginFrame();
        engine.FinishFrame();
    }

    // Frame `index` of a recording as 24-bit pixels, top row first.
    std::vector<unsigned char> Decode(std::filesystem::path const& file, unsigned int index)
    {
        std::string const output = (directory / "frame.rgb").string();
        std::string const command = "ffmpeg -v error -y -i '" + file.string() + "' -vf 'select=eq(n\\," +
                                    std::to_string(index) + ")' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" +
                                    output + "' 2>&1";
        std::string const log = RunCommand(command);
        EXPECT_EQ(log, "");
        std::ifstream in(output, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The saved screenshot as 24-bit pixels, top row first.
    std::vector<unsigned char> Screenshot(char const* name)
    {
        CImage image;
        EXPECT_TRUE(image.LoadFromFile(engine.GetMessageManager(), engine.GetMemoryManager(),
                                       engine.GetFileManager(), name));
        width = image.GetWidth();
        height = image.GetHeight();
        std::vector<unsigned char> pixels(std::size_t(width) * height * 3);
        for (unsigned int y = 0; y < height; ++y)
            for (unsigned int x = 0; x < width; ++x) {
                unsigned char* out = &pixels[(std::size_t(y) * width + x) * 3];
                image.GetPixel(x, height - 1 - y, &out[0], &out[1], &out[2]);
            }
        return pixels;
    }

    // The device's last shown frame as 24-bit pixels, top row first.
    std::vector<unsigned char> Shown()
    {
        D3DPRESENT_PARAMETERS const& parameters = engine.GetDirect3DSubsystem()->GetPresentParameters();
        unsigned int const w = parameters.BackBufferWidth;
        unsigned int const h = parameters.BackBufferHeight;
        std::vector<unsigned char> bgra(std::size_t(w) * h * 4);
        EXPECT_EQ(engine.GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(bgra.data(), w * 4), D3D_OK);
        std::vector<unsigned char> rgb(std::size_t(w) * h * 3);
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
            rgb[3 * i] = bgra[4 * i + 2];
            rgb[3 * i + 1] = bgra[4 * i + 1];
            rgb[3 * i + 2] = bgra[4 * i];
        }
        return rgb;
    }

    // Mean absolute difference per channel.
    static double Difference(std::vector<unsigned char> const& a, std::vector<unsigned char> const& b)
    {
        if (a.size() != b.size() || a.empty())
            return 255.0;
        double sum = 0.0;
        for (std::size_t i = 0; i < a.size(); ++i)
            sum += std::abs(int(a[i]) - int(b[i]));
        return sum / double(a.size());
    }

    void RecordAndCompare(int codec, char const* screenshotCommand, char const* screenshotName,
                          double tolerance)
    {
        if (!HasFfmpeg())
            GTEST_SKIP() << "ffmpeg is not installed (scripts/setup installs it)";
        Config()->ExecuteCommand(("sc_movie_codec " + std::to_string(codec)).c_str());
        CVector4 const first{1.0f, 0.0f, 0.0f, 1.0f};
        CVector4 const steady{0.2f, 0.6f, 0.9f, 1.0f};
        Request("sc_start_movie_record");
        Frame(first);  // video frame 0
        Frame(steady); // video frame 1
        Request(screenshotCommand);
        Frame(steady); // the screenshot, no video frame
        std::vector<unsigned char> const shown = Shown();
        Frame({0.0f, 1.0f, 0.0f, 1.0f}); // video frame 2
        Request("sc_stop_movie_record");
        Frame(steady);
        ASSERT_FALSE(Capture()->IsRecording());

        std::filesystem::path const movie = Captures() / "movie000.avi";
        std::vector<unsigned char> const shot = Screenshot(screenshotName);
        ASSERT_EQ(width, 640u);
        ASSERT_EQ(height, 480u);
        // The screenshot is the shown frame the right way up, and not a plain fill.
        EXPECT_LT(Difference(shot, shown), tolerance);
        auto const [darkest, brightest] = std::minmax_element(shot.begin(), shot.end());
        EXPECT_GT(int(*brightest) - int(*darkest), 100);

        std::vector<unsigned char> const video = Decode(movie, 1);
        EXPECT_LT(Difference(video, shot), tolerance);
        std::vector<unsigned char> const red = Decode(movie, 0);
        ASSERT_EQ(red.size(), shot.size());
        EXPECT_GT(red[(std::size_t(400) * width + 500) * 3], 200);
        std::vector<unsigned char> const green = Decode(movie, 2);
        ASSERT_EQ(green.size(), shot.size());
        EXPECT_GT(green[(std::size_t(400) * width + 500) * 3 + 1], 200);
    }

    unsigned int width = 0;
    unsigned int height = 0;
};

TEST_F(CaptureRenderTest, UncompressedFrameDecodedByFfmpegEqualsTheScreenshot)
{
    RecordAndCompare(0, "sc_take_screenshot_tga", "ScreenCaptures\\picture000.tga", 0.001);
}

TEST_F(CaptureRenderTest, MotionJpegFrameDecodedByFfmpegMatchesTheScreenshot)
{
    RecordAndCompare(1, "sc_take_screenshot_jpg", "ScreenCaptures\\picture000.jpg", 3.0);
}
} // namespace
