#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "render/AviWriter.h"

class CConfig;
class CDirect3DSubsystem;
class CFileManager;
class CImage;
class CMemoryManager;
class CMessageManager;
class CWindow;

// One captured frame of the window: 32-bit pixels (B, G, R, X bytes), bottom row first.
struct SScreenFrame
{
    unsigned int width = 0;
    unsigned int height = 0;
    std::vector<unsigned char> pixels;
};

// Numbered screenshots of the engine window (TGA or JPEG) and numbered AVI recordings,
// driven by configuration commands polled once per frame after the frame is presented.
// The pixels are the device's last presented frame.
class CScreenCapture
{
public:
    static constexpr char const* Directory = "ScreenCaptures\\";
    static constexpr unsigned int FramesPerSecond = 33;
    static constexpr unsigned int LastFileNumber = 999;
    static constexpr unsigned int MotionJpegQuality = 85;
    // After a stall a recording repeats its frame for at most this long.
    static constexpr double LongestRepeat = 2.0;

    // Seconds on a steady clock. A recording holds the frame it reads for as many slots of
    // 1 / FramesPerSecond as the clock has passed (none when it comes early), so that it plays
    // as long as it was recorded.
    using Clock = std::function<double()>;

    CScreenCapture() = default;
    ~CScreenCapture() { Destroy(); }
    CScreenCapture(CScreenCapture const&) = delete;
    CScreenCapture& operator=(CScreenCapture const&) = delete;

    // Registers `sc_movie_codec` (0 uncompressed, 1 Motion-JPEG; default 1).
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CConfig* config, CWindow* window);
    // Ends a recording.
    void Destroy();
    bool IsFree() const { return m_free; }

    // The device whose presented frames are captured; without one every capture fails.
    // The device then keeps only the frames a capture will read.
    void SetDirect3DSubsystem(CDirect3DSubsystem* direct3D);
    // Replaces the steady clock (tests drive recordings with their own).
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // Before the present: asks the device to keep the coming frame when a screenshot is
    // requested or a recording runs or starts.
    void PrepareForPresent();
    void Refresh();

    // Chooses the name of the pending screenshot.
    void TakeScreenshot();
    void StartVideoCapture();
    void EndVideoCapture();
    // The window as a 24-bit image, bottom row first, R, G, B; false (with the error
    // logged and a recording ended) when the window cannot be read.
    bool GetScreenImage(CImage* out);

    bool IsRecording() const { return m_recording; }
    // Video frames written to the recording so far.
    unsigned int GetFrameNumber() const { return m_frameNumber; }
    // Native folder that screenshots and recordings are written to, created when needed;
    // empty (the default) means "ScreenCaptures" under the engine directory.
    void SetCaptureDirectory(std::string const& directory) { m_captureDirectory = directory; }
    std::string const& GetCaptureDirectory() const { return m_captureDirectory; }
    char const* GetScreenshotFileName() const { return m_screenshotFileName.c_str(); }
    char const* GetMovieFileName() const { return m_movieFileName.c_str(); }

protected:
    // Reads the last presented frame into `frame`.
    bool LoadBMPFromFrameBuffer(SScreenFrame* frame);
    // The frame as a 24-bit image in image order.
    void MakeDib(SScreenFrame const& frame, CImage* out);

private:
    // The first "ScreenCaptures\<stem>NNN<suffix>" not on disk in the engine directory.
    std::string FindFreeName(char const* stem, char const* suffix) const;
    bool CaptureFrame();
    void WriteVideoFrame();
    // How many times the frame read now goes into the recording.
    unsigned int CountDueFrames();
    void PollScreenshotCommand(char const* name, int format);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CConfig* m_config = nullptr;
    CWindow* m_window = nullptr;
    CDirect3DSubsystem* m_direct3D = nullptr;
    bool m_screenshotPending = false;
    unsigned int m_screenshotFormat = 0;
    std::string m_captureDirectory;
    std::string m_screenshotFileName;
    bool m_recording = false;
    unsigned int m_frameNumber = 0;
    Clock m_clock;
    double m_recordingStart = 0.0;
    int m_movieCodec = AVI_CODEC_MOTION_JPEG;
    std::string m_movieFileName;
    CAviWriter m_writer;
    SScreenFrame m_lastFrame;
    std::vector<unsigned char> m_encodedFrame;
};
