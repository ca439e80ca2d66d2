#pragma once

#include "math/Matrix4x4.h"
#include "math/Vector.h"
#include "platform/gl/D3DMatrix.h"
#include "render/Frustum.h"

class CDirect3DSubsystem;

// The part of a perspective view volume a camera draws, as fractions of its width and height
// from the top left: the whole volume by default, one monitor's share of it when several
// monitors show one view.
struct SFrustumPart
{
    float left = 0.0f;
    float top = 0.0f;
    float width = 1.0f;
    float height = 1.0f;

    bool operator==(SFrustumPart const&) const = default;
};

enum ECameraType : unsigned int
{
    CT_PERSPECTIVE = 0,
    CT_ORTHOGRAPHIC = 1, // any non-zero value
};

// Projection and view from a few parameters. The field of view is in degrees; the angles
// (x pitch, y unused, z yaw) go to the rotation builders as they are.
class CCamera
{
public:
    // The width-to-height ratio the field of view was chosen for: it sets the vertical extent
    // at every aspect.
    static constexpr float AspectRatio = 1.3333334f;

    CCamera() = default;
    ~CCamera() { Destroy(); }
    CCamera(CCamera const&) = default;
    CCamera& operator=(CCamera const&) = default;

    // Near 1, far 1000, field of view 90, screen 1 × 1, angles and position zero.
    void Create(CDirect3DSubsystem* direct3DSubsystem, ECameraType const& type);
    void Destroy();
    void Destory() { Destroy(); }
    bool IsFree() const { return m_free; }

    void SetType(ECameraType const& type) { m_type = type; }
    ECameraType GetType() const { return m_type; }
    bool IsPerspective() const { return m_type == CT_PERSPECTIVE; }

    void SetPosition(CVector3 const& position) { m_position = position; }
    void SetAngles(CVector3 const& angles) { m_angles = angles; }
    void Rotate(CVector3 const& angles) { m_angles += angles; }
    void SetFOV(float const& fov) { m_fov = fov; }
    void SetNearPlaneDistance(float const& distance) { m_near = distance; }
    void SetFarPlaneDistance(float const& distance) { m_far = distance; }
    void SetScreenSize(float const& width, float const& height)
    {
        m_screenWidth = width;
        m_screenHeight = height;
    }

    CVector3 const& GetPosition() const { return m_position; }
    CVector3 const& GetAngles() const { return m_angles; }
    float GetFOV() const { return m_fov; }
    float GetNearPlaneDistance() const { return m_near; }
    float GetFarPlaneDistance() const { return m_far; }
    float GetScreenWidth() const { return m_screenWidth; }
    float GetScreenHeight() const { return m_screenHeight; }

    // The engine projection, in row-vector order (a clip point is (p, 1) × view × projection
    // with the view in row-vector order): depth −1 at the near plane, +1 at the far plane.
    CMatrix4x4 const& GetProjectionMatrix() const { return m_projection; }
    // The view as a column-vector transform: rotation about X by −angles.x, about Z by
    // angles.z, translation by −position.
    CMatrix4x4 const& GetModelViewMatrix() const { return m_modelView; }
    // Column-vector clip transform (projection after view): clip = M × (p, 1).
    CMatrix4x4 const& GetClipMatrix() const { return m_clip; }
    CFrustum const& GetFrustum() const { return m_frustum; }

    D3DMATRIX const& GetProjectionD3D() const { return m_projectionD3D; }
    D3DMATRIX const& GetProjectionZBiasedD3D() const { return m_projectionZBiasedD3D; }
    D3DMATRIX const& GetViewD3D() const { return m_viewD3D; }

    // Half-height of the perspective view volume at the near plane.
    float GetTop() const;

    // Which part of the view volume is drawn (whole by default); takes effect at Refresh.
    void SetFrustumPart(SFrustumPart const& part) { m_part = part; }
    SFrustumPart const& GetFrustumPart() const { return m_part; }

    // Rebuilds the matrices and the frustum. The perspective keeps its height and is as wide as
    // the aspect (width over height of the whole view volume) makes it.
    void Refresh(float const& aspect);
    void Apply();
    void ApplyZBiased();

private:
    void BuildPerspective(float aspect);
    void BuildOrthographic();
    void BuildView();

    bool m_free = true;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    ECameraType m_type = CT_PERSPECTIVE;
    float m_near = 1.0f;
    float m_far = 1000.0f;
    float m_fov = 90.0f;
    float m_screenWidth = 1.0f;
    float m_screenHeight = 1.0f;
    CVector3 m_angles{0.0f, 0.0f, 0.0f};
    CVector3 m_position{0.0f, 0.0f, 0.0f};
    SFrustumPart m_part;
    CMatrix4x4 m_projection = CMatrix4x4::GetIdentity();
    CMatrix4x4 m_modelView = CMatrix4x4::GetIdentity();
    CMatrix4x4 m_clip = CMatrix4x4::GetIdentity();
    D3DMATRIX m_projectionD3D = {};
    D3DMATRIX m_projectionZBiasedD3D = {};
    D3DMATRIX m_viewD3D = {};
    CFrustum m_frustum;
};
