#pragma once

#include <cstdint>
#include <vector>

#include "math/BoundingBox.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"
#include "model/ParticleSystemFile.h"

class CFileManager;
class CMemoryManager;
class CMessageManager;
class CModel;
class CShaderDescriptor;
class CShaderManager;
class CSpriteGroup;
class CSpriteGroupManager;
class CTimerManager;

enum ParticleSystemSourceType : unsigned int
{
    // Particles start at the system's position.
    PSST_POINT = 0,
    // Particles start at the position plus a random point of the source box.
    PSST_BOUNDING_BOX = 1,
};

// The managers a particle system works with (none owned); its manager hands every system
// the set it was created with.
struct SParticleSystemManagers
{
    CMessageManager* messageManager = nullptr;
    CMemoryManager* memoryManager = nullptr;
    CFileManager* fileManager = nullptr;
    CTimerManager* timerManager = nullptr;
    CShaderManager* shaderManager = nullptr;
    CSpriteGroupManager* spriteGroupManager = nullptr;
};

// One particle, drawn as one sprite of the system's sprite group.
struct SParticle
{
    std::uint8_t dead = 1;
    unsigned int spriteIndex = 0;
    float life = 0.0f;
    float age = 0.0f;
    CVector3 currentDirection{0.0f, 0.0f, 0.0f};
    // Unit directions fixed at emission, keyed by age.
    CVector3 directionKeys[ParticleKeysCount];
};

// Emits short-lived particles from a point or a box, moves them along keyed directions at
// keyed speeds and fades their colour and size over their life.
class CParticleSystem
{
public:
    static constexpr char const* Directory = "Data\\Particle Systems\\";
    static constexpr unsigned int DefaultCapacity = 1000;
    static constexpr float DefaultEmissionRate = 10.0f;
    // Particles move this many units per second at speed 1.
    static constexpr float SpeedScale = 100.0f;

    CParticleSystem() = default;
    CParticleSystem(CParticleSystem const& other) { Create(other); }
    CParticleSystem& operator=(CParticleSystem const& other);
    ~CParticleSystem() { Destroy(); }

    // Loads Directory + fileName with its shader file ("srf"). A missing or unreadable file
    // is logged and gives false; a wrong format or version is fatal.
    bool Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CShaderManager* shaderManager,
                CSpriteGroupManager* spriteGroupManager, char const* fileName, unsigned int cameraIndex);
    // Default settings with emission rate 0 and room for maxParticles.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CShaderManager* shaderManager,
                CSpriteGroupManager* spriteGroupManager, unsigned int maxParticles,
                CShaderDescriptor const& shader, unsigned int cameraIndex);
    // Default settings with emission rate 10, room for 1000 particles, a plain shader.
    void CreateDefault(CMessageManager* messageManager, CMemoryManager* memoryManager,
                       CFileManager* fileManager, CTimerManager* timerManager, CShaderManager* shaderManager,
                       CSpriteGroupManager* spriteGroupManager, unsigned int cameraIndex);
    // A copy with its own sprite group.
    void Create(CParticleSystem const& other);
    void Destroy();
    bool IsFree() const { return m_free; }

    // The settings file, then the sprite shader beside it with the extension "srf".
    bool Save(char const* path);

    void StartAnimation();
    void PauseAnimation() { m_playing = false; }
    void StopAnimation();
    void SetAnimationTime(float time) { m_animationTime = time; }
    float GetAnimationTime() const { return m_animationTime; }
    void SetAnimationLoop(bool loop) { m_loop = loop; }
    bool IsAnimationLooped() const { return m_loop; }
    bool IsAnimationPlaying() const { return m_playing; }

    // Particles owed to the next refresh.
    void SetNewParticlesCount(float count) { m_emissionAccumulator = count; }
    void AddNewParticles(float count) { m_emissionAccumulator += count; }
    float GetNewParticlesCount() const { return m_emissionAccumulator; }

    // Removes every live particle.
    void Clear();

    void SetPosition(CVector3 const& position) { m_position = position; }
    CVector3 const& GetPosition() const { return m_position; }
    void SetSourceType(ParticleSystemSourceType type) { m_sourceType = type; }
    ParticleSystemSourceType GetSourceType() const { return m_sourceType; }
    void SetSourceBoundingBox(CBoundingBox const& box) { m_sourceBox = box; }
    CBoundingBox const& GetSourceBoundingBox() const { return m_sourceBox; }

    void SetMatrix(CMatrix4x4 const& matrix);
    void Transform(CMatrix4x4 const& matrix);
    void SaveMatrix();
    void RestoreMatrix();
    CMatrix4x4 const& GetMatrix() const;
    void ChangeShader(CShaderDescriptor const& shader);
    void SetDepthSort(bool sort);
    bool GetDepthSort() const;
    void Show(bool visible);
    bool IsVisible() const;
    CSpriteGroup* GetSpriteGroup() const { return m_spriteGroup; }
    CModel* GetModel() const;
    CShaderDescriptor* GetShaderDescriptor() const;

    ParticleSystemSettings* GetSettings() { return &m_settings; }
    unsigned int GetMaxParticlesCount() const { return m_maxParticlesCount; }
    unsigned int GetAliveParticlesCount() const { return m_aliveParticlesCount; }
    unsigned int GetMaxAliveParticlesCount() const { return m_maxAliveParticlesCount; }
    SParticle const* GetParticle(unsigned int index) const
    {
        return index < m_particles.size() ? &m_particles[index] : nullptr;
    }

    // Advances time, emits and moves the particles; nothing while the model is hidden.
    void Refresh();

    // The engine-wide generator every particle system draws from: seed × 1103515245 +
    // 12345, r = ((seed >> 16) & 0x7FFF) / 32768. The seed starts at 0 and is never reset.
    static float GetRandom();
    static float GetRandom(float low, float high) { return low + GetRandom() * (high - low); }
    static std::uint32_t GetRandomSeed();

private:
    void Build(unsigned int capacity, CShaderDescriptor const& shader, unsigned int cameraIndex);
    void AdvanceTime(float elapsed);
    void Emit(float elapsed);
    void EmitParticle(float life);
    void UpdateParticles(float elapsed);
    void FreeParticle(unsigned int index);

    bool m_free = true;
    SParticleSystemManagers m_managers;
    ParticleSystemSettings m_settings;
    CSpriteGroup* m_spriteGroup = nullptr;
    float m_animationTime = 0.0f;
    bool m_loop = false;
    bool m_playing = false;
    float m_emissionAccumulator = 0.0f;
    // The last index pushed is handed out first.
    std::vector<unsigned int> m_freeParticles;
    unsigned int m_maxParticlesCount = 0;
    std::vector<SParticle> m_particles;
    unsigned int m_aliveParticlesCount = 0;
    unsigned int m_maxAliveParticlesCount = 0;
    CVector3 m_position{0.0f, 0.0f, 0.0f};
    ParticleSystemSourceType m_sourceType = PSST_POINT;
    CBoundingBox m_sourceBox{CVector3(-0.5f, -0.5f, -0.5f), CVector3(0.5f, 0.5f, 0.5f)};
};
