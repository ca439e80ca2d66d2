#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/gl/OpenGL.h"

// Device formats as OpenGL stores them.
namespace platform
{
bool IsDepthFormat(D3DFORMAT format);
bool IsDisplayFormat(D3DFORMAT format);

struct STextureFormat
{
    GLint internalFormat;
    GLenum format;
    GLenum type;
    UINT bytesPerPixel;
};

// False for a format no texture can have.
bool GetTextureFormat(D3DFORMAT format, STextureFormat* out);
} // namespace platform
