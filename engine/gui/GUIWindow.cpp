#include "gui/GUIWindow.h"

#include <algorithm>
#include <cmath>

#include "math/Matrix4x4.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/IndexBuffer.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr float RotationThreshold = 0.00001f;
}

CGUIWindow::~CGUIWindow()
{
    Destroy();
}

void CGUIWindow::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                        CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent)
{
    Destroy();
    m_context = context;
    m_properties = properties;
    m_position = position;
    m_size = size;
    m_rotationAngle = 0.0f;
    m_heightAboveParent = 0;
    m_mouseOn = false;
    m_focus = false;
    m_color = CVector4(1.0f, 1.0f, 1.0f, 1.0f);
    m_shader = shader;
    m_free = false;
    CreateQuadModel();
    SetParent(parent);
    UpdateVisibility();
}

void CGUIWindow::Destroy()
{
    if (m_free)
        return;
    if (m_parent)
        m_parent->m_children.remove(this);
    m_parent = nullptr;
    // Children outlive a destroyed parent as top-level windows.
    for (CGUIWindow* child : m_children)
        child->m_parent = nullptr;
    m_children.clear();
    if (m_model)
        m_context.modelManager->RemoveModel(m_model);
    m_model = nullptr;
    m_free = true;
}

void CGUIWindow::CreateQuadModel()
{
    // Held at once, so that Destroy removes it when anything below throws.
    CModel* model = m_context.modelManager->AddModel(ModelProperties, 1, 4, 1, m_context.cameraIndex);
    m_model = model;
    model->CreateTriangleSet(0, 4, m_context.shaderManager->AddShader(m_shader));
    unsigned int const indices[4] = {0, 1, 2, 3};
    model->GetTriangleSet(0)->GetIndexBuffer()->CopyIndices(0, 4, indices);
    WriteQuadVertices();
    AdoptModel(model);
}

void CGUIWindow::WriteQuadVertices()
{
    VertexBuffer* buffer = m_model->GetVertexBuffer();
    if (!buffer || buffer->GetSize() < 4 || m_model->GetTriangleSetsCount() != 1)
        return;
    // Texture v runs up from the picture's bottom row, as in the font atlas.
    float const u0 = (m_properties & GWP_FLIP_HORIZONTAL) ? 1.0f : 0.0f;
    float const v0 = (m_properties & GWP_FLIP_VERTICAL) ? 1.0f : 0.0f;
    float const u1 = 1.0f - u0;
    float const v1 = 1.0f - v0;
    std::uint32_t const color = PackColor(m_color);
    CVector3 const normal(0.0f, 0.0f, 1.0f);
    Vertex* vertices = buffer->Lock(0, 4);
    vertices[0] = {CVector3(0.0f, 1.0f, 0.0f), normal, color, CVector2(u0, v1)};
    vertices[1] = {CVector3(0.0f, 0.0f, 0.0f), normal, color, CVector2(u0, v0)};
    vertices[2] = {CVector3(1.0f, 1.0f, 0.0f), normal, color, CVector2(u1, v1)};
    vertices[3] = {CVector3(1.0f, 0.0f, 0.0f), normal, color, CVector2(u1, v0)};
    buffer->Unlock();
}

void CGUIWindow::AdoptModel(CModel* model)
{
    m_model = model;
    m_model->AddProperties(0x800);
    m_model->SetDepthValue(GetDepth());
    m_model->SaveMatrix();
    UpdateVisibility();
    PlaceModel();
}

void CGUIWindow::ChangeModel(std::string const& fileName)
{
    if (m_free)
        return;
    m_context.modelManager->RemoveModel(m_model);
    AdoptModel(m_context.modelManager->AddModel(fileName.c_str(), m_context.cameraIndex));
}

void CGUIWindow::ChangeModel(CModel const& model)
{
    if (m_free)
        return;
    CModel* copy = m_context.modelManager->AddModel(model);
    copy->SetCameraIndex(m_context.cameraIndex);
    m_context.modelManager->RemoveModel(m_model);
    AdoptModel(copy);
}

void CGUIWindow::ChangeShader(CShaderDescriptor const& shader)
{
    m_shader = shader;
    if (m_model)
        m_model->ChangeShader(shader);
}

void CGUIWindow::AddProperties(unsigned int properties)
{
    m_properties |= properties;
    if (m_parent)
        m_properties &= ~(GWP_DEPTH_NEAR | GWP_DEPTH_FAR);
    UpdateVisibility();
}

void CGUIWindow::RemoveProperties(unsigned int properties)
{
    m_properties &= ~properties;
    UpdateVisibility();
}

void CGUIWindow::Show(bool show)
{
    if (show)
        m_properties |= GWP_SHOWN;
    else
        m_properties &= ~GWP_SHOWN;
    UpdateVisibility();
}

bool CGUIWindow::IsVisible() const
{
    return m_model && m_model->IsVisible();
}

void CGUIWindow::UpdateVisibility()
{
    if (m_free)
        return;
    bool const visible = (m_properties & GWP_SHOWN) && (!m_parent || m_parent->IsVisible());
    if (m_model) {
        m_model->Show(visible);
        m_model->SetDepthValue(GetDepth());
    }
    if (!visible)
        m_mouseOn = false;
    for (CGUIWindow* child : m_children)
        child->UpdateVisibility();
}

void CGUIWindow::SetColor(CVector4 const& color)
{
    m_color = color;
    if (m_model && m_model->GetVertexBuffer())
        m_model->GetVertexBuffer()->SetColor(color);
}

void CGUIWindow::SetParent(CGUIWindow* parent)
{
    if (parent == m_parent || parent == this)
        return;
    if (m_parent)
        m_parent->m_children.remove(this);
    m_parent = parent;
    if (m_parent) {
        m_parent->m_children.push_back(this);
        m_properties &= ~(GWP_DEPTH_NEAR | GWP_DEPTH_FAR);
    }
    UpdateVisibility();
}

void CGUIWindow::AddChild(CGUIWindow* child)
{
    if (child)
        child->SetParent(this);
}

void CGUIWindow::RemoveChild(CGUIWindow* child)
{
    if (child && child->m_parent == this)
        child->SetParent(nullptr);
}

CVector2 CGUIWindow::GetParentOffset() const
{
    CVector2 offset(0.0f, 0.0f);
    for (CGUIWindow const* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        offset = offset + ancestor->m_position;
    return offset;
}

void CGUIWindow::SetHeightAboveParent(int height)
{
    m_heightAboveParent = height;
    UpdateVisibility();
}

float CGUIWindow::GetDepth() const
{
    if (m_parent)
        return m_parent->GetDepth() - ChildDepthStep * static_cast<float>(m_heightAboveParent);
    if (m_properties & GWP_DEPTH_NEAR)
        return NearDepth;
    if (m_properties & GWP_DEPTH_FAR)
        return FarDepth;
    return DefaultDepth;
}

bool CGUIWindow::IsInside(CVector2 const& point) const
{
    CVector2 const low = GetAbsolutePosition();
    CVector2 const high = low + m_size;
    return point.x > low.x && point.x < high.x && point.y > low.y && point.y < high.y;
}

void CGUIWindow::PlaceModel()
{
    CVector2 const low = GetAbsolutePosition();
    float const depth = GetDepth();
    CMatrix4x4 matrix;
    if (std::fabs(m_rotationAngle) < RotationThreshold) {
        matrix = CMatrix4x4::GetTranslation(CVector3(low.x, low.y, depth)) *
                 CMatrix4x4::GetScale(CVector3(m_size.x, m_size.y, 1.0f));
    } else {
        CVector2 const centre = low + CVector2(0.5f * m_size.x, 0.5f * m_size.y);
        matrix = CMatrix4x4::GetTranslation(CVector3(centre.x, centre.y, depth)) *
                 CMatrix4x4::GetRotationZ(m_rotationAngle) *
                 CMatrix4x4::GetScale(CVector3(m_size.x, m_size.y, 1.0f)) *
                 CMatrix4x4::GetTranslation(CVector3(-0.5f, -0.5f, 0.0f));
    }
    m_model->SetMatrix(matrix);
    m_model->SetDepthValue(depth);
}

void CGUIWindow::Refresh(CVector2 const& cursorPosition)
{
    if (m_free || !IsVisible()) {
        m_mouseOn = false;
        return;
    }
    m_mouseOn = IsInside(cursorPosition);
    PlaceModel();
}

void CGUIWindow::FlipHorizontal()
{
    m_properties ^= GWP_FLIP_HORIZONTAL;
    if (m_model)
        WriteQuadVertices();
}

void CGUIWindow::FlipVertical()
{
    m_properties ^= GWP_FLIP_VERTICAL;
    if (m_model)
        WriteQuadVertices();
}

void CGUIWindow::SetLookFrame(unsigned int frame)
{
    if (!m_model || m_model->GetTriangleSetsCount() == 0)
        return;
    CShaderDescriptor* descriptor = m_model->GetTriangleSet(0)->GetShaderDescriptor();
    if (descriptor && descriptor->GetStagesCount() > 0)
        descriptor->GetStage(0)->time = static_cast<float>(frame);
}

unsigned int CGUIWindow::GetLookFrame() const
{
    if (!m_model || m_model->GetTriangleSetsCount() == 0)
        return 0;
    CShaderDescriptor* descriptor = m_model->GetTriangleSet(0)->GetShaderDescriptor();
    if (!descriptor || descriptor->GetStagesCount() == 0)
        return 0;
    return static_cast<unsigned int>(descriptor->GetStage(0)->time);
}
