#pragma once

#include "platform/gl/Direct3D8.h"

#include <array>
#include <cstddef>
#include <vector>

namespace platform
{
// Where the elements of a flexible-vertex-format vertex lie (bytes from its start).
struct SVertexLayout
{
    UINT size = 0; // the smallest stride that holds them
    UINT normalOffset = 0;
    UINT colorOffset = 0;
    UINT texCoordOffset = 0;
    UINT texCoordSets = 0;
    bool normal = false;
    bool color = false;
};

SVertexLayout GetVertexLayout(DWORD fvf);

// Points OpenGL's client arrays at vertices in the device's layout.
class GLVertexArrays
{
public:
    static constexpr int NoTexCoords = -1;

    // Without the driver's BGRA colour arrays, colours are swizzled into a copy.
    explicit GLVertexArrays(bool bgraColors = false) : m_bgraColors(bgraColors) {}

    void SetBgraColors(bool bgraColors) { m_bgraColors = bgraColors; }

    // texCoordSets[unit]: the set of coordinates that unit reads, or NoTexCoords.
    void Bind(unsigned char const* vertices, UINT stride, UINT vertexCount, SVertexLayout const& layout,
              int const* texCoordSets, unsigned int units);

private:
    void BindColors(unsigned char const* vertices, UINT stride, UINT vertexCount, UINT offset);

    bool m_bgraColors;
    std::vector<unsigned char> m_colors;
};
} // namespace platform
