#pragma once

#include "math/Vector.h"
#include "render/Camera.h"

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

    // Viewport from the window, every camera in use refreshed, the applied camera forgotten.
    void Refresh();

private:
    // Sends the rectangle to the device unless it is the one it has.
    void ApplyScreenArea(unsigned int const* area);

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
};
