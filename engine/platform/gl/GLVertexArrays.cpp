#include "platform/gl/GLVertexArrays.h"

#include "platform/gl/OpenGL.h"

#include <algorithm>

namespace platform
{
namespace
{
constexpr UINT PositionBytes = 12;
constexpr UINT NormalBytes = 12;
constexpr UINT ColorBytes = 4;
constexpr UINT TexCoordSetBytes = 8;
constexpr unsigned int TexCoordCountShift = 8;
constexpr DWORD TexCoordCountMask = 0xF;
} // namespace

SVertexLayout GetVertexLayout(DWORD fvf)
{
    SVertexLayout layout;
    UINT offset = PositionBytes;
    if (fvf & D3DFVF_NORMAL) {
        layout.normal = true;
        layout.normalOffset = offset;
        offset += NormalBytes;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        layout.color = true;
        layout.colorOffset = offset;
        offset += ColorBytes;
    }
    if (fvf & D3DFVF_SPECULAR) {
        offset += ColorBytes;
    }
    layout.texCoordSets = (fvf >> TexCoordCountShift) & TexCoordCountMask;
    if (layout.texCoordSets > 0) {
        layout.texCoordOffset = offset;
        offset += TexCoordSetBytes * layout.texCoordSets;
    }
    layout.size = offset;
    return layout;
}

void GLVertexArrays::Bind(unsigned char const* vertices, UINT stride, UINT vertexCount,
                          SVertexLayout const& layout, int const* texCoordSets, unsigned int units)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, GLsizei(stride), vertices);
    if (layout.normal) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, GLsizei(stride), vertices + layout.normalOffset);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
    if (layout.color) {
        glEnableClientState(GL_COLOR_ARRAY);
        BindColors(vertices, stride, vertexCount, layout.colorOffset);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    for (unsigned int unit = 0; unit < units; ++unit) {
        glClientActiveTexture(GL_TEXTURE0 + unit);
        if (layout.texCoordSets > 0 && texCoordSets[unit] != NoTexCoords) {
            UINT const set = std::min<UINT>(UINT(texCoordSets[unit]), layout.texCoordSets - 1);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, GLsizei(stride),
                              vertices + layout.texCoordOffset + TexCoordSetBytes * set);
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    glClientActiveTexture(GL_TEXTURE0);
}

void GLVertexArrays::BindColors(unsigned char const* vertices, UINT stride, UINT vertexCount, UINT offset)
{
    if (m_bgraColors) {
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, GLsizei(stride), vertices + offset);
        return;
    }
    m_colors.resize(std::size_t(vertexCount) * 4);
    for (UINT i = 0; i < vertexCount; ++i) {
        unsigned char const* color = vertices + std::size_t(i) * stride + offset;
        m_colors[i * 4 + 0] = color[2];
        m_colors[i * 4 + 1] = color[1];
        m_colors[i * 4 + 2] = color[0];
        m_colors[i * 4 + 3] = color[3];
    }
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
}
} // namespace platform
