#include "model/SpriteGroupManager.h"

#include <algorithm>

#include "core/MessageManager.h"

void CSpriteGroupManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                 CCameraManager* cameraManager, CShaderManager* shaderManager,
                                 CModelManager* modelManager)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_cameraManager = cameraManager;
    m_shaderManager = shaderManager;
    m_modelManager = modelManager;
    if (m_messageManager)
        m_messageManager->Write("\nSprite Group Manager creation...");
    m_free = false;
}

void CSpriteGroupManager::Destroy()
{
    if (m_free)
        return;
    if (m_messageManager)
        m_messageManager->Write("\nSprite Group Manager destroying...");
    for (unsigned int slot : m_occupied) {
        delete m_slots[slot];
        m_slots[slot] = nullptr;
    }
    m_occupied.clear();
    m_freeSlots.clear();
    m_slots.clear();
    m_free = true;
}

CSpriteGroup* CSpriteGroupManager::Insert(CSpriteGroup* group)
{
    unsigned int slot;
    if (!m_freeSlots.empty()) {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_slots[slot] = group;
    } else {
        slot = static_cast<unsigned int>(m_slots.size());
        m_slots.push_back(group);
    }
    m_occupied.push_back(slot);
    return group;
}

CSpriteGroup* CSpriteGroupManager::AddSpriteGroup(unsigned int const& count, CShaderDescriptor const& shader,
                                                  unsigned int const& cameraIndex)
{
    auto* group = new CSpriteGroup;
    CreateSpriteGroup(group, count, shader, cameraIndex);
    return Insert(group);
}

CSpriteGroup* CSpriteGroupManager::AddSpriteGroup(CSpriteGroup const& source)
{
    auto* group = new CSpriteGroup;
    CreateSpriteGroup(group, source);
    return Insert(group);
}

void CSpriteGroupManager::CreateSpriteGroup(CSpriteGroup* group, unsigned int const& count,
                                            CShaderDescriptor const& shader, unsigned int const& cameraIndex)
{
    group->Create(m_messageManager, m_memoryManager, m_cameraManager, m_shaderManager, m_modelManager, count,
                  shader, cameraIndex);
}

void CSpriteGroupManager::CreateSpriteGroup(CSpriteGroup* group, CSpriteGroup const& source)
{
    group->Create(source);
}

void CSpriteGroupManager::RemoveSpriteGroup(CSpriteGroup* group)
{
    if (!group)
        return;
    for (auto it = m_occupied.begin(); it != m_occupied.end(); ++it) {
        if (m_slots[*it] != group)
            continue;
        unsigned int const slot = *it;
        m_occupied.erase(it);
        delete group;
        m_slots[slot] = nullptr;
        m_freeSlots.push_back(slot);
        return;
    }
}

void CSpriteGroupManager::Refresh()
{
    if (m_free)
        return;
    for (unsigned int slot : m_occupied)
        m_slots[slot]->Refresh();
}
