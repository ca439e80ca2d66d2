#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/gl/GLFormats.h"
#include "platform/gl/OpenGL.h"
#include "platform/gl/RefCounted.h"
#include "platform/window/GLContext.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace platform
{

class GLDirect3DTexture8 : public RefCounted<IDirect3DTexture8>
{
public:
    GLDirect3DTexture8(std::shared_ptr<GLContext> context, UINT width, UINT height, UINT levels,
                       D3DFORMAT format, STextureFormat const& glFormat, D3DPOOL pool)
        : m_context(std::move(context)), m_format(format), m_glFormat(glFormat), m_pool(pool)
    {
        do {
            m_levels.push_back({width, height, {}});
            if (width == 1 && height == 1) {
                break;
            }
            width = std::max(1u, width / 2);
            height = std::max(1u, height / 2);
        } while (levels == 0 || m_levels.size() < levels);

        m_context->MakeCurrent();
        glGenTextures(1, &m_name);
        glBindTexture(GL_TEXTURE_2D, m_name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (unsigned int level = 0; level < m_levels.size(); ++level) {
            Upload(level);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(m_levels.size() - 1));
    }

    ~GLDirect3DTexture8() override
    {
        if (m_context->MakeCurrent()) {
            glDeleteTextures(1, &m_name);
        }
    }

    DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }

    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* description) override
    {
        if (level >= m_levels.size() || !description) {
            return D3DERR_INVALIDCALL;
        }
        *description = {};
        description->Format = m_format;
        description->Type = D3DRTYPE_SURFACE;
        description->Pool = m_pool;
        description->Width = m_levels[level].width;
        description->Height = m_levels[level].height;
        description->Size = static_cast<UINT>(GetLevelSize(m_levels[level]));
        return D3D_OK;
    }

    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, RECT const* rect, DWORD flags) override
    {
        if (level >= m_levels.size() || !lockedRect || m_levels[level].locked) {
            return D3DERR_INVALIDCALL;
        }
        SLevel& target = m_levels[level];
        std::size_t offset = 0;
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->right > std::int32_t(target.width) ||
                rect->bottom > std::int32_t(target.height) || rect->left >= rect->right ||
                rect->top >= rect->bottom) {
                return D3DERR_INVALIDCALL;
            }
            offset = (std::size_t(rect->top) * target.width + rect->left) * m_glFormat.bytesPerPixel;
        }
        if (!target.data) {
            FetchLevel(level, (flags & D3DLOCK_DISCARD) != 0);
        }
        target.locked = true;
        target.readOnly = (flags & D3DLOCK_READONLY) != 0;
        lockedRect->Pitch = static_cast<std::int32_t>(target.width * m_glFormat.bytesPerPixel);
        lockedRect->pBits = target.data.get() + offset;
        return D3D_OK;
    }

    HRESULT UnlockRect(UINT level) override
    {
        if (level >= m_levels.size() || !m_levels[level].locked) {
            return D3DERR_INVALIDCALL;
        }
        SLevel& target = m_levels[level];
        bool const lockedAfterWriting = target.written;
        target.locked = false;
        if (!target.readOnly && m_context->MakeCurrent()) {
            GLint previous = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
            glBindTexture(GL_TEXTURE_2D, m_name);
            Upload(level);
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
            target.written = true;
        }
        // The driver holds the texels now; the copy here lives only while a lock needs it, unless
        // the level is locked again after it was written (a picture that changes as it is shown):
        // then it stays, as the driver's texels, for the next lock.
        if (!lockedAfterWriting) {
            target.data.reset();
        }
        return D3D_OK;
    }

    GLuint GetName() const { return m_name; }
    bool HasMipLevels() const { return m_levels.size() > 1; }

    // Sampler state last applied to this texture object (the device applies stage states lazily).
    std::array<GLint, 5> appliedSampler = {-1, -1, -1, -1, -1};
    GLfloat appliedAnisotropy = -1.0f;

private:
    struct SLevel
    {
        UINT width;
        UINT height;
        std::unique_ptr<unsigned char[]> data; // only while locked
        bool locked = false;
        bool readOnly = false;
        bool written = false; // texels were sent to the driver
    };

    std::size_t GetLevelSize(SLevel const& level) const
    {
        return std::size_t(level.width) * level.height * m_glFormat.bytesPerPixel;
    }

    // Allocates the level's storage (never written: zeroes, as a new texture reads).
    void Upload(unsigned int level)
    {
        SLevel const& source = m_levels[level];
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), m_glFormat.internalFormat,
                     static_cast<GLsizei>(source.width), static_cast<GLsizei>(source.height), 0,
                     m_glFormat.format, m_glFormat.type, source.data.get());
    }

    // The level's texels for a lock: read back from the driver once written, else zeroes; left
    // as they come for a lock that discards them (the caller writes the whole level).
    void FetchLevel(unsigned int level, bool discard)
    {
        SLevel& target = m_levels[level];
        std::size_t const size = GetLevelSize(target);
        if (discard) {
            target.data.reset(new unsigned char[size]);
            return;
        }
        target.data = std::make_unique<unsigned char[]>(size);
        if (!target.written || !m_context->MakeCurrent()) {
            return;
        }
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, m_name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), m_glFormat.format, m_glFormat.type,
                      target.data.get());
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    }

    std::shared_ptr<GLContext> m_context;
    D3DFORMAT m_format;
    STextureFormat m_glFormat;
    D3DPOOL m_pool;
    GLuint m_name = 0;
    std::vector<SLevel> m_levels;
};
} // namespace platform
