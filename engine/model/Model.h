#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "math/BoundingBox.h"
#include "math/Matrix4x4.h"
#include "math/Ray.h"
#include "math/Vector.h"
#include "model/AnimationControl.h"
#include "model/DetailLevels.h"
#include "model/ModelFile.h"
#include "model/Skeleton.h"
#include "model/Skinning.h"
#include "render/Octree.h"

class CCamera;
class CCameraManager;
class CDirect3DSubsystem;
class CFileManager;
class CLightManager;
class CMemoryManager;
class CMessageManager;
class CShaderDescriptor;
class CShaderManager;
class CTimerManager;
class TriangleSet;
class VertexBuffer;

// The managers a model draws and loads with (none owned).
struct SModelManagers
{
    CMessageManager* messageManager = nullptr;
    CMemoryManager* memoryManager = nullptr;
    CFileManager* fileManager = nullptr;
    CTimerManager* timerManager = nullptr;
    CDirect3DSubsystem* direct3DSubsystem = nullptr;
    CCameraManager* cameraManager = nullptr;
    CLightManager* lightManager = nullptr;
    CShaderManager* shaderManager = nullptr;
};

// A drawable mesh: one vertex buffer, triangle sets with their shaders, an octree over
// the sets, a world matrix and optionally morph or skeletal animation.
class CModel
{
public:
    static constexpr unsigned int NameLength = 256;
    static constexpr unsigned int BoxProperties = 0x422c9;
    // Distance GetRayIntersection writes when no triangle is hit.
    static constexpr float NoIntersection = 100000.0f;

    CModel();
    CModel(CModel const& other);
    CModel& operator=(CModel const& other);
    ~CModel();

    // Loads "data\models\<fileName>"; false (and a free model) on any error.
    bool Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager,
                char const* fileName, unsigned int cameraIndex);
    // An empty model for the caller to fill; sets are made with CreateTriangleSet.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager,
                unsigned int properties, unsigned int triangleSetsCount, unsigned int verticesCount,
                unsigned int framesCount, unsigned int cameraIndex);
    void CreateBox(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                   CTimerManager* timerManager, CDirect3DSubsystem* direct3DSubsystem,
                   CCameraManager* cameraManager, CLightManager* lightManager, CShaderManager* shaderManager,
                   CShaderDescriptor const& shader, CVector3 const& min, CVector3 const& max,
                   unsigned int cameraIndex);
    void CreateTorus(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CFileManager* fileManager, CTimerManager* timerManager,
                     CDirect3DSubsystem* direct3DSubsystem, CCameraManager* cameraManager,
                     CLightManager* lightManager, CShaderManager* shaderManager,
                     CShaderDescriptor const& shader, float majorRadius, float minorRadius,
                     unsigned int rings, unsigned int sides, unsigned int cameraIndex);
    // Deep copy.
    void Create(CModel const& other);
    void Destroy();
    bool IsFree() const { return m_free; }
    void SetFree(bool free) { m_free = free; }

    // Animation, bounding box, visible sets, counts, depth, morph blend and skinning.
    void Refresh(bool useFrustum);
    void Draw();

    void CreateTriangleSet(unsigned int index, unsigned int indicesCount, unsigned int shaderIndex);
    void ChangeShader(CShaderDescriptor const& shader);

    // The opaque (0x200) and transparent (0x400) groups stay exclusive.
    void AddProperties(unsigned int properties);
    // Removing one drawing group selects the other.
    void RemoveProperties(unsigned int properties);
    unsigned int GetProperties() const { return m_properties; }
    void Show(bool visible);
    bool IsVisible() const { return (m_properties & MP_VISIBLE) != 0; }

    void SetMatrix(CMatrix4x4 const& matrix);
    // The matrix becomes matrix × current.
    void Transform(CMatrix4x4 const& matrix);
    void SaveMatrix() { m_savedMatrix = m_matrix; }
    void RestoreMatrix();
    CMatrix4x4 const& GetMatrix() const { return m_matrix; }

    void SetCameraIndex(unsigned int index);
    unsigned int GetCameraIndex() const { return m_cameraIndex; }
    CCamera* GetCamera() const { return m_camera; }

    void SetDepthValue(float const& depth) { m_depthValue = depth; }
    float GetDepthValue() const { return m_depthValue; }

    // Nearest triangle hit in model space; `distance` is left alone when the ray misses
    // the bounding box and set to NoIntersection when it hits no triangle.
    bool GetRayIntersection(CRay const& ray, float* distance) const;

    // The box around every vertex the triangle sets use.
    void CalculateAccurateBoundingBox(CBoundingBox* box) const;
    void CalculateOctree();
    CBoundingBox const& GetBoundingBox() const;

    void SetName(char const* name);
    char const* GetFileName() const { return m_name; }

    unsigned int GetTriangleSetsCount() const { return static_cast<unsigned int>(m_triangleSets.size()); }
    TriangleSet* GetTriangleSet(unsigned int index) const { return m_triangleSets[index].get(); }
    VertexBuffer* GetVertexBuffer() const { return m_vertexBuffer.get(); }
    CSkeleton* GetSkeleton() { return &m_skeleton; }
    CSkeleton const* GetSkeleton() const { return &m_skeleton; }
    COctree* GetOctree() { return &m_octree; }
    COctree const* GetOctree() const { return &m_octree; }
    AnimationControl* GetAnimationControl() const { return m_animationControl.get(); }
    unsigned int GetFramesCount() const { return m_framesCount; }
    unsigned int GetTrianglesCount() const { return m_trianglesCount; }
    unsigned int GetVisibleTrianglesCount() const { return m_visibleTrianglesCount; }
    unsigned int GetVisibleTriangleSetsCount() const { return m_visibleTriangleSetsCount; }
    unsigned int GetVisibleTriangleSet(unsigned int i) const { return m_visibleTriangleSets[i]; }

    // Model files are written with WriteModelFileImage; a model does not save itself.
    bool Save(char const* fileName) const;

private:
    // Part of the kept background and drawn blended over it.
    bool IsBackgroundDecal() const;
    static constexpr unsigned int KeyframeFloats = 10;

    void StoreManagers(SModelManagers const& managers);
    SModelManagers GetManagers() const;
    void CreateCommon(unsigned int framesCount, float speed, unsigned int cameraIndex);
    void CreateSingleLeafOctree(CVector3 const* min, CVector3 const* max);
    void BuildFromFile(SModelFile const& file);
    void FillTriangleSets(SModelFile const& file);

    void AnimateSkeleton(unsigned int frameA, unsigned int frameB, float t);
    void BlendMorphFrames(unsigned int frameA, unsigned int frameB, float t);
    void ApplySkin();
    void CollectVisibleTriangleSets(bool useFrustum);
    void SortVisibleTriangleSets();
    // The set at `index` where it exists and is drawn at the chosen level of detail.
    TriangleSet* GetDrawnTriangleSet(unsigned int index) const;
    // Calls `visit` with every set drawn at the chosen level of detail, in order.
    template <class Visit> void ForEachDrawnTriangleSet(Visit visit) const
    {
        for (unsigned int s = 0; s < m_triangleSets.size(); ++s) {
            if (TriangleSet* set = GetDrawnTriangleSet(s))
                visit(*set);
        }
    }
    // How many pixels of the view's height the bounding box's diagonal spans.
    float GetSpanInPixels() const;

    bool m_free = true;
    SModelManagers m_managers;
    char m_name[NameLength];
    unsigned int m_properties = 0;
    unsigned int m_framesCount = 1;
    std::unique_ptr<AnimationControl> m_animationControl;
    std::unique_ptr<VertexBuffer> m_vertexBuffer;
    std::vector<std::unique_ptr<TriangleSet>> m_triangleSets;
    unsigned int m_visibleTriangleSetsCount = 0;
    std::vector<unsigned int> m_visibleTriangleSets;
    // Scratch of the same capacity for ordering the visible sets without allocating.
    std::vector<unsigned int> m_sortScratch;
    CDetailLevels m_detailLevels;
    std::vector<SSkinEntry> m_skin;
    std::vector<SSkinInfluence> m_influences;
    // Highest bone any influence names (skinning is skipped when the skeleton lacks it).
    std::uint32_t m_highestInfluenceBone = 0;
    std::vector<float> m_morphFrames;
    CSkeleton m_skeleton;
    std::vector<float> m_boneKeyframes;
    COctree m_octree;
    unsigned int m_cameraIndex = 0;
    CCamera* m_camera = nullptr;
    CMatrix4x4 m_matrix = CMatrix4x4::GetIdentity();
    CMatrix4x4 m_savedMatrix = CMatrix4x4::GetIdentity();
    unsigned int m_trianglesCount = 0;
    unsigned int m_visibleTrianglesCount = 0;
    float m_depthValue = 0.0f;
};
