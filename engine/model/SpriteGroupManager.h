#pragma once

#include <vector>

#include "core/SlotTable.h"
#include "model/SpriteGroup.h"

class CCameraManager;
class CMemoryManager;
class CMessageManager;
class CModelManager;
class CShaderDescriptor;
class CShaderManager;

// Owns every sprite group of the engine and refreshes them once per frame, before the
// model manager draws the scene.
class CSpriteGroupManager
{
public:
    CSpriteGroupManager() = default;
    ~CSpriteGroupManager() { Destroy(); }
    CSpriteGroupManager(CSpriteGroupManager const&) = delete;
    CSpriteGroupManager& operator=(CSpriteGroupManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CCameraManager* cameraManager,
                CShaderManager* shaderManager, CModelManager* modelManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    CSpriteGroup* AddSpriteGroup(unsigned int const& count, CShaderDescriptor const& shader,
                                 unsigned int const& cameraIndex);
    CSpriteGroup* AddSpriteGroup(CSpriteGroup const& group);
    // Fill a group the caller owns; the manager does not keep it.
    void CreateSpriteGroup(CSpriteGroup* group, unsigned int const& count, CShaderDescriptor const& shader,
                           unsigned int const& cameraIndex);
    void CreateSpriteGroup(CSpriteGroup* group, CSpriteGroup const& source);
    // Null, or a group this manager does not hold, changes nothing.
    void RemoveSpriteGroup(CSpriteGroup* group);

    unsigned int GetOccupiedSpriteGroupsIndicesCount() const { return m_table.GetOccupiedCount(); }
    unsigned int GetOccupiedSpriteGroupIndex(unsigned int i) const { return m_table.GetOccupiedSlot(i); }
    // Null for an empty slot or one past the table.
    CSpriteGroup* GetSpriteGroup(unsigned int slot) const { return m_table.Get(slot); }

    // Refreshes every group in the order they were added.
    void Refresh();

private:
    CSpriteGroup* Insert(CSpriteGroup* group);

    bool m_free = true;
    SSpriteGroupManagers m_managers;
    TSlotTable<CSpriteGroup> m_table;
};
