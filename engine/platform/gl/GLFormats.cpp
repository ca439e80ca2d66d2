#include "platform/gl/GLFormats.h"

namespace platform
{
bool IsDepthFormat(D3DFORMAT format)
{
    return format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8 || format == D3DFMT_D32;
}

bool IsDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5;
}

bool GetTextureFormat(D3DFORMAT format, STextureFormat* out)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
        return true;
    case D3DFMT_X8R8G8B8:
        *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
        return true;
    case D3DFMT_R5G6B5:
        *out = {GL_RGB5, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2};
        return true;
    case D3DFMT_X1R5G5B5:
        *out = {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2};
        return true;
    case D3DFMT_A1R5G5B5:
        *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2};
        return true;
    case D3DFMT_A4R4G4B4:
        *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2};
        return true;
    case D3DFMT_A8:
        *out = {GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE, 1};
        return true;
    case D3DFMT_L8:
        *out = {GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE, 1};
        return true;
    default:
        return false;
    }
}
} // namespace platform
