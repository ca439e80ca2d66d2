#include "model/ModelManager.h"

#include <algorithm>
#include <memory>

#include "core/MessageManager.h"
#include "platform/gl/Direct3D8.h"
#include "platform/os/Clock.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/LightManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr char FrameLabel[] = "ModelManager::Refresh";
// BeginBackBufferKeeping: draw over the copy kept last, or into a fresh one.
constexpr BOOL OverKeptCopy = 1;
constexpr BOOL IntoFreshCopy = 0;

// Drawing order of the groups: opaque, then models of neither group, then transparent.
int GetGroupRank(CModel const* model)
{
    unsigned int const properties = model->GetProperties();
    if (properties & MP_OPAQUE)
        return 0;
    if (properties & MP_TRANSPARENT)
        return 2;
    return 1;
}
} // namespace

void CModelManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                           CFileManager* fileManager, CTimerManager* timerManager,
                           CDirect3DSubsystem* direct3DSubsystem, CCameraManager* cameraManager,
                           CLightManager* lightManager, CShaderManager* shaderManager)
{
    Destroy();
    m_managers = {messageManager,    memoryManager, fileManager,  timerManager,
                  direct3DSubsystem, cameraManager, lightManager, shaderManager};
    m_clearState = DefaultClearState;
    m_clearColor = {0.7f, 0.7f, 0.7f, 1.0f};
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nModel Manager creation...");
    m_free = false;
}

void CModelManager::Destroy()
{
    if (m_free)
        return;
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nModel Manager destroying...");
    m_table.Clear();
    m_drawList.clear();
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
    m_free = true;
}

CModel* CModelManager::Insert(CModel* model)
{
    m_table.Insert(model);
    // The frame's draw list never grows past the table, so BeginFrame does not allocate.
    m_drawList.reserve(m_table.GetSlotsCount());
    return model;
}

void CModelManager::CreateFallbackBox(CModel* model)
{
    CShaderDescriptor descriptor;
    m_managers.shaderManager->CreateShaderDescriptor(&descriptor, 0u);
    CreateModelBox(model, descriptor, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 0);
}

void CModelManager::CreateModel(CModel* model, char const* fileName, unsigned int cameraIndex)
{
    if (!model->Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                       m_managers.timerManager, m_managers.direct3DSubsystem, m_managers.cameraManager,
                       m_managers.lightManager, m_managers.shaderManager, fileName, cameraIndex)) {
        CreateFallbackBox(model);
    }
}

void CModelManager::CreateModel(CModel* model, CModel const& source)
{
    model->Create(source);
}

void CModelManager::CreateModel(CModel* model, unsigned int properties, unsigned int triangleSetsCount,
                                unsigned int verticesCount, unsigned int framesCount)
{
    model->Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                  m_managers.timerManager, m_managers.direct3DSubsystem, m_managers.cameraManager,
                  m_managers.lightManager, m_managers.shaderManager, properties, triangleSetsCount,
                  verticesCount, framesCount, 0);
}

void CModelManager::CreateModelBox(CModel* model, CShaderDescriptor const& shader, CVector3 const& min,
                                   CVector3 const& max, unsigned int cameraIndex)
{
    model->CreateBox(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                     m_managers.timerManager, m_managers.direct3DSubsystem, m_managers.cameraManager,
                     m_managers.lightManager, m_managers.shaderManager, shader, min, max, cameraIndex);
}

void CModelManager::CreateModelTorus(CModel* model, CShaderDescriptor const& shader, float majorRadius,
                                     float minorRadius, unsigned int rings, unsigned int sides,
                                     unsigned int cameraIndex)
{
    model->CreateTorus(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                       m_managers.timerManager, m_managers.direct3DSubsystem, m_managers.cameraManager,
                       m_managers.lightManager, m_managers.shaderManager, shader, majorRadius, minorRadius,
                       rings, sides, cameraIndex);
}

CModel* CModelManager::AddModel(char const* fileName, unsigned int cameraIndex)
{
    auto model = std::make_unique<CModel>();
    CreateModel(model.get(), fileName, cameraIndex);
    return Insert(model.release());
}

CModel* CModelManager::AddModel(CModel const& source)
{
    auto model = std::make_unique<CModel>();
    CreateModel(model.get(), source);
    return Insert(model.release());
}

CModel* CModelManager::AddModel(unsigned int properties, unsigned int triangleSetsCount,
                                unsigned int verticesCount, unsigned int framesCount,
                                unsigned int cameraIndex)
{
    auto model = std::make_unique<CModel>();
    model->Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                  m_managers.timerManager, m_managers.direct3DSubsystem, m_managers.cameraManager,
                  m_managers.lightManager, m_managers.shaderManager, properties, triangleSetsCount,
                  verticesCount, framesCount, cameraIndex);
    return Insert(model.release());
}

CModel* CModelManager::AddModelBox(CShaderDescriptor const& shader, CVector3 const& min, CVector3 const& max,
                                   unsigned int cameraIndex)
{
    auto model = std::make_unique<CModel>();
    CreateModelBox(model.get(), shader, min, max, cameraIndex);
    return Insert(model.release());
}

CModel* CModelManager::AddModelTorus(CShaderDescriptor const& shader, float majorRadius, float minorRadius,
                                     unsigned int rings, unsigned int sides, unsigned int cameraIndex)
{
    auto model = std::make_unique<CModel>();
    CreateModelTorus(model.get(), shader, majorRadius, minorRadius, rings, sides, cameraIndex);
    return Insert(model.release());
}

void CModelManager::RemoveModel(CModel* model)
{
    // Off the draw list first: removing deletes the model. Only held models are listed.
    std::erase(m_drawList, model);
    m_table.Remove(model);
}

void CModelManager::SortDrawList()
{
    // While the background is kept its models come first, to be drawn into the copy.
    bool const backgroundFirst = m_keptBackground.IsEnabled();
    auto const rank = [backgroundFirst](CModel const* model) {
        return backgroundFirst && CKeptBackground::IsBackground(model) ? -1 : GetGroupRank(model);
    };
    std::sort(m_drawList.begin(), m_drawList.end(), [&rank](CModel const* a, CModel const* b) {
        int const rankA = rank(a);
        int const rankB = rank(b);
        if (rankA != rankB)
            return rankA < rankB;
        // The background's order is part of its fingerprint: equal depths must not swap.
        if (rankA < 0 && a->GetDepthValue() == b->GetDepthValue())
            return a < b;
        if (rankA <= 0)
            return a->GetDepthValue() < b->GetDepthValue();
        if (rankA == 2)
            return a->GetDepthValue() > b->GetDepthValue();
        return false;
    });
}

void CModelManager::BeginFrame()
{
    if (m_free || !m_managers.direct3DSubsystem || m_managers.direct3DSubsystem->IsDeviceLost())
        return;
    double const start = platform::GetThreadCpuSeconds();
    m_trianglesCount = 0;
    m_visibleTrianglesCount = 0;
    m_drawList.clear();
    m_table.ForEach([this](CModel* model) {
        if (!model->IsVisible())
            return;
        model->Refresh(true);
        m_drawList.push_back(model);
        m_trianglesCount += model->GetTrianglesCount();
        m_visibleTrianglesCount += model->GetVisibleTrianglesCount();
    });
    SortDrawList();
    double const refreshed = platform::GetThreadCpuSeconds();
    m_lastRefreshSeconds = refreshed - start;
    m_lastDrawSeconds = 0.0;

    IDirect3DDevice8* device = m_managers.direct3DSubsystem->GetDevice();
    if (!device)
        return;
    if (m_managers.cameraManager && !m_managers.cameraManager->IsSingleView()) {
        DrawViews(device);
        m_lastDrawSeconds = platform::GetThreadCpuSeconds() - refreshed;
        return;
    }
    std::size_t const background = m_keptBackground.Prepare(m_drawList, m_managers.lightManager,
                                                            m_managers.direct3DSubsystem->GetConfig());
    m_backgroundRestored = m_keptBackground.IsCurrent() && SUCCEEDED(device->RestoreBackBuffer());
    // Only animated stages, texture placement or the light pattern changed (the caustics): the
    // models they belong to are drawn again over the kept copy. Otherwise a fresh background
    // goes straight into the copy.
    // Either way the copy then starts the frame.
    bool const repainting = !m_backgroundRestored && m_keptBackground.CanRepaint() &&
                            SUCCEEDED(device->BeginBackBufferKeeping(OverKeptCopy));
    bool const drawingIntoCopy = repainting || (!m_backgroundRestored && background > 0 &&
                                                SUCCEEDED(device->BeginBackBufferKeeping(IntoFreshCopy)));
    if (m_backgroundRestored)
        m_keptBackground.Restored();
    else if (!repainting)
        Clear(device);
    m_managers.direct3DSubsystem->Check(FrameLabel, device->BeginScene());
    for (std::size_t i = 0; i < m_drawList.size(); ++i) {
        bool const kept =
            i < background && (m_backgroundRestored || (repainting && !m_keptBackground.NeedsRepaint(i)));
        if (!kept)
            m_drawList[i]->Draw();
        if (i + 1 != background || m_backgroundRestored)
            continue;
        bool const copied = SUCCEEDED(device->KeepBackBuffer());
        m_keptBackground.Kept(copied, !repainting);
        if (!copied && drawingIntoCopy) {
            // The background went into a copy that is lost: draw it again, into the frame.
            Clear(device);
            for (std::size_t j = 0; j < background; ++j)
                m_drawList[j]->Draw();
        }
    }
    m_managers.direct3DSubsystem->Check(FrameLabel, device->EndScene());
    // What is drawn outside the models (the console, the overlay) receives no light pattern.
    if (m_managers.lightManager)
        m_managers.lightManager->GetPattern().Receive(false, false);
    m_lastDrawSeconds = platform::GetThreadCpuSeconds() - refreshed;
}

void CModelManager::DrawViews(IDirect3DDevice8* device)
{
    // Each view draws the same models; the kept background holds one view's picture only.
    m_backgroundRestored = false;
    m_keptBackground.Forget();
    Clear(device);
    m_managers.direct3DSubsystem->Check(FrameLabel, device->BeginScene());
    for (unsigned int view = 0; view < m_managers.cameraManager->GetViewsCount(); ++view) {
        m_managers.cameraManager->BeginView(view);
        for (CModel* model : m_drawList)
            model->Draw();
    }
    m_managers.cameraManager->EndViews();
    m_managers.direct3DSubsystem->Check(FrameLabel, device->EndScene());
    if (m_managers.lightManager)
        m_managers.lightManager->GetPattern().Receive(false, false);
}

void CModelManager::Clear(IDirect3DDevice8* device)
{
    if (m_clearState == 0)
        return;
    DWORD flags = 0;
    if (m_clearState & 1)
        flags |= D3DCLEAR_TARGET;
    if (m_clearState & 2)
        flags |= D3DCLEAR_ZBUFFER;
    if (m_clearState & 4)
        flags |= D3DCLEAR_STENCIL;
    m_managers.direct3DSubsystem->Check(FrameLabel,
                                        device->Clear(0, nullptr, flags, PackColor(m_clearColor), 1.0f, 0));
}

void CModelManager::SetBackgroundKeeping(bool keep)
{
    if (keep == m_backgroundKeepingWanted)
        return;
    m_backgroundKeepingWanted = keep;
    IDirect3DDevice8* device =
        m_managers.direct3DSubsystem ? m_managers.direct3DSubsystem->GetDevice() : nullptr;
    m_keptBackground.SetEnabled(keep && device && SUCCEEDED(device->PrepareBackBufferKeeping()));
    if (keep)
        return;
    m_keptBackground.Forget();
    if (device)
        device->ReleaseKeptBackBuffer();
}

void CModelManager::ReadyBackgroundKeeping()
{
    if (m_free || !m_keptBackground.IsEnabled() || !m_managers.direct3DSubsystem ||
        m_managers.direct3DSubsystem->IsDeviceLost())
        return;
    IDirect3DDevice8* device = m_managers.direct3DSubsystem->GetDevice();
    if (!device || FAILED(device->BeginBackBufferTrial()))
        return;
    if (SUCCEEDED(device->BeginScene())) {
        for (CModel* model : m_drawList) {
            if (CKeptBackground::IsBackground(model))
                model->Draw();
        }
        m_managers.direct3DSubsystem->Check(FrameLabel, device->EndScene());
    }
    device->KeepBackBuffer();
    // Whatever copy was kept went with the trial.
    m_keptBackground.Forget();
}

void CModelManager::FinishFrame()
{
    if (m_free || !m_managers.direct3DSubsystem)
        return;
    IDirect3DDevice8* device = m_managers.direct3DSubsystem->GetDevice();
    if (!device)
        return;
    HRESULT const result = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (result != D3DERR_DEVICELOST)
        m_managers.direct3DSubsystem->Check(FrameLabel, result);
}
