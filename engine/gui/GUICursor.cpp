#include "gui/GUICursor.h"

#include "gui/GUIWindow.h"
#include "input/Controls.h"
#include "math/Matrix4x4.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/IndexBuffer.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"
#include "render/Window.h"

CGUICursor::~CGUICursor()
{
    Destroy();
}

void CGUICursor::Create(SGUIContext const& context, float size, CShaderDescriptor const& shader)
{
    Destroy();
    m_context = context;
    CModel* model =
        m_context.modelManager->AddModel(CGUIWindow::ModelProperties, 1, 4, 1, context.cameraIndex);
    model->CreateTriangleSet(0, 4, m_context.shaderManager->AddShader(shader));
    unsigned int const indices[4] = {0, 1, 2, 3};
    model->GetTriangleSet(0)->GetIndexBuffer()->CopyIndices(0, 4, indices);
    CVector3 const normal(0.0f, 0.0f, 1.0f);
    std::uint32_t const white = 0xFFFFFFFFu;
    Vertex* vertices = model->GetVertexBuffer()->Lock(0, 4);
    vertices[0] = {CVector3(0.0f, 0.0f, 0.0f), normal, white, CVector2(0.0f, 1.0f)};
    vertices[1] = {CVector3(0.0f, -size, 0.0f), normal, white, CVector2(0.0f, 0.0f)};
    vertices[2] = {CVector3(size, 0.0f, 0.0f), normal, white, CVector2(1.0f, 1.0f)};
    vertices[3] = {CVector3(size, -size, 0.0f), normal, white, CVector2(1.0f, 0.0f)};
    model->GetVertexBuffer()->Unlock();
    m_free = false;
    Adopt(model);
}

void CGUICursor::Create(SGUIContext const& context, CModel const& model)
{
    Destroy();
    m_context = context;
    CModel* copy = m_context.modelManager->AddModel(model);
    copy->SetCameraIndex(context.cameraIndex);
    m_free = false;
    Adopt(copy);
}

void CGUICursor::Adopt(CModel* model)
{
    m_model = model;
    m_model->AddProperties(0x800 | 0x400);
    m_model->SetDepthValue(Depth);
    m_model->SetMatrix(CMatrix4x4::GetTranslation(CVector3(0.0f, 0.0f, Depth)) * m_model->GetMatrix());
    m_model->SaveMatrix();
    PlaceModel();
}

void CGUICursor::Destroy()
{
    if (m_free)
        return;
    if (m_model)
        m_context.modelManager->RemoveModel(m_model);
    m_model = nullptr;
    m_free = true;
}

void CGUICursor::Show(bool show)
{
    if (m_model)
        m_model->Show(show);
}

bool CGUICursor::IsVisible() const
{
    return m_model && m_model->IsVisible();
}

void CGUICursor::SetPosition(CVector2 const& position)
{
    m_position = position;
    PlaceModel();
}

void CGUICursor::PlaceModel()
{
    if (!m_model)
        return;
    m_model->RestoreMatrix();
    m_model->Transform(CMatrix4x4::GetTranslation(CVector3(m_position.x, m_position.y, 0.0f)));
}

CVector2 CGUICursor::PixelsToGUI(CVector2 const& pixels, float windowWidth, float windowHeight,
                                 float screenWidth, float screenHeight)
{
    if (windowWidth <= 0.0f || windowHeight <= 0.0f)
        return CVector2(0.0f, 0.0f);
    return CVector2(pixels.x / windowWidth * screenWidth,
                    (windowHeight - pixels.y - 1.0f) / windowHeight * screenHeight);
}

CVector2 CGUICursor::GUIToPixels(CVector2 const& position, float windowWidth, float windowHeight,
                                 float screenWidth, float screenHeight)
{
    if (screenWidth <= 0.0f || screenHeight <= 0.0f)
        return CVector2(0.0f, 0.0f);
    return CVector2(position.x / screenWidth * windowWidth,
                    windowHeight - 1.0f - position.y / screenHeight * windowHeight);
}

void CGUICursor::Refresh()
{
    if (m_free || !m_context.controls || !m_context.window)
        return;
    CCamera const* camera = m_context.cameraManager->GetCamera(m_context.cameraIndex);
    if (!camera)
        return;
    m_position =
        PixelsToGUI(m_context.controls->GetCursorPosition(), static_cast<float>(m_context.window->GetWidth()),
                    static_cast<float>(m_context.window->GetHeight()), camera->GetScreenWidth(),
                    camera->GetScreenHeight());
    PlaceModel();
}
