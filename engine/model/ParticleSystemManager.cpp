#include "model/ParticleSystemManager.h"

#include <memory>

#include "core/MessageManager.h"

void CParticleSystemManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                    CFileManager* fileManager, CTimerManager* timerManager,
                                    CShaderManager* shaderManager, CSpriteGroupManager* spriteGroupManager)
{
    Destroy();
    m_managers = {messageManager, memoryManager, fileManager,
                  timerManager,   shaderManager, spriteGroupManager};
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nParticle System Manager creation...");
    m_free = false;
}

void CParticleSystemManager::Destroy()
{
    if (m_free)
        return;
    if (m_managers.messageManager)
        m_managers.messageManager->Write("\nParticle System Manager destroying...");
    m_table.Clear();
    m_free = true;
}

CParticleSystem* CParticleSystemManager::Insert(CParticleSystem* system)
{
    return m_table.Insert(system);
}

CParticleSystem* CParticleSystemManager::AddParticleSystem(char const* fileName,
                                                           unsigned int const& cameraIndex)
{
    auto system = std::make_unique<CParticleSystem>();
    if (!CreateParticleSystem(system.get(), fileName, cameraIndex))
        CreateParticleSystemDefault(system.get(), cameraIndex);
    return Insert(system.release());
}

CParticleSystem* CParticleSystemManager::AddParticleSystem(unsigned int const& maxParticles,
                                                           CShaderDescriptor const& shader,
                                                           unsigned int const& cameraIndex)
{
    auto system = std::make_unique<CParticleSystem>();
    CreateParticleSystem(system.get(), maxParticles, shader, cameraIndex);
    return Insert(system.release());
}

CParticleSystem* CParticleSystemManager::AddParticleSystem(CParticleSystem const& source)
{
    auto system = std::make_unique<CParticleSystem>();
    CreateParticleSystem(system.get(), source);
    return Insert(system.release());
}

bool CParticleSystemManager::CreateParticleSystem(CParticleSystem* system, char const* fileName,
                                                  unsigned int const& cameraIndex)
{
    return system->Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                          m_managers.timerManager, m_managers.shaderManager, m_managers.spriteGroupManager,
                          fileName, cameraIndex);
}

void CParticleSystemManager::CreateParticleSystem(CParticleSystem* system, unsigned int const& maxParticles,
                                                  CShaderDescriptor const& shader,
                                                  unsigned int const& cameraIndex)
{
    system->Create(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                   m_managers.timerManager, m_managers.shaderManager, m_managers.spriteGroupManager,
                   maxParticles, shader, cameraIndex);
}

void CParticleSystemManager::CreateParticleSystem(CParticleSystem* system, CParticleSystem const& source)
{
    system->Create(source);
}

void CParticleSystemManager::CreateParticleSystemDefault(CParticleSystem* system,
                                                         unsigned int const& cameraIndex)
{
    system->CreateDefault(m_managers.messageManager, m_managers.memoryManager, m_managers.fileManager,
                          m_managers.timerManager, m_managers.shaderManager, m_managers.spriteGroupManager,
                          cameraIndex);
}

void CParticleSystemManager::RemoveParticleSystem(CParticleSystem* system)
{
    m_table.Remove(system);
}

void CParticleSystemManager::Refresh()
{
    if (m_free)
        return;
    m_table.ForEach([](CParticleSystem* system) { system->Refresh(); });
}
