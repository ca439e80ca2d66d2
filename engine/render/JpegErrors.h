#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// The codec library's errors for our decoders and encoders: an error leaves through longjmp to
// `jump` (set it before the first library call), messages are never printed, and entropy data
// that ends early (a truncated file) is an error rather than a warning.
struct SJpegErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Fills `errors` and returns the pointer a codec's `err` field takes.
jpeg_error_mgr* InstallJpegErrorManager(SJpegErrorManager* errors);
