#include "render/Camera.h"

#include <cmath>
#include <numbers>

#include "render/Direct3DSubsystem.h"

namespace
{
D3DMATRIX ZeroMatrixD3D()
{
    D3DMATRIX matrix;
    for (auto& row : matrix.m)
        for (float& element : row)
            element = 0.0f;
    return matrix;
}
} // namespace

void CCamera::Create(CDirect3DSubsystem* direct3DSubsystem, ECameraType const& type)
{
    Destroy();
    // Every setting back to a new camera's.
    *this = CCamera();
    m_direct3DSubsystem = direct3DSubsystem;
    m_type = type;
    m_frustum.Create();
    m_free = false;
}

void CCamera::Destroy()
{
    if (m_free)
        return;
    m_frustum.Destroy();
    m_direct3DSubsystem = nullptr;
    m_free = true;
}

float CCamera::GetTop() const
{
    return m_near * std::tan(m_fov * AspectRatio * std::numbers::pi_v<float> * 0.5f / 360.0f);
}

void CCamera::BuildPerspective(float aspect)
{
    float const n = m_near;
    float const halfHeight = GetTop();
    float const halfWidth = halfHeight * (aspect > 0.0f ? aspect : AspectRatio);
    float const left = -halfWidth + 2.0f * halfWidth * m_part.left;
    float const right = left + 2.0f * halfWidth * m_part.width;
    float const top = halfHeight - 2.0f * halfHeight * m_part.top;
    float const bottom = top - 2.0f * halfHeight * m_part.height;

    auto device = [&](float f) {
        D3DMATRIX matrix = ZeroMatrixD3D();
        matrix._11 = 2.0f * n / (right - left);
        matrix._22 = 2.0f * n / (top - bottom);
        matrix._31 = (right + left) / (left - right);
        matrix._32 = (top + bottom) / (bottom - top);
        matrix._33 = f / (f - n);
        matrix._34 = 1.0f;
        matrix._43 = n * f / (n - f);
        return matrix;
    };
    m_projectionD3D = device(m_far);
    m_projectionZBiasedD3D = device(m_far + 1.0f);

    float const f = m_far;
    m_projection.SetZero();
    m_projection.Set(0, 0, 2.0f * n / (right - left));
    m_projection.Set(1, 1, 2.0f * n / (top - bottom));
    m_projection.Set(2, 0, (right + left) / (right - left));
    m_projection.Set(2, 1, (top + bottom) / (top - bottom));
    m_projection.Set(2, 2, -(f + n) / (f - n));
    m_projection.Set(2, 3, -1.0f);
    m_projection.Set(3, 2, -2.0f * f * n / (f - n));
}

void CCamera::BuildOrthographic()
{
    float const n = m_near;
    float const w = m_screenWidth;
    float const h = m_screenHeight;

    auto device = [&](float f) {
        D3DMATRIX matrix = ZeroMatrixD3D();
        matrix._11 = 2.0f / w;
        matrix._22 = 2.0f / h;
        matrix._33 = 1.0f / (n - f);
        matrix._41 = -1.0f;
        matrix._42 = -1.0f;
        matrix._43 = n / (n - f);
        matrix._44 = 1.0f;
        return matrix;
    };
    m_projectionD3D = device(m_far);
    m_projectionZBiasedD3D = device(m_far + 1.0f);

    float const f = m_far;
    m_projection.SetZero();
    m_projection.Set(0, 0, 2.0f / w);
    m_projection.Set(1, 1, 2.0f / h);
    m_projection.Set(2, 2, -2.0f / (f - n));
    m_projection.Set(3, 0, -1.0f);
    m_projection.Set(3, 1, -1.0f);
    m_projection.Set(3, 2, -(n + f) / (f - n));
    m_projection.Set(3, 3, 1.0f);
}

void CCamera::BuildView()
{
    m_modelView.SetIdentity();
    m_modelView.RotateX(-m_angles.x);
    m_modelView.RotateZ(m_angles.z);
    m_modelView.Translate(-m_position);

    // The device wants the row-vector form, looking along +z.
    CMatrix4x4 view = m_modelView;
    view.Transpose();
    for (int row = 0; row < 4; ++row)
        view.Set(row, 2, -view.Get(row, 2));
    view.ConvertToMatrixD3D(&m_viewD3D);
}

void CCamera::Refresh(float const& aspect)
{
    if (m_type == CT_PERSPECTIVE)
        BuildPerspective(aspect);
    else
        BuildOrthographic();
    BuildView();

    // The projection is kept in row-vector order, so the view joins it transposed.
    CMatrix4x4 rowView = m_modelView;
    rowView.Transpose();
    m_frustum.Refresh(m_projection, rowView);
    m_clip = rowView * m_projection;
    m_clip.Transpose();
}

void CCamera::Apply()
{
    IDirect3DDevice8* device = m_direct3DSubsystem->GetDevice();
    m_direct3DSubsystem->Check("Camera::Apply", device->SetTransform(D3DTS_VIEW, &m_viewD3D));
    m_direct3DSubsystem->Check("Camera::Apply", device->SetTransform(D3DTS_PROJECTION, &m_projectionD3D));
}

void CCamera::ApplyZBiased()
{
    IDirect3DDevice8* device = m_direct3DSubsystem->GetDevice();
    m_direct3DSubsystem->Check("Camera::ApplyZBiased", device->SetTransform(D3DTS_VIEW, &m_viewD3D));
    m_direct3DSubsystem->Check("Camera::ApplyZBiased",
                               device->SetTransform(D3DTS_PROJECTION, &m_projectionZBiasedD3D));
}
