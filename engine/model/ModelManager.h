#pragma once

#include <vector>

#include "core/SlotTable.h"
#include "math/Vector.h"
#include "model/KeptBackground.h"
#include "model/Model.h"

class IDirect3DDevice8;

// Owns every model of the engine; each frame refreshes and sorts the visible ones,
// clears the back buffer, draws them in one scene and presents.
class CModelManager
{
public:
    static constexpr unsigned int DefaultClearState = 3;

    CModelManager() = default;
    ~CModelManager() { Destroy(); }
    CModelManager(CModelManager const&) = delete;
    CModelManager& operator=(CModelManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    // A file that cannot be loaded gives the unit box on camera 0; the model is added either way.
    CModel* AddModel(char const* fileName, unsigned int cameraIndex);
    CModel* AddModel(CModel const& model);
    CModel* AddModel(unsigned int properties, unsigned int triangleSetsCount, unsigned int verticesCount,
                     unsigned int framesCount, unsigned int cameraIndex);
    CModel* AddModelBox(CShaderDescriptor const& shader, CVector3 const& min, CVector3 const& max,
                        unsigned int cameraIndex);
    CModel* AddModelTorus(CShaderDescriptor const& shader, float majorRadius, float minorRadius,
                          unsigned int rings, unsigned int sides, unsigned int cameraIndex);

    // Fill a model the caller owns; the manager does not keep it.
    void CreateModel(CModel* model, char const* fileName, unsigned int cameraIndex);
    void CreateModel(CModel* model, CModel const& source);
    void CreateModel(CModel* model, unsigned int properties, unsigned int triangleSetsCount,
                     unsigned int verticesCount, unsigned int framesCount);
    void CreateModelBox(CModel* model, CShaderDescriptor const& shader, CVector3 const& min,
                        CVector3 const& max, unsigned int cameraIndex);
    void CreateModelTorus(CModel* model, CShaderDescriptor const& shader, float majorRadius,
                          float minorRadius, unsigned int rings, unsigned int sides,
                          unsigned int cameraIndex);

    // Null, or a model this manager does not hold, changes nothing.
    void RemoveModel(CModel* model);

    unsigned int GetOccupiedModelsIndicesCount() const { return m_table.GetOccupiedCount(); }
    unsigned int GetOccupiedModelIndex(unsigned int i) const { return m_table.GetOccupiedSlot(i); }
    // Null for an empty slot or one past the table.
    CModel* GetModel(unsigned int slot) const { return m_table.Get(slot); }

    unsigned int GetTrianglesCount() const { return m_trianglesCount; }
    unsigned int GetVisibleTrianglesCount() const { return m_visibleTrianglesCount; }
    // CPU seconds the last BeginFrame spent refreshing the models (animation, skinning,
    // morphs) and drawing them (clear, draw submission).
    double GetLastRefreshSeconds() const { return m_lastRefreshSeconds; }
    double GetLastDrawSeconds() const { return m_lastDrawSeconds; }

    // Bit 1 clears the colour target, 2 the depth buffer, 4 the stencil; 0 clears nothing.
    void SetClearState(unsigned int state) { m_clearState = state; }
    unsigned int GetClearState() const { return m_clearState; }
    void SetClearColor(CVector4 const& color) { m_clearColor = color; }
    CVector4 const& GetClearColor() const { return m_clearColor; }

    // The models in the order of the last frame's drawing.
    unsigned int GetDrawListSize() const { return static_cast<unsigned int>(m_drawList.size()); }
    CModel* GetDrawListModel(unsigned int i) const { return m_drawList[i]; }

    // Frames start from a kept copy of the background models while it still shows them
    // (where the device can keep one; it readies itself when keeping is turned on).
    void SetBackgroundKeeping(bool keep);
    bool IsBackgroundKeeping() const { return m_keptBackground.IsEnabled(); }
    // Draws the last frame's background models once into a trial copy of one pixel, so that the
    // driver builds what drawing into the copy takes now, not at the first frame that keeps it.
    void ReadyBackgroundKeeping();
    // Whether the last frame started from the kept background.
    bool WasBackgroundRestored() const { return m_backgroundRestored; }

    // Refresh, sort, clear and draw; nothing while the device is lost.
    void BeginFrame();
    // Presents the frame; a lost device is left to the next frame's housekeeping.
    void FinishFrame();

private:
    CModel* Insert(CModel* model);
    void CreateFallbackBox(CModel* model);
    void SortDrawList();
    void Clear(IDirect3DDevice8* device);
    // One pass over the draw list per view of the camera manager.
    void DrawViews(IDirect3DDevice8* device);

    bool m_free = true;
    SModelManagers m_managers;
    TSlotTable<CModel> m_table;
    std::vector<CModel*> m_drawList;
    unsigned int m_trianglesCount = 0;
    unsigned int m_visibleTrianglesCount = 0;
    double m_lastRefreshSeconds = 0.0;
    double m_lastDrawSeconds = 0.0;
    unsigned int m_clearState = DefaultClearState;
    CVector4 m_clearColor{0.7f, 0.7f, 0.7f, 1.0f};
    CKeptBackground m_keptBackground;
    bool m_backgroundRestored = false;
    bool m_backgroundKeepingWanted = false;
};
