#include "model/ParticleSystem.h"

#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "model/Model.h"
#include "model/SpriteGroup.h"
#include "model/SpriteGroupManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"

namespace
{
// Shared by every particle system of the process.
std::uint32_t g_particleRandomSeed = 0;

// Keys whose direction and spread are both shorter than this repeat the previous key.
constexpr float MinimumKeyLength = 0.05f;

ParticleSystemSettings MakeDefaultSettings(float emissionRate)
{
    ParticleSystemSettings settings;
    for (float& rate : settings.emissionRate)
        rate = emissionRate;
    return settings;
}
} // namespace

float CParticleSystem::GetRandom()
{
    g_particleRandomSeed = g_particleRandomSeed * 1103515245u + 12345u;
    return float((g_particleRandomSeed >> 16) & 0x7FFF) / 32768.0f;
}

std::uint32_t CParticleSystem::GetRandomSeed()
{
    return g_particleRandomSeed;
}

CParticleSystem& CParticleSystem::operator=(CParticleSystem const& other)
{
    if (this != &other)
        Create(other);
    return *this;
}

void CParticleSystem::Build(unsigned int capacity, CShaderDescriptor const& shader, unsigned int cameraIndex)
{
    m_spriteGroup = m_managers.spriteGroupManager->AddSpriteGroup(capacity, shader, cameraIndex);
    m_maxParticlesCount = capacity;
    m_particles.assign(capacity, SParticle{});
    m_freeParticles.resize(capacity);
    for (unsigned int i = 0; i < capacity; ++i)
        m_freeParticles[i] = capacity - 1 - i;
    m_animationTime = 0.0f;
    m_emissionAccumulator = 0.0f;
    m_aliveParticlesCount = 0;
    m_maxAliveParticlesCount = 0;
    m_loop = false;
    m_playing = false;
    m_position = {0.0f, 0.0f, 0.0f};
    m_sourceType = PSST_POINT;
    m_sourceBox.Set(CVector3(-0.5f, -0.5f, -0.5f), CVector3(0.5f, 0.5f, 0.5f));
    m_free = false;
}

bool CParticleSystem::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                             CFileManager* fileManager, CTimerManager* timerManager,
                             CShaderManager* shaderManager, CSpriteGroupManager* spriteGroupManager,
                             char const* fileName, unsigned int cameraIndex)
{
    Destroy();
    m_managers = {messageManager, memoryManager, fileManager,
                  timerManager,   shaderManager, spriteGroupManager};
    std::string const path = std::string(Directory) + fileName;
    ParticleSystemSettings settings;
    try {
        CFile file;
        m_managers.fileManager->OpenFile(&file, path, FILE_READ_BINARY);
        switch (ParticleSystemFile::Read(file, &settings)) {
        case EParticleSystemFileResult::WrongFormat:
            m_managers.messageManager->WriteFatalError("Incorrect %s file format", fileName);
        case EParticleSystemFileResult::WrongVersion:
            m_managers.messageManager->WriteFatalError("Incorrect %s format version, current is %d", fileName,
                                                       int(ParticleSystemFile::Version));
        case EParticleSystemFileResult::Ok:
            break;
        }
        file.Close();
    } catch (CFileError const& error) {
        m_managers.messageManager->WriteError("%s", error.GetText());
        Destroy();
        return false;
    }

    m_settings = settings;
    char shaderPath[CFileManager::NameLength];
    std::snprintf(shaderPath, sizeof(shaderPath), "%s", path.c_str());
    CFileManager::ReplaceFileExtension(shaderPath, "srf");
    CShaderDescriptor shader;
    m_managers.shaderManager->CreateShaderDescriptor(&shader, shaderPath, 0);
    Build(ParticleSystemFile::GetCapacity(m_settings), shader, cameraIndex);
    return true;
}

void CParticleSystem::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                             CFileManager* fileManager, CTimerManager* timerManager,
                             CShaderManager* shaderManager, CSpriteGroupManager* spriteGroupManager,
                             unsigned int maxParticles, CShaderDescriptor const& shader,
                             unsigned int cameraIndex)
{
    Destroy();
    m_managers = {messageManager, memoryManager, fileManager,
                  timerManager,   shaderManager, spriteGroupManager};
    m_settings = MakeDefaultSettings(0.0f);
    Build(maxParticles, shader, cameraIndex);
}

void CParticleSystem::CreateDefault(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                    CFileManager* fileManager, CTimerManager* timerManager,
                                    CShaderManager* shaderManager, CSpriteGroupManager* spriteGroupManager,
                                    unsigned int cameraIndex)
{
    Destroy();
    m_managers = {messageManager, memoryManager, fileManager,
                  timerManager,   shaderManager, spriteGroupManager};
    m_settings = MakeDefaultSettings(DefaultEmissionRate);
    CShaderDescriptor shader;
    m_managers.shaderManager->CreateShaderDescriptor(&shader, 0u);
    Build(DefaultCapacity, shader, cameraIndex);
}

void CParticleSystem::Create(CParticleSystem const& other)
{
    if (this == &other)
        return;
    Destroy();
    if (other.m_free)
        return;
    m_managers = other.m_managers;
    m_settings = other.m_settings;
    m_spriteGroup = m_managers.spriteGroupManager->AddSpriteGroup(*other.m_spriteGroup);
    m_animationTime = other.m_animationTime;
    m_loop = other.m_loop;
    m_playing = other.m_playing;
    m_emissionAccumulator = other.m_emissionAccumulator;
    m_freeParticles = other.m_freeParticles;
    m_maxParticlesCount = other.m_maxParticlesCount;
    m_particles = other.m_particles;
    m_aliveParticlesCount = other.m_aliveParticlesCount;
    m_maxAliveParticlesCount = other.m_maxAliveParticlesCount;
    m_position = other.m_position;
    m_sourceType = other.m_sourceType;
    m_sourceBox = other.m_sourceBox;
    m_free = false;
}

void CParticleSystem::Destroy()
{
    if (m_free)
        return;
    if (m_managers.spriteGroupManager && m_spriteGroup)
        m_managers.spriteGroupManager->RemoveSpriteGroup(m_spriteGroup);
    m_spriteGroup = nullptr;
    m_particles.clear();
    m_particles.shrink_to_fit();
    m_freeParticles.clear();
    m_freeParticles.shrink_to_fit();
    m_maxParticlesCount = 0;
    m_aliveParticlesCount = 0;
    m_maxAliveParticlesCount = 0;
    m_free = true;
}

bool CParticleSystem::Save(char const* path)
{
    if (m_free)
        return false;
    try {
        CFile file;
        file.Open(m_managers.messageManager, m_managers.memoryManager, path, FILE_WRITE_BINARY);
        ParticleSystemFile::Write(file, m_settings);
        file.Close();
    } catch (CFileError const& error) {
        m_managers.messageManager->WriteError("%s", error.GetText());
        return false;
    }
    CShaderDescriptor const* shader = GetShaderDescriptor();
    if (!shader)
        return true;
    char shaderPath[CFileManager::NameLength];
    std::snprintf(shaderPath, sizeof(shaderPath), "%s", path);
    CFileManager::ReplaceFileExtension(shaderPath, "srf");
    return CShaderDescriptor::SaveToFile(m_managers.messageManager, m_managers.memoryManager,
                                         m_managers.fileManager, 1, shader, shaderPath);
}

void CParticleSystem::StartAnimation()
{
    m_playing = true;
    m_animationTime = 0.0f;
}

void CParticleSystem::StopAnimation()
{
    m_playing = false;
    m_animationTime = 0.0f;
    m_emissionAccumulator = 0.0f;
}

void CParticleSystem::Clear()
{
    for (unsigned int i = 0; i < m_particles.size(); ++i) {
        if (!m_particles[i].dead)
            FreeParticle(i);
    }
    m_aliveParticlesCount = 0;
}

void CParticleSystem::FreeParticle(unsigned int index)
{
    SParticle& particle = m_particles[index];
    m_spriteGroup->RemoveSprite(particle.spriteIndex);
    particle.dead = 1;
    m_freeParticles.push_back(index);
}

void CParticleSystem::SetMatrix(CMatrix4x4 const& matrix)
{
    m_spriteGroup->SetMatrix(matrix);
}

void CParticleSystem::Transform(CMatrix4x4 const& matrix)
{
    m_spriteGroup->Transform(matrix);
}

void CParticleSystem::SaveMatrix()
{
    m_spriteGroup->SaveMatrix();
}

void CParticleSystem::RestoreMatrix()
{
    m_spriteGroup->RestoreMatrix();
}

CMatrix4x4 const& CParticleSystem::GetMatrix() const
{
    return m_spriteGroup->GetMatrix();
}

void CParticleSystem::ChangeShader(CShaderDescriptor const& shader)
{
    m_spriteGroup->ChangeShader(shader);
}

void CParticleSystem::SetDepthSort(bool sort)
{
    m_spriteGroup->SetDepthSort(sort);
}

bool CParticleSystem::GetDepthSort() const
{
    return m_spriteGroup->GetDepthSort();
}

void CParticleSystem::Show(bool visible)
{
    if (CModel* model = GetModel())
        model->Show(visible);
}

bool CParticleSystem::IsVisible() const
{
    CModel const* model = GetModel();
    return model && model->IsVisible();
}

CModel* CParticleSystem::GetModel() const
{
    return m_spriteGroup ? m_spriteGroup->GetModel() : nullptr;
}

CShaderDescriptor* CParticleSystem::GetShaderDescriptor() const
{
    return m_spriteGroup ? m_spriteGroup->GetShaderDescriptor() : nullptr;
}

void CParticleSystem::Refresh()
{
    if (m_free || !IsVisible())
        return;
    float const elapsed = m_managers.timerManager->GetElapsedTime();
    if (m_playing) {
        AdvanceTime(elapsed);
        if (m_playing)
            Emit(elapsed);
    }
    UpdateParticles(elapsed);
    if (m_aliveParticlesCount > m_maxAliveParticlesCount)
        m_maxAliveParticlesCount = m_aliveParticlesCount;
}

void CParticleSystem::AdvanceTime(float elapsed)
{
    m_animationTime += elapsed;
    float const period = m_settings.animationPeriod;
    if (!(m_animationTime >= period))
        return;
    if (!m_loop)
        m_playing = false;
    else if (period > 0.0f && std::isfinite(period) && std::isfinite(m_animationTime))
        m_animationTime = std::fmod(m_animationTime, period);
    else
        m_animationTime = 0.0f;
}

void CParticleSystem::Emit(float elapsed)
{
    float const period = m_settings.animationPeriod;
    float const u = period > 0.0f ? m_animationTime / period * float(ParticleKeysCount - 1) : 0.0f;
    SParticleKeyPosition const at = SParticleKeyPosition::At(u);
    m_emissionAccumulator += at.Blend(m_settings.emissionRate) * elapsed;
    if (!std::isfinite(m_emissionAccumulator))
        m_emissionAccumulator = 0.0f;
    float const owed = std::trunc(m_emissionAccumulator);
    if (!(owed > 0.0f))
        return;
    m_emissionAccumulator -= owed;
    float const life = at.Blend(m_settings.lifetime);
    for (float n = 0.0f; n < owed && !m_freeParticles.empty(); n += 1.0f)
        EmitParticle(life);
}

void CParticleSystem::EmitParticle(float life)
{
    unsigned int const index = m_freeParticles.back();
    m_freeParticles.pop_back();
    SParticle& particle = m_particles[index];
    particle.dead = 0;

    CVector3 start = m_position;
    if (m_sourceType == PSST_BOUNDING_BOX) {
        CVector3 const& low = m_sourceBox.GetMinPoint();
        CVector3 const& high = m_sourceBox.GetMaxPoint();
        start.x += GetRandom(low.x, high.x);
        start.y += GetRandom(low.y, high.y);
        start.z += GetRandom(low.z, high.z);
    }
    particle.spriteIndex = m_spriteGroup->AddSprite(start, m_settings.size[0], m_settings.color[0]);
    // The lifetime has no random part; the draw keeps the generator's sequence.
    GetRandom();
    particle.life = life;
    particle.age = 0.0f;
    particle.currentDirection = {0.0f, 0.0f, 0.0f};

    for (unsigned int j = 0; j < ParticleKeysCount; ++j) {
        CVector3 const& direction = m_settings.direction[j];
        CVector3 const& spread = m_settings.directionSpread[j];
        CVector3& key = particle.directionKeys[j];
        if (j == 0 || direction.GetLength() >= MinimumKeyLength || spread.GetLength() >= MinimumKeyLength) {
            key.x = direction.x + (GetRandom() * 2.0f - 1.0f) * spread.x;
            key.y = direction.y + (GetRandom() * 2.0f - 1.0f) * spread.y;
            key.z = direction.z + (GetRandom() * 2.0f - 1.0f) * spread.z;
        } else {
            key = particle.directionKeys[j - 1];
        }
        key.SetLength(1.0f);
    }
}

void CParticleSystem::UpdateParticles(float elapsed)
{
    m_aliveParticlesCount = 0;
    for (unsigned int i = 0; i < m_particles.size(); ++i) {
        SParticle& particle = m_particles[i];
        if (particle.dead)
            continue;
        particle.age += elapsed;
        // Written so that a NaN life ends the particle too.
        if (!(particle.age < particle.life)) {
            FreeParticle(i);
            continue;
        }
        SParticleKeyPosition const at =
            SParticleKeyPosition::At(particle.age / particle.life * float(ParticleKeysCount - 1));
        float const speed = at.Blend(m_settings.speed);
        particle.currentDirection = at.Blend(particle.directionKeys);
        particle.currentDirection.SetLength(1.0f);
        if (SSprite* sprite = m_spriteGroup->GetSprite(particle.spriteIndex)) {
            sprite->position += particle.currentDirection * speed * SpeedScale * elapsed;
            sprite->color = at.Blend(m_settings.color);
            sprite->size = at.Blend(m_settings.size);
        }
        ++m_aliveParticlesCount;
    }
}
