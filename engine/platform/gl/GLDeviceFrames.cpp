#include "platform/gl/GLDevice.h"

#include "platform/gl/GLBuffer.h"
#include "platform/gl/GLFormats.h"
#include "platform/gl/GLKeptBackBuffer.h"
#include "platform/gl/GLLighting.h"
#include "platform/gl/GLSampler.h"
#include "platform/gl/GLStateTranslation.h"
#include "platform/gl/GLTexture.h"
#include "platform/gl/GLVertexArrays.h"
#include "platform/gl/OpenGL.h"
#include "platform/gl/RefCounted.h"
#include "platform/window/NativeWindow.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform
{
HRESULT GLDirect3DDevice8::SetFrameKeeping(BOOL everyFrame)
{
    m_keepEveryFrame = everyFrame != 0;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::KeepNextFrame()
{
    m_keepNextFrame = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::BeginBackBufferKeeping(BOOL overKeptCopy)
{
    return OnKeptBackBuffer([this, overKeptCopy] {
        if (!m_keptBackBuffer.Begin(GetTargetSize(), overKeptCopy != 0))
            return false;
        SetDrawingTurned(m_keptBackBuffer.IsDrawnTurned());
        return true;
    });
}

HRESULT GLDirect3DDevice8::BeginBackBufferTrial()
{
    return OnKeptBackBuffer([this] {
        if (!m_keptBackBuffer.BeginTrial())
            return false;
        SetDrawingTurned(m_keptBackBuffer.IsDrawnTurned());
        return true;
    });
}

HRESULT GLDirect3DDevice8::KeepBackBuffer()
{
    return OnKeptBackBuffer([this] {
        SetDrawingTurned(false);
        return m_keptBackBuffer.Keep();
    });
}

HRESULT GLDirect3DDevice8::PrepareBackBufferKeeping()
{
    return OnKeptBackBuffer([this] { return m_keptBackBuffer.Prepare(); });
}

HRESULT GLDirect3DDevice8::RestoreBackBuffer()
{
    return OnKeptBackBuffer([this] {
        SetDrawingTurned(false);
        return m_keptBackBuffer.Restore(GetTargetSize());
    });
}

HRESULT GLDirect3DDevice8::ReleaseKeptBackBuffer()
{
    return OnKeptBackBuffer([this] {
        SetDrawingTurned(false);
        m_keptBackBuffer.Release();
        return true;
    });
}

HRESULT GLDirect3DDevice8::SetRenderScale(float scale)
{
    if (!(scale > 0.0f && scale <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    m_renderScale = scale;
    if (!m_inScene) {
        BindFrameTarget();
    }
    return scale < 1.0f && !m_frameScaled ? D3DERR_NOTAVAILABLE : D3D_OK;
}

std::array<int, 2> GLDirect3DDevice8::GetTargetSize() const
{
    return m_frameScaled ? m_scaledSize : GetDrawableSize();
}

void GLDirect3DDevice8::BindFrameTarget()
{
    std::array<int, 2> const drawable = GetDrawableSize();
    std::array<int, 2> const scaled = GLScaledFrame::GetScaledSize(drawable, m_renderScale);
    bool const wanted = m_renderScale < 1.0f && scaled != drawable;
    bool const scaledBefore = m_frameScaled;
    std::array<int, 2> const sizeBefore = m_scaledSize;
    m_frameScaled = wanted && m_scaledFrame.Bind(scaled);
    if (!m_frameScaled) {
        m_scaledFrame.Release();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    m_scaledSize = m_frameScaled ? scaled : std::array<int, 2>{0, 0};
    m_keptBackBuffer.SetTarget(m_frameScaled ? m_scaledFrame.GetFramebuffer() : 0);
    if (m_frameScaled != scaledBefore || m_scaledSize != sizeBefore) {
        // A copy kept for the other target is stored the other way up or at another size.
        m_keptBackBuffer.Release();
        SetDrawingTurned(false);
        ApplyViewport();
    }
}

HRESULT GLDirect3DDevice8::GetFrontBuffer(void* pixels, UINT pitch)
{
    UINT width = m_parameters.BackBufferWidth;
    UINT height = m_parameters.BackBufferHeight;
    if (!pixels || pitch < width * 4) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    UINT readWidth = std::min(width, m_presentedWidth);
    UINT readHeight = std::min(height, m_presentedHeight);
    std::vector<unsigned char> rows(std::size_t(m_presentedWidth) * m_presentedHeight * 4);
    if (m_presentedFrame != 0 && !rows.empty()) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, m_presentedFrame);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
        m_boundUnitsDirty = true;
    }
    auto* target = static_cast<unsigned char*>(pixels);
    for (UINT y = 0; y < height; ++y) {
        unsigned char* row = target + std::size_t(y) * pitch;
        std::memset(row, 0, std::size_t(width) * 4);
        if (y < readHeight) {
            // GL rows run bottom up; the top of the frame is the last row.
            std::memcpy(row, rows.data() + std::size_t(m_presentedHeight - 1 - y) * m_presentedWidth * 4,
                        std::size_t(readWidth) * 4);
        }
    }
    return D3D_OK;
}

void GLDirect3DDevice8::SetDrawingTurned(bool turned)
{
    if (turned == m_drawingTurned) {
        return;
    }
    m_drawingTurned = turned;
    glFrontFace(turned ? GL_CCW : GL_CW);
    ApplyViewport();
}

void GLDirect3DDevice8::KeepPresentedFrame()
{
    int width = 0;
    int height = 0;
    m_context->GetDrawableSize(&width, &height);
    if (width <= 0 || height <= 0) {
        return;
    }
    glActiveTexture(GL_TEXTURE0);
    if (m_presentedFrame == 0) {
        glGenTextures(1, &m_presentedFrame);
    }
    glBindTexture(GL_TEXTURE_2D, m_presentedFrame);
    if (UINT(width) != m_presentedWidth || UINT(height) != m_presentedHeight) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        m_presentedWidth = UINT(width);
        m_presentedHeight = UINT(height);
    }
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    m_boundUnitsDirty = true;
}
} // namespace platform
