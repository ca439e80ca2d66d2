#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/gl/OpenGL.h"
#include "platform/gl/RefCounted.h"
#include "platform/window/GLContext.h"

#include <memory>

namespace platform
{

// A GL buffer object. A lock maps it for writing; a whole-buffer or discarding lock gives
// fresh storage, so frames still being drawn from the old contents are not waited for.
template <class Interface> class GLDirect3DBuffer8 : public RefCounted<Interface>
{
public:
    GLDirect3DBuffer8(std::shared_ptr<GLContext> context, GLenum target, UINT length, D3DFORMAT format)
        : m_context(std::move(context)), m_target(target), m_length(length), m_format(format)
    {
        m_context->MakeCurrent();
        glGenBuffers(1, &m_name);
        glBindBuffer(m_target, m_name);
        glBufferData(m_target, GLsizeiptr(m_length), nullptr, GL_DYNAMIC_DRAW);
        glBindBuffer(m_target, 0);
    }

    ~GLDirect3DBuffer8() override
    {
        if (m_context->MakeCurrent()) {
            glDeleteBuffers(1, &m_name);
        }
    }

    UINT GetLength() override { return m_length; }

    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override
    {
        if (size == 0 && offset <= m_length) {
            size = m_length - offset;
        }
        if (!data || m_locked || size == 0 || offset > m_length || size > m_length - offset) {
            return D3DERR_INVALIDCALL;
        }
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        GLbitfield access = GL_MAP_WRITE_BIT;
        if ((flags & D3DLOCK_DISCARD) || size == m_length) {
            access |= GL_MAP_INVALIDATE_BUFFER_BIT;
        } else {
            access |= GL_MAP_READ_BIT;
        }
        glBindBuffer(m_target, m_name);
        void* mapped = glMapBufferRange(m_target, GLintptr(offset), GLsizeiptr(size), access);
        glBindBuffer(m_target, 0);
        if (!mapped) {
            return D3DERR_INVALIDCALL;
        }
        m_locked = true;
        *data = static_cast<BYTE*>(mapped);
        return D3D_OK;
    }

    HRESULT Unlock() override
    {
        if (!m_locked) {
            return D3DERR_INVALIDCALL;
        }
        m_locked = false;
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        glBindBuffer(m_target, m_name);
        GLboolean const intact = glUnmapBuffer(m_target);
        glBindBuffer(m_target, 0);
        return intact ? D3D_OK : D3DERR_INVALIDCALL;
    }

    GLuint GetName() const { return m_name; }
    bool IsLocked() const { return m_locked; }
    D3DFORMAT GetFormat() const { return m_format; }

private:
    std::shared_ptr<GLContext> m_context;
    GLenum m_target;
    UINT m_length;
    D3DFORMAT m_format;
    GLuint m_name = 0;
    bool m_locked = false;
};

using GLDirect3DVertexBuffer8 = GLDirect3DBuffer8<IDirect3DVertexBuffer8>;
using GLDirect3DIndexBuffer8 = GLDirect3DBuffer8<IDirect3DIndexBuffer8>;
} // namespace platform
