#pragma once

#include <vector>

#include "math/Matrix4x4.h"
#include "math/Vector.h"

class CCameraManager;
class CMemoryManager;
class CMessageManager;
class CModel;
class CModelManager;
class CShaderDescriptor;
class CShaderManager;

// One camera-facing square of a sprite group.
struct SSprite
{
    bool free = true;
    // Distance to the camera, written by the refresh while depth sorting is on.
    float distance = 0.0f;
    // In the group's local space.
    CVector3 position{0.0f, 0.0f, 0.0f};
    // Half the side of the square.
    float size = 0.0f;
    // Radians about the viewing direction.
    float angle = 0.0f;
    CVector4 color{1.0f, 1.0f, 1.0f, 1.0f};
};

// The managers a sprite group works with (none owned); its manager hands every group the
// set it was created with.
struct SSpriteGroupManagers
{
    CMessageManager* messageManager = nullptr;
    CMemoryManager* memoryManager = nullptr;
    CCameraManager* cameraManager = nullptr;
    CShaderManager* shaderManager = nullptr;
    CModelManager* modelManager = nullptr;
};

// Many camera-facing squares drawn with one shader as one model: a triangle list with
// room for a fixed number of quads, rebuilt every frame for the sprites in use.
class CSpriteGroup
{
public:
    // Model properties: visible, dynamic bounding box, transparent, depth test, triangle
    // lists, static mesh and the sprite bit 0x20; no lighting.
    static constexpr unsigned int ModelProperties = 0x484a9;

    CSpriteGroup() = default;
    CSpriteGroup(CSpriteGroup const& other);
    CSpriteGroup& operator=(CSpriteGroup const& other);
    ~CSpriteGroup() { Destroy(); }

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CCameraManager* cameraManager,
                CShaderManager* shaderManager, CModelManager* modelManager, unsigned int count,
                CShaderDescriptor const& shader, unsigned int cameraIndex);
    void Create(SSpriteGroupManagers const& managers, unsigned int count, CShaderDescriptor const& shader,
                unsigned int cameraIndex);
    // A copy with its own model, the same sprites, free slots and transform.
    void Create(CSpriteGroup const& other);
    // Removes the model from the model manager.
    void Destroy();
    bool IsFree() const { return m_free; }

    // Takes the most recently freed slot; 0, with nothing changed, when the group is full.
    unsigned int AddSprite(CVector3 const& position, float size, CVector4 const& color);
    // A slot out of range or not in use changes nothing.
    void RemoveSprite(unsigned int index);
    // Null past the capacity.
    SSprite* GetSprite(unsigned int index);
    unsigned int GetCapacity() const { return m_count; }
    unsigned int GetUsedCount() const { return m_count - static_cast<unsigned int>(m_freeSlots.size()); }

    // The group's transform, applied to the sprite positions when the quads are built.
    void SetMatrix(CMatrix4x4 const& matrix) { m_matrix = matrix; }
    // The matrix becomes m × matrix.
    void Transform(CMatrix4x4 const& m) { m_matrix = m * m_matrix; }
    void SaveMatrix() { m_savedMatrix = m_matrix; }
    void RestoreMatrix() { m_matrix = m_savedMatrix; }
    CMatrix4x4 const& GetMatrix() const { return m_matrix; }

    void SetDepthSort(bool sort) { m_depthSort = sort; }
    bool GetDepthSort() const { return m_depthSort; }
    void Show(bool visible);
    bool IsVisible() const;
    CModel* GetModel() const { return m_model; }
    CShaderDescriptor* GetShaderDescriptor() const;
    void ChangeShader(CShaderDescriptor const& shader);
    // The mean local position of the sprites drawn at the last refresh.
    CVector3 const& GetCenter() const { return m_center; }
    unsigned int GetCameraIndex() const { return m_cameraIndex; }

    // Rebuilds the quads of the sprites in use, facing the group's camera; only while visible.
    void Refresh();

private:
    void FillStaticGeometry();
    void CollectDrawList(CVector3 const& cameraPosition);
    void BuildQuads(CVector3 const& right, CVector3 const& up, CVector3 const& direction, float scale);

    bool m_free = true;
    SSpriteGroupManagers m_managers;
    std::vector<unsigned int> m_freeSlots;
    unsigned int m_count = 0;
    std::vector<SSprite> m_sprites;
    std::vector<SSprite*> m_drawList;
    unsigned int m_cameraIndex = 0;
    CModel* m_model = nullptr;
    bool m_depthSort = true;
    CMatrix4x4 m_matrix = CMatrix4x4::GetIdentity();
    CMatrix4x4 m_savedMatrix = CMatrix4x4::GetIdentity();
    CVector3 m_center{0.0f, 0.0f, 0.0f};
};
