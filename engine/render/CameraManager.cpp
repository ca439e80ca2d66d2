#include "render/CameraManager.h"

#include <cmath>
#include <cstring>

#include "core/MessageManager.h"
#include "platform/window/WindowBackend.h"
#include "render/Direct3DSubsystem.h"
#include "render/Window.h"

void CCameraManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CWindow* window,
                            CDirect3DSubsystem* direct3DSubsystem)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_window = window;
    m_direct3DSubsystem = direct3DSubsystem;
    m_messageManager->Write("...Creating camera manager\n");
    SetViewport(0, 0, window ? window->GetWidth() : 1, window ? window->GetHeight() : 1);
    m_appliedCamera = nullptr;
    m_appliedZBiased = false;
    m_areaApplied = false;
    m_free = false;
}

void CCameraManager::Destroy()
{
    if (m_free)
        return;
    for (CCamera& camera : m_cameras)
        camera.Destroy();
    m_appliedCamera = nullptr;
    m_messageManager->Write("...Destroying camera manager\n");
    m_free = true;
}

unsigned int CCameraManager::AddCamera(ECameraType const& type)
{
    for (unsigned int i = 0; i < MaxCameras; ++i) {
        if (m_cameras[i].IsFree()) {
            m_cameras[i].Create(m_direct3DSubsystem, type);
            return i;
        }
    }
    m_messageManager->WriteFatalError("Camera Manager: buffer is overflowed");
}

void CCameraManager::RemoveCamera(unsigned int const& index)
{
    if (index >= MaxCameras)
        return;
    if (m_appliedCamera == &m_cameras[index])
        m_appliedCamera = nullptr;
    m_cameras[index].Destroy();
}

CCamera* CCameraManager::GetCamera(unsigned int const& index)
{
    return index < MaxCameras ? &m_cameras[index] : nullptr;
}

unsigned int CCameraManager::GetCamerasCount() const
{
    unsigned int count = 0;
    for (CCamera const& camera : m_cameras)
        count += camera.IsFree() ? 0 : 1;
    return count;
}

void CCameraManager::ApplyCamera(CCamera* camera, bool zBiased)
{
    if (camera == m_appliedCamera && zBiased == m_appliedZBiased)
        return;
    m_appliedCamera = camera;
    m_appliedZBiased = zBiased;
    if (zBiased)
        camera->ApplyZBiased();
    else
        camera->Apply();
    if (!m_hasScreenAreas)
        return;
    std::ptrdiff_t const index = camera - m_cameras;
    bool const inPool = index >= 0 && index < static_cast<std::ptrdiff_t>(MaxCameras);
    ApplyScreenArea(inPool && m_screenAreas[index][2] != 0 ? m_screenAreas[index] : m_viewport);
}

void CCameraManager::SetCameraScreenArea(unsigned int index, unsigned int x, unsigned int y,
                                         unsigned int width, unsigned int height)
{
    if (index >= MaxCameras)
        return;
    unsigned int const area[4] = {x, y, width, height};
    std::memcpy(m_screenAreas[index], area, sizeof(area));
    m_hasScreenAreas = true;
    m_appliedCamera = nullptr;
}

void CCameraManager::ApplyScreenArea(unsigned int const* area)
{
    if (m_areaApplied && std::memcmp(area, m_appliedArea, sizeof(m_appliedArea)) == 0)
        return;
    IDirect3DDevice8* device = m_direct3DSubsystem ? m_direct3DSubsystem->GetDevice() : nullptr;
    if (!device || area[2] == 0 || area[3] == 0)
        return;
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    viewport.X = area[0];
    viewport.Y = area[1];
    viewport.Width = area[2];
    viewport.Height = area[3];
    m_direct3DSubsystem->Check("CameraManager::ApplyScreenArea", device->SetViewport(&viewport));
    std::memcpy(m_appliedArea, area, sizeof(m_appliedArea));
    m_areaApplied = true;
}

void CCameraManager::SetViewport(unsigned int x, unsigned int y, unsigned int width, unsigned int height)
{
    m_viewport[0] = x;
    m_viewport[1] = y;
    m_viewport[2] = width;
    m_viewport[3] = height;
}

CVector3 CCameraManager::GetProjectedPoint(CCamera const* camera, CVector3 const& point) const
{
    CVector4 const clip = camera->GetClipMatrix() * CVector4(point);
    float const x = clip.x / clip.w * 0.5f + 0.5f;
    float const y = clip.y / clip.w * 0.5f + 0.5f;
    float const z = clip.z / clip.w * 0.5f + 0.5f;
    return {x * static_cast<float>(m_viewport[2]) + static_cast<float>(m_viewport[0]),
            y * static_cast<float>(m_viewport[3]) + static_cast<float>(m_viewport[1]), z};
}

CVector3 CCameraManager::GetProjectedPoint(unsigned int const& index, CVector3 const& point)
{
    return GetProjectedPoint(GetCamera(index), point);
}

CVector3 CCameraManager::GetUnprojectedPoint(CCamera const* camera, CVector3 const& point) const
{
    CMatrix4x4 inverse = camera->GetClipMatrix();
    inverse.Invert();
    CVector4 const normalised(
        (point.x - static_cast<float>(m_viewport[0])) * 2.0f / static_cast<float>(m_viewport[2]) - 1.0f,
        (point.y - static_cast<float>(m_viewport[1])) * 2.0f / static_cast<float>(m_viewport[3]) - 1.0f,
        2.0f * point.z - 1.0f, 1.0f);
    CVector4 const result = inverse * normalised;
    if (!(std::fabs(result.w) >= 0.00001f))
        return {0.0f, 0.0f, 0.0f};
    return {result.x / result.w, result.y / result.w, result.z / result.w};
}

CVector3 CCameraManager::GetUnprojectedPoint(unsigned int const& index, CVector3 const& point)
{
    return GetUnprojectedPoint(GetCamera(index), point);
}

void CCameraManager::SetMonitorRects(std::vector<platform::MonitorRect> const& monitors)
{
    m_givenMonitors = monitors;
    m_views.clear();
}

void CCameraManager::RefreshViews(unsigned int width, unsigned int height)
{
    // Monitors are asked for again only when they, the window's size or the layout change.
    HWND const handle = m_window ? m_window->GetHandler() : nullptr;
    unsigned int const monitorsChangeCount = handle ? handle->GetMonitorsChangeCount() : 0;
    if (!m_views.empty() && width == m_viewsWidth && height == m_viewsHeight &&
        m_monitorLayout == m_viewsLayout && monitorsChangeCount == m_viewsMonitorsChangeCount)
        return;
    m_viewsWidth = width;
    m_viewsHeight = height;
    m_viewsLayout = m_monitorLayout;
    m_viewsMonitorsChangeCount = monitorsChangeCount;
    std::vector<platform::MonitorRect> monitors = m_givenMonitors;
    int drawableWidth = static_cast<int>(width);
    int drawableHeight = static_cast<int>(height);
    if (handle) {
        handle->GetDrawableSize(&drawableWidth, &drawableHeight);
        if (monitors.empty())
            monitors = handle->GetMonitorRects();
    }
    if (drawableWidth <= 0 || drawableHeight <= 0) {
        drawableWidth = static_cast<int>(width);
        drawableHeight = static_cast<int>(height);
    }
    m_views = CViewLayout::MakeViews(monitors, m_monitorLayout, static_cast<unsigned int>(drawableWidth),
                                     static_cast<unsigned int>(drawableHeight), width, height);
    m_enclosingView = CViewLayout::MakeEnclosingView(m_views, width, height);
}

void CCameraManager::RefreshCameras(SView const& view)
{
    for (CCamera& camera : m_cameras) {
        if (camera.IsFree())
            continue;
        if (camera.IsPerspective())
            camera.SetFrustumPart(view.part);
        camera.Refresh(view.aspect);
    }
    m_appliedCamera = nullptr;
}

bool CCameraManager::IsSingleView() const
{
    if (m_views.size() != 1)
        return m_views.empty();
    SView const& view = m_views[0];
    return view.x == m_viewport[0] && view.y == m_viewport[1] && view.width == m_viewport[2] &&
           view.height == m_viewport[3] && view.part == SFrustumPart{};
}

void CCameraManager::BeginView(unsigned int index)
{
    if (index >= m_views.size())
        return;
    SView const& view = m_views[index];
    unsigned int const area[4] = {view.x, view.y, view.width, view.height};
    m_areaApplied = false;
    ApplyScreenArea(area);
    m_viewportMoved = true;
    RefreshCameras(view);
}

void CCameraManager::EndViews()
{
    if (!m_viewportMoved)
        return;
    m_areaApplied = false;
    ApplyScreenArea(m_viewport);
    m_viewportMoved = false;
    RefreshCameras(m_enclosingView);
}

void CCameraManager::Refresh()
{
    unsigned int const width = m_window ? m_window->GetWidth() : m_viewport[2];
    unsigned int const height = m_window ? m_window->GetHeight() : m_viewport[3];
    SetViewport(0, 0, width, height);
    RefreshViews(width, height);
    RefreshCameras(m_enclosingView);
    // The frame's clear covers the whole window.
    if (m_hasScreenAreas || m_viewportMoved) {
        m_areaApplied = m_areaApplied && !m_viewportMoved;
        ApplyScreenArea(m_viewport);
        m_viewportMoved = false;
    }
}
