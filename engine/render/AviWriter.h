#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/FileSystem.h"

// How the frames of a recording are stored.
enum EAviCodec : int
{
    // 32-bit device-independent bitmaps, bottom row first (B, G, R, X bytes).
    AVI_CODEC_UNCOMPRESSED = 0,
    // One baseline JPEG picture per frame.
    AVI_CODEC_MOTION_JPEG = 1,
};

// Writes a single video stream as an AVI (RIFF) file: header list, frames in a "movi"
// list, and the "idx1" index players use to seek. Every frame is a key frame. The
// frame count and the sizes are written in when the file is closed.
class CAviWriter
{
public:
    CAviWriter() = default;
    ~CAviWriter();
    CAviWriter(CAviWriter const&) = delete;
    CAviWriter& operator=(CAviWriter const&) = delete;

    // `path` is a native path. The file is written under a temporary name and takes its own
    // name when it is closed complete. False when it cannot be created.
    bool Open(char const* path, unsigned int width, unsigned int height, unsigned int framesPerSecond,
              EAviCodec codec);
    // One frame of stored data: the bitmap bytes or a JPEG picture. False on a write failure.
    bool WriteFrame(void const* data, std::size_t size);
    // Completes the headers and the index; false when the file could not be finished.
    bool Close();
    bool IsOpened() const { return m_file != nullptr; }

    unsigned int GetFramesCount() const { return static_cast<unsigned int>(m_index.size()); }
    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }
    EAviCodec GetCodec() const { return m_codec; }
    // Bytes of one uncompressed frame.
    std::size_t GetUncompressedFrameSize() const { return std::size_t(m_width) * m_height * 4; }

private:
    struct SIndexEntry
    {
        std::uint32_t offset;
        std::uint32_t size;
    };

    void WriteHeaders();
    bool Finish();

    platform::AtomicFile m_output;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    unsigned int m_framesPerSecond = 0;
    EAviCodec m_codec = AVI_CODEC_UNCOMPRESSED;
    std::uint32_t m_largestFrame = 0;
    std::uint64_t m_moviStart = 0;
    std::vector<SIndexEntry> m_index;
};
