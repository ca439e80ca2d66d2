#pragma once

#include <vector>

#include "core/SlotTable.h"
#include "model/ParticleSystem.h"

class CFileManager;
class CMemoryManager;
class CMessageManager;
class CShaderDescriptor;
class CShaderManager;
class CSpriteGroupManager;
class CTimerManager;

// Owns every particle system of the engine and refreshes them once per frame, before the
// sprite groups build their quads.
class CParticleSystemManager
{
public:
    CParticleSystemManager() = default;
    ~CParticleSystemManager() { Destroy(); }
    CParticleSystemManager(CParticleSystemManager const&) = delete;
    CParticleSystemManager& operator=(CParticleSystemManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CShaderManager* shaderManager,
                CSpriteGroupManager* spriteGroupManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    // A file that cannot be read gives the default system.
    CParticleSystem* AddParticleSystem(char const* fileName, unsigned int const& cameraIndex);
    CParticleSystem* AddParticleSystem(unsigned int const& maxParticles, CShaderDescriptor const& shader,
                                       unsigned int const& cameraIndex);
    CParticleSystem* AddParticleSystem(CParticleSystem const& source);
    // Fill a system the caller owns; the manager does not keep it.
    bool CreateParticleSystem(CParticleSystem* system, char const* fileName, unsigned int const& cameraIndex);
    void CreateParticleSystem(CParticleSystem* system, unsigned int const& maxParticles,
                              CShaderDescriptor const& shader, unsigned int const& cameraIndex);
    void CreateParticleSystem(CParticleSystem* system, CParticleSystem const& source);
    void CreateParticleSystemDefault(CParticleSystem* system, unsigned int const& cameraIndex);
    // Null, or a system this manager does not hold, changes nothing.
    void RemoveParticleSystem(CParticleSystem* system);

    unsigned int GetOccupiedParticleSystemsIndicesCount() const { return m_table.GetOccupiedCount(); }
    unsigned int GetOccupiedParticleSystemIndex(unsigned int i) const { return m_table.GetOccupiedSlot(i); }
    // Null for an empty slot or one past the table.
    CParticleSystem* GetParticleSystem(unsigned int slot) const { return m_table.Get(slot); }

    // Refreshes every system in the order they were added.
    void Refresh();

private:
    CParticleSystem* Insert(CParticleSystem* system);

    bool m_free = true;
    SParticleSystemManagers m_managers;
    TSlotTable<CParticleSystem> m_table;
};
