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
HRESULT GLDirect3DDevice8::SetVertexShader(DWORD fvf)
{
    if (!(fvf & D3DFVF_XYZ)) {
        return D3DERR_INVALIDCALL;
    }
    m_fvf = fvf;
    m_materialDirty = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, void const* vertexData,
                                           UINT vertexStride)
{
    GLenum mode;
    GLsizei count;
    if (!vertexData || !GetPrimitive(type, primitiveCount, &mode, &count)) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = PrepareDraw(vertexData, vertexStride, static_cast<UINT>(count));
    if (FAILED(result)) {
        return result;
    }
    glDrawArrays(mode, 0, count);
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                                  UINT vertexCount, UINT primitiveCount,
                                                  void const* indexData, D3DFORMAT indexFormat,
                                                  void const* vertexData, UINT vertexStride)
{
    GLenum mode;
    GLsizei count;
    if (!vertexData || !indexData || !GetPrimitive(type, primitiveCount, &mode, &count) ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = PrepareDraw(vertexData, vertexStride, minVertexIndex + vertexCount);
    if (FAILED(result)) {
        return result;
    }
    glDrawElements(mode, count, indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                   indexData);
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL,
                                              IDirect3DVertexBuffer8** buffer)
{
    if (!buffer || length == 0) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    // Colours are read in place, so buffers need the BGRA vertex colour format.
    if (!m_bgraColors || !m_bufferObjects) {
        return D3DERR_NOTAVAILABLE;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    *buffer = new GLDirect3DVertexBuffer8(m_context, GL_ARRAY_BUFFER, length, D3DFMT_UNKNOWN);
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                                             IDirect3DIndexBuffer8** buffer)
{
    if (!buffer || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (!m_bufferObjects) {
        return D3DERR_NOTAVAILABLE;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    *buffer = new GLDirect3DIndexBuffer8(m_context, GL_ELEMENT_ARRAY_BUFFER, length, format);
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride)
{
    if (stream != 0) {
        return D3DERR_INVALIDCALL;
    }
    HoldReference(m_streamSource, buffer);
    m_streamStride = stride;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex)
{
    HoldReference(m_indices, buffer);
    m_baseVertexIndex = baseVertexIndex;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                                UINT startIndex, UINT primitiveCount)
{
    GLenum mode;
    GLsizei count;
    if (!m_streamSource || !m_indices || m_streamSource->IsLocked() || m_indices->IsLocked() ||
        vertexCount == 0 || !GetPrimitive(type, primitiveCount, &mode, &count)) {
        return D3DERR_INVALIDCALL;
    }
    std::uint64_t const indexSize = m_indices->GetFormat() == D3DFMT_INDEX16 ? 2 : 4;
    std::uint64_t const lastVertex = std::uint64_t(m_baseVertexIndex) + minIndex + vertexCount;
    if ((std::uint64_t(startIndex) + std::uint64_t(count)) * indexSize > m_indices->GetLength() ||
        lastVertex * m_streamStride > m_streamSource->GetLength()) {
        return D3DERR_INVALIDCALL;
    }
    glBindBuffer(GL_ARRAY_BUFFER, m_streamSource->GetName());
    auto const* base = reinterpret_cast<void const*>(std::uintptr_t(m_baseVertexIndex) * m_streamStride);
    HRESULT const result = PrepareDraw(base, m_streamStride, minIndex + vertexCount);
    if (SUCCEEDED(result)) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices->GetName());
        glDrawRangeElements(mode, minIndex, minIndex + vertexCount - 1, count,
                            indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                            reinterpret_cast<void const*>(std::uintptr_t(startIndex * indexSize)));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    // Draws from user memory find no buffer bound.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return result;
}

bool GLDirect3DDevice8::GetPrimitive(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode, GLsizei* count)
{
    if (primitives == 0 || primitives > 0x3FFFFFFF) {
        return false;
    }
    switch (type) {
    case D3DPT_POINTLIST:
        *mode = GL_POINTS;
        *count = GLsizei(primitives);
        return true;
    case D3DPT_LINELIST:
        *mode = GL_LINES;
        *count = GLsizei(primitives * 2);
        return true;
    case D3DPT_LINESTRIP:
        *mode = GL_LINE_STRIP;
        *count = GLsizei(primitives + 1);
        return true;
    case D3DPT_TRIANGLELIST:
        *mode = GL_TRIANGLES;
        *count = GLsizei(primitives * 3);
        return true;
    case D3DPT_TRIANGLESTRIP:
        *mode = GL_TRIANGLE_STRIP;
        *count = GLsizei(primitives + 2);
        return true;
    case D3DPT_TRIANGLEFAN:
        *mode = GL_TRIANGLE_FAN;
        *count = GLsizei(primitives + 2);
        return true;
    default:
        return false;
    }
}

HRESULT GLDirect3DDevice8::PrepareDraw(void const* vertexData, UINT stride, UINT vertexCount)
{
    if (!m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    SVertexLayout const layout = GetVertexLayout(m_fvf);
    if (stride < layout.size) {
        return D3DERR_INVALIDCALL;
    }

    if (m_materialDirty) {
        ApplyMaterial();
        m_materialDirty = false;
    }
    if (m_projectionDirty) {
        ApplyProjection();
        m_projectionDirty = false;
    }
    if (m_lightsDirty) {
        ApplyLights();
        m_lightsDirty = false;
    }
    if (m_modelViewDirty) {
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(&m_view._11);
        glMultMatrixf(&m_world._11);
        m_modelViewDirty = false;
    }
    ApplyStages();

    std::array<int, MaxStages> texCoordSets;
    for (unsigned int stage = 0; stage < m_units; ++stage) {
        DWORD const index = m_stageStates[stage][D3DTSS_TEXCOORDINDEX];
        // Generated coordinates read no set of the vertex.
        texCoordSets[stage] = m_textures[stage] && (index & ~TexCoordIndexMask) == D3DTSS_TCI_PASSTHRU
                                  ? int(index & TexCoordIndexMask)
                                  : GLVertexArrays::NoTexCoords;
    }
    m_vertexArrays.Bind(static_cast<unsigned char const*>(vertexData), stride, vertexCount, layout,
                        texCoordSets.data(), m_units);
    return D3D_OK;
}
} // namespace platform
