#pragma once

#include <vector>

#include "math/Vector.h"
#include "platform/window/MonitorRect.h"
#include "render/Camera.h"
#include "render/ViewLayout.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;
class CWindow;

// A fixed pool of cameras, the viewport, and the camera last sent to the device.
class CCameraManager
{
public:
    static constexpr unsigned int MaxCameras = 32;

    CCameraManager() = default;
    ~CCameraManager() { Destroy(); }
    CCameraManager(CCameraManager const&) = delete;
    CCameraManager& operator=(CCameraManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CWindow* window,
                CDirect3DSubsystem* direct3DSubsystem);
    void Destroy();
    bool IsFree() const { return m_free; }

    // The first free slot; all 32 in use is fatal.
    unsigned int AddCamera(ECameraType const& type);
    void RemoveCamera(unsigned int const& index);
    // Null for an index past the pool.
    CCamera* GetCamera(unsigned int const& index);
    unsigned int GetCamerasCount() const;

    // Sends the camera unless it was the last one applied with the same flag this frame.
    void ApplyCamera(CCamera* camera, bool zBiased);

    // x, y, width, height.
    unsigned int const* GetViewport() const { return m_viewport; }
    void SetViewport(unsigned int x, unsigned int y, unsigned int width, unsigned int height);
    // Limits what a camera draws to a rectangle of the window (x, y from its top left, in
    // pixels); a zero width gives the camera the whole window again.
    void SetCameraScreenArea(unsigned int index, unsigned int x, unsigned int y, unsigned int width,
                             unsigned int height);

    // World point to viewport coordinates (x, y in pixels, y upwards; z in 0..1).
    CVector3 GetProjectedPoint(CCamera const* camera, CVector3 const& point) const;
    CVector3 GetProjectedPoint(unsigned int const& index, CVector3 const& point);
    // The inverse of GetProjectedPoint; (0, 0, 0) when the point cannot be unprojected.
    CVector3 GetUnprojectedPoint(CCamera const* camera, CVector3 const& point) const;
    CVector3 GetUnprojectedPoint(unsigned int const& index, CVector3 const& point);

    // How the monitors of the window show the scene (read at the next Refresh).
    void SetMonitorLayout(EMonitorLayout layout) { m_monitorLayout = layout; }
    EMonitorLayout GetMonitorLayout() const { return m_monitorLayout; }
    // Rectangles to draw views into instead of the monitors the window reports (drawable
    // pixels); an empty list follows the window again.
    void SetMonitorRects(std::vector<platform::MonitorRect> const& monitors);

    // The views of this frame: one per monitor the window covers.
    unsigned int GetViewsCount() const { return static_cast<unsigned int>(m_views.size()); }
    SView const& GetView(unsigned int index) const { return m_views[index]; }
    // True when the frame is drawn as one view of the whole window (one monitor).
    bool IsSingleView() const;
    // Readies the device and the perspective cameras for drawing one view.
    void BeginView(unsigned int index);
    // Back to the whole window and the view volume that holds every view.
    void EndViews();

    // Viewport from the window, the views from its monitors, every camera in use refreshed
    // with the volume that holds every view, the applied camera forgotten.
    void Refresh();

private:
    // Sends the rectangle to the device unless it is the one it has.
    void ApplyScreenArea(unsigned int const* area);
    void RefreshViews(unsigned int width, unsigned int height);
    void RefreshCameras(SView const& view);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CWindow* m_window = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    unsigned int m_viewport[4] = {0, 0, 1, 1};
    CCamera m_cameras[MaxCameras];
    CCamera* m_appliedCamera = nullptr;
    bool m_appliedZBiased = false;
    unsigned int m_screenAreas[MaxCameras][4] = {};
    bool m_hasScreenAreas = false; // the device's viewport is only touched once an area was set
    unsigned int m_appliedArea[4] = {};
    bool m_areaApplied = false;
    EMonitorLayout m_monitorLayout = EMonitorLayout::Automatic;
    std::vector<platform::MonitorRect> m_givenMonitors;
    std::vector<SView> m_views;
    SView m_enclosingView;
    unsigned int m_viewsWidth = 0;
    unsigned int m_viewsHeight = 0;
    EMonitorLayout m_viewsLayout = EMonitorLayout::Automatic;
    unsigned int m_viewsMonitorsChangeCount = 0;
    bool m_viewportMoved = false; // a view's viewport was sent since the last whole-window one
};
