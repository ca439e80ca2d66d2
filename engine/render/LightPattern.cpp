#include "render/LightPattern.h"

#include "math/Matrix4x4.h"
#include "render/Direct3DSubsystem.h"
#include "render/Texture2D.h"

namespace
{
// Row-vector product a * b.
D3DMATRIX Multiply(D3DMATRIX const& a, D3DMATRIX const& b)
{
    D3DMATRIX result = {};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[row][k] * b.m[k][column];
            result.m[row][column] = sum;
        }
    }
    return result;
}

// The world position (row vector) to (u, v, 0, 1).
D3DMATRIX GetPlacement(CLightPattern::SLayer const& layer)
{
    D3DMATRIX placement = {};
    for (int row = 0; row < 4; ++row) {
        placement.m[row][0] = layer.u[static_cast<std::size_t>(row)];
        placement.m[row][1] = layer.v[static_cast<std::size_t>(row)];
    }
    placement.m[3][3] = 1.0f;
    return placement;
}
} // namespace

void CLightPattern::SetLayer(unsigned int index, SLayer const& layer)
{
    if (index >= MaxLayers)
        return;
    m_layers[index] = layer;
    ++m_generation;
}

void CLightPattern::Clear()
{
    m_layers = {};
    ++m_generation;
}

unsigned int CLightPattern::Apply(CDirect3DSubsystem* direct3D, unsigned int firstUnit, unsigned int units)
{
    if (!m_lit || !IsActive() || firstUnit >= units)
        return firstUnit;
    D3DMATRIX view = {};
    if (FAILED(direct3D->GetDevice()->GetTransform(D3DTS_VIEW, &view)))
        return firstUnit;
    // Coordinates are made from the camera-space position: back to the world, then placed.
    CMatrix4x4 inverse(&view.m[0][0]);
    inverse.Invert();
    D3DMATRIX cameraToWorld;
    inverse.ConvertToMatrixD3D(&cameraToWorld);

    unsigned int unit = firstUnit;
    for (SLayer const& layer : m_layers) {
        if (!layer.texture || unit >= units)
            break;
        if (layer.stillOnly && !m_still)
            continue;
        layer.texture->Enable(unit);
        // Moving models are drawn every frame: there the nearest texel, without mip levels, costs
        // a software rasteriser far less and is not seen on a moving body. The still background
        // is drawn rarely and shows the pattern over wide surfaces: smoothly filtered.
        unsigned int const filter = m_still ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        direct3D->SetTextureMagFilter(unit, filter);
        direct3D->SetTextureMinFilter(unit, filter);
        direct3D->SetTextureMipFilter(unit, m_still ? D3DTEXF_POINT : D3DTEXF_NONE);
        direct3D->SetTextureAdressU(unit, D3DTADDRESS_WRAP);
        direct3D->SetTextureAdressV(unit, D3DTADDRESS_WRAP);
        direct3D->SetTextureColorOperation(unit, D3DTOP_MODULATE2X);
        direct3D->SetTextureCoordinateIndex(unit, D3DTSS_TCI_CAMERASPACEPOSITION);
        direct3D->SetTextureTransform(unit, Multiply(cameraToWorld, GetPlacement(layer)));
        ++unit;
    }
    return unit;
}
