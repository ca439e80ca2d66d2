#include "render/ScreenCapture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "platform/gl/Direct3D8.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"
#include "render/Direct3DSubsystem.h"
#include "render/Image.h"
#include "render/MotionJpeg.h"
#include "render/Window.h"

namespace
{
constexpr char const* ReadFailure = "Failed to print image from screen";

double GetSteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

void CScreenCapture::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                            CFileManager* fileManager, CConfig* config, CWindow* window)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_config = config;
    m_window = window;
    m_screenshotPending = false;
    m_screenshotFormat = 0;
    m_recording = false;
    m_frameNumber = 0;
    m_movieCodec = AVI_CODEC_MOTION_JPEG;
    if (!m_clock)
        m_clock = GetSteadySeconds;
    if (m_config)
        m_config->CreateCommand("sc_movie_codec", CCT_INT, false, true, &m_movieCodec, "1");
    m_free = false;
}

void CScreenCapture::Destroy()
{
    if (m_free)
        return;
    EndVideoCapture();
    m_lastFrame = SScreenFrame{};
    m_encodedFrame.clear();
    m_free = true;
}

void CScreenCapture::SetDirect3DSubsystem(CDirect3DSubsystem* direct3D)
{
    m_direct3D = direct3D;
    if (IDirect3DDevice8* device = m_direct3D ? m_direct3D->GetDevice() : nullptr)
        device->SetFrameKeeping(false);
}

void CScreenCapture::PrepareForPresent()
{
    if (m_free || !m_config)
        return;
    IDirect3DDevice8* device = m_direct3D ? m_direct3D->GetDevice() : nullptr;
    if (!device)
        return;
    bool const wanted = m_recording || m_screenshotPending ||
                        !m_config->IsCommandExecuted("sc_take_screenshot") ||
                        !m_config->IsCommandExecuted("sc_take_screenshot_tga") ||
                        !m_config->IsCommandExecuted("sc_take_screenshot_jpg") ||
                        !m_config->IsCommandExecuted("sc_start_movie_record");
    if (wanted)
        device->KeepNextFrame();
}

void CScreenCapture::PollScreenshotCommand(char const* name, int format)
{
    if (m_config->IsCommandExecuted(name))
        return;
    m_config->SetCommandExecution(name, true);
    m_screenshotPending = true;
    m_screenshotFormat = static_cast<unsigned int>(format);
}

void CScreenCapture::Refresh()
{
    if (m_free)
        return;
    int& format = m_config->GetMainSettings()->sc_take_screenshot_format;
    format = std::clamp(format, 0, 1);
    m_movieCodec = std::clamp(m_movieCodec, int(AVI_CODEC_UNCOMPRESSED), int(AVI_CODEC_MOTION_JPEG));

    PollScreenshotCommand("sc_take_screenshot", format);
    PollScreenshotCommand("sc_take_screenshot_tga", 0);
    PollScreenshotCommand("sc_take_screenshot_jpg", 1);
    if (m_screenshotPending)
        TakeScreenshot();

    if (!m_config->IsCommandExecuted("sc_start_movie_record")) {
        m_config->SetCommandExecution("sc_start_movie_record", true);
        StartVideoCapture();
    }
    if (!m_config->IsCommandExecuted("sc_stop_movie_record")) {
        m_config->SetCommandExecution("sc_stop_movie_record", true);
        EndVideoCapture();
    }

    if (m_screenshotPending) {
        CImage image;
        if (GetScreenImage(&image))
            image.SaveToFile(m_fileManager, m_screenshotFileName.c_str());
        m_screenshotPending = false;
        return;
    }
    if (m_recording)
        WriteVideoFrame();
}

std::string CScreenCapture::FindFreeName(char const* stem, char const* suffix) const
{
    if (!m_captureDirectory.empty()) {
        platform::MakeDirectories(m_captureDirectory);
        std::string path;
        for (unsigned int i = 0; i <= LastFileNumber; ++i) {
            char name[CFileManager::NameLength] = {};
            std::snprintf(name, sizeof(name), "%s%.3d%s", stem, int(i), suffix);
            path = m_captureDirectory + "/" + name;
            if (!platform::PathExists(path))
                break;
        }
        return path;
    }
    char name[CFileManager::NameLength] = {};
    for (unsigned int i = 0; i <= LastFileNumber; ++i) {
        std::snprintf(name, sizeof(name), "%s%s%.3d%s", Directory, stem, int(i), suffix);
        std::string const onDisk = std::string(m_fileManager->GetEngineDirectory()) + "\\" + name;
        if (!CFileManager::IsFileExistsOnDisk(onDisk.c_str()))
            break;
    }
    return name;
}

void CScreenCapture::TakeScreenshot()
{
    m_screenshotFileName = FindFreeName("picture", m_screenshotFormat == 0 ? ".tga" : ".jpg");
}

bool CScreenCapture::LoadBMPFromFrameBuffer(SScreenFrame* frame)
{
    IDirect3DDevice8* device = m_direct3D ? m_direct3D->GetDevice() : nullptr;
    if (!device)
        return false;
    D3DPRESENT_PARAMETERS const& parameters = m_direct3D->GetPresentParameters();
    unsigned int const width = parameters.BackBufferWidth;
    unsigned int const height = parameters.BackBufferHeight;
    if (width == 0 || height == 0)
        return false;
    std::size_t const stride = std::size_t(width) * 4;
    std::vector<unsigned char> topDown(stride * height);
    if (FAILED(device->GetFrontBuffer(topDown.data(), static_cast<UINT>(stride))))
        return false;
    frame->width = width;
    frame->height = height;
    frame->pixels.resize(topDown.size());
    for (unsigned int y = 0; y < height; ++y)
        std::memcpy(&frame->pixels[std::size_t(height - 1 - y) * stride], &topDown[std::size_t(y) * stride],
                    stride);
    return true;
}

bool CScreenCapture::CaptureFrame()
{
    if (LoadBMPFromFrameBuffer(&m_lastFrame))
        return true;
    m_lastFrame = SScreenFrame{};
    m_messageManager->WriteError("%s", ReadFailure);
    EndVideoCapture();
    return false;
}

void CScreenCapture::MakeDib(SScreenFrame const& frame, CImage* out)
{
    out->Create(m_messageManager, m_memoryManager, frame.width, frame.height, 32);
    std::memcpy(out->GetData(), frame.pixels.data(), frame.pixels.size());
    out->ChangeBpp(24);
    out->FlipRBChannels();
}

bool CScreenCapture::GetScreenImage(CImage* out)
{
    if (!CaptureFrame())
        return false;
    if (out)
        MakeDib(m_lastFrame, out);
    return true;
}

void CScreenCapture::StartVideoCapture()
{
    if (m_recording) {
        m_messageManager->WriteError("AVI recording was already started");
        return;
    }
    m_movieFileName = FindFreeName("movie", ".avi");
    m_messageManager->Write("AVI recording is starting...");
    m_recording = true;
    m_frameNumber = 0;
    if (!CaptureFrame())
        return;
    std::string native = m_movieFileName;
    if (m_captureDirectory.empty()) {
        std::string const path = std::string(m_fileManager->GetEngineDirectory()) + "\\" + m_movieFileName;
        CFileManager::CreateFilePath(path.c_str());
        native = platform::ResolvePath(path);
    }
    if (!m_writer.Open(native.c_str(), m_lastFrame.width, m_lastFrame.height, FramesPerSecond,
                       static_cast<EAviCodec>(m_movieCodec))) {
        m_messageManager->WriteError("Failed to create avi stream");
        m_lastFrame = SScreenFrame{};
        EndVideoCapture();
    }
}

unsigned int CScreenCapture::CountDueFrames()
{
    double const now = m_clock();
    if (m_frameNumber == 0) {
        m_recordingStart = now;
        return 1;
    }
    // The slot nearest to now is the last one this frame fills.
    double const slots = std::floor((now - m_recordingStart) * FramesPerSecond + 0.5) + 1.0;
    if (slots <= m_frameNumber)
        return 0;
    double const longest = LongestRepeat * FramesPerSecond;
    if (slots - m_frameNumber > longest) {
        // A stall: the recording skips what is beyond the longest repeat.
        m_recordingStart += (slots - m_frameNumber - longest) / FramesPerSecond;
        return static_cast<unsigned int>(longest);
    }
    return static_cast<unsigned int>(slots - m_frameNumber);
}

void CScreenCapture::WriteVideoFrame()
{
    if (!CaptureFrame())
        return;
    unsigned int const due = CountDueFrames();
    bool written = due == 0;
    if (due > 0 && m_lastFrame.width == m_writer.GetWidth() && m_lastFrame.height == m_writer.GetHeight()) {
        unsigned char const* data = m_lastFrame.pixels.data();
        std::size_t size = m_lastFrame.pixels.size();
        written = true;
        if (m_writer.GetCodec() == AVI_CODEC_MOTION_JPEG) {
            written = MotionJpeg::Encode(data, m_lastFrame.width, m_lastFrame.height, MotionJpegQuality,
                                         &m_encodedFrame);
            data = m_encodedFrame.data();
            size = m_encodedFrame.size();
        }
        for (unsigned int i = 0; i < due && written; ++i) {
            written = m_writer.WriteFrame(data, size);
            if (written)
                ++m_frameNumber;
        }
    }
    m_lastFrame = SScreenFrame{};
    if (!written) {
        m_messageManager->WriteError("Failed to write to avi stream");
        EndVideoCapture();
    }
}

void CScreenCapture::EndVideoCapture()
{
    if (!m_recording)
        return;
    m_recording = false;
    if (m_writer.IsOpened() && !m_writer.Close())
        m_messageManager->WriteError("Failed to write to avi stream");
    m_messageManager->Write("AVI record finished");
}
