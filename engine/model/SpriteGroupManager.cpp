#include "model/SpriteGroupManager.h"

#include <algorithm>
#include <memory>

#include "core/MessageManager.h"

void CSpriteGroupManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                 CCameraManager* cameraManager, CShaderManager* shaderManager,
                                 CModelManager* modelManager)
{
    Destroy();
    m_managers = {messageManager, memoryManager, cameraManager, shaderManager, modelManager};
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nSprite Group Manager creation...");
    m_free = false;
}

void CSpriteGroupManager::Destroy()
{
    if (m_free)
        return;
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nSprite Group Manager destroying...");
    m_table.Clear();
    m_free = true;
}

CSpriteGroup* CSpriteGroupManager::Insert(CSpriteGroup* group)
{
    return m_table.Insert(group);
}

CSpriteGroup* CSpriteGroupManager::AddSpriteGroup(unsigned int const& count, CShaderDescriptor const& shader,
                                                  unsigned int const& cameraIndex)
{
    auto group = std::make_unique<CSpriteGroup>();
    CreateSpriteGroup(group.get(), count, shader, cameraIndex);
    return Insert(group.release());
}

CSpriteGroup* CSpriteGroupManager::AddSpriteGroup(CSpriteGroup const& source)
{
    auto group = std::make_unique<CSpriteGroup>();
    CreateSpriteGroup(group.get(), source);
    return Insert(group.release());
}

void CSpriteGroupManager::CreateSpriteGroup(CSpriteGroup* group, unsigned int const& count,
                                            CShaderDescriptor const& shader, unsigned int const& cameraIndex)
{
    group->Create(m_managers, count, shader, cameraIndex);
}

void CSpriteGroupManager::CreateSpriteGroup(CSpriteGroup* group, CSpriteGroup const& source)
{
    group->Create(source);
}

void CSpriteGroupManager::RemoveSpriteGroup(CSpriteGroup* group)
{
    m_table.Remove(group);
}

void CSpriteGroupManager::Refresh()
{
    if (m_free)
        return;
    m_table.ForEach([](CSpriteGroup* group) { group->Refresh(); });
}
