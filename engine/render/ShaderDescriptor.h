#pragma once

#include "math/Vector.h"
#include "platform/gl/Direct3D8.h"

class CFile;
class CFileManager;
class CMemoryManager;
class CMessageManager;
class CTimerManager;

// Texture stage flags.
enum : unsigned int
{
    SSF_TEXTURE = 0x001,
    SSF_OPACITY_MAP = 0x002,
    SSF_MIP_MAPPING = 0x004,
    SSF_ANIMATED_TEXTURE = 0x010,
    SSF_ANIMATED_OPACITY = 0x020,
    SSF_RANDOM_START = 0x040,
    SSF_NO_LOAD = 0x080,
    SSF_POINT_FILTER = 0x100,
    SSF_ANIMATED = SSF_ANIMATED_TEXTURE | SSF_ANIMATED_OPACITY,
};

// Descriptor properties.
enum : unsigned int
{
    SP_BLENDING = 0x001,
};

enum EShaderStageBorderType : unsigned int
{
    SSBT_CLAMP = 0,
    SSBT_REPEAT = 1,
};

enum EShaderBlendingFactor : unsigned int
{
    SBF_ZERO = 0,
    SBF_ONE = 1,
    SBF_DEST_COLOR = 2,
    SBF_INV_DEST_COLOR = 3,
    SBF_SRC_ALPHA = 4,
    SBF_INV_SRC_ALPHA = 5,
    SBF_DEST_ALPHA = 6,
    SBF_INV_DEST_ALPHA = 7,
    SBF_SRC_ALPHA_SAT = 8,
    SBF_SRC_COLOR = 9,
    SBF_INV_SRC_COLOR = 10,
};

struct SShaderDescriptorStage
{
    static constexpr unsigned int NameLength = 256;

    unsigned int flags = 0;
    unsigned int frames = 1; // images of an animated sequence; 1 when not animated
    float time = 0.0f;       // animation position in frames
    float speed = 0.0f;      // frames per second
    char imageName[NameLength] = {};
    char opacityName[NameLength] = {};
    EShaderStageBorderType borderU = SSBT_REPEAT;
    EShaderStageBorderType borderV = SSBT_REPEAT;
    float scaleU = 1.0f;
    float scaleV = 1.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;

    bool IsAnimated() const { return (flags & SSF_ANIMATED) != 0; }
};

// The plain description of a surface: material colours, an optional blend and up to
// eight texture stages. Filled in code or read from a shader file.
class CShaderDescriptor
{
public:
    static constexpr unsigned int MaxStages = 8;
    static constexpr unsigned int FileVersion = 203;
    static constexpr unsigned int OldestFileVersion = 200;
    // An animated stage of a file may hold at most this many frames.
    static constexpr unsigned int MaxFileFrames = 4096;

    CShaderDescriptor() = default;
    CShaderDescriptor(CShaderDescriptor const& other);
    CShaderDescriptor& operator=(CShaderDescriptor const& other);
    ~CShaderDescriptor();

    // White material, no emission, no shine, both blending factors SBF_ZERO, no stages.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, unsigned int properties);
    // Descriptor `index` of a shader file. On failure the error is logged and the
    // descriptor is the default one with properties 0.
    bool Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, char const* fileName, unsigned int index);
    void Create(CShaderDescriptor const& other);
    void Destroy();
    bool IsFree() const { return m_free; }

    static bool SaveToFile(CMessageManager* messageManager, CMemoryManager* memoryManager,
                           CFileManager* fileManager, unsigned int count,
                           CShaderDescriptor const* descriptors, char const* fileName);

    // Null names count as empty. A ninth stage is fatal.
    unsigned int AddStage(unsigned int flags, unsigned int frames, float speed, char const* imageName,
                          char const* opacityName, EShaderStageBorderType border);
    void RemoveStage(unsigned int index);
    SShaderDescriptorStage* GetStage(unsigned int index) { return &m_stages[index]; }
    SShaderDescriptorStage const* GetStage(unsigned int index) const { return &m_stages[index]; }
    unsigned int GetStagesCount() const { return m_stagesCount; }

    void SetBlendingFactor(unsigned int which, EShaderBlendingFactor const& factor);
    EShaderBlendingFactor GetBlendingFactor(unsigned int which) const { return m_blendingFactors[which & 1]; }
    void AddProperties(unsigned int properties) { m_properties |= properties; }
    void RemoveProperties(unsigned int properties) { m_properties &= ~properties; }
    unsigned int GetProperties() const { return m_properties; }

    void SetAmbientColor(CVector4 const& color);
    void SetDiffuseColor(CVector4 const& color);
    void SetSpecularColor(CVector4 const& color);
    void SetEmissionColor(CVector4 const& color);
    void SetShine(float shine);
    void SetShineStrength(float strength);
    CVector4 const& GetAmbientColor() const { return m_ambient; }
    CVector4 const& GetDiffuseColor() const { return m_diffuse; }
    CVector4 const& GetSpecularColor() const { return m_specular; }
    CVector4 const& GetEmissionColor() const { return m_emission; }
    float GetShine() const { return m_shine; }
    float GetShineStrength() const { return m_shineStrength; }
    D3DMATERIAL8 const& GetMaterialD3D() const { return m_material; }

    void SetShaderIndex(unsigned int index) { m_shaderIndex = index; }
    unsigned int GetShaderIndex() const { return m_shaderIndex; }

    // Same textures: properties apart from blending, stage flags apart from 0x008 and
    // 0x040, frames and names.
    bool IsEqual(CShaderDescriptor const& other) const;
    // Advances every animated stage by the last frame's time.
    void Refresh();

    CMessageManager* GetMessageManager() const { return m_messageManager; }
    CMemoryManager* GetMemoryManager() const { return m_memoryManager; }
    CFileManager* GetFileManager() const { return m_fileManager; }
    CTimerManager* GetTimerManager() const { return m_timerManager; }

    // The engine's random generator: a value in [0, 1).
    static float GetRandomValue();

    void SetManagers(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CFileManager* fileManager, CTimerManager* timerManager);

private:
    void UpdateSpecularMaterial();
    // Throws CFileError when the file ends early; false when the record is not sound.
    bool ReadRecord(CFile& file, unsigned int version);
    void WriteRecord(CFile& file) const;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CTimerManager* m_timerManager = nullptr;
    unsigned int m_shaderIndex = 0;
    unsigned int m_properties = 0;
    CVector4 m_ambient{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 m_specular{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 m_emission{0.0f, 0.0f, 0.0f, 1.0f};
    float m_shine = 0.0f;
    float m_shineStrength = 0.0f;
    D3DMATERIAL8 m_material = {};
    EShaderBlendingFactor m_blendingFactors[2] = {SBF_ZERO, SBF_ZERO};
    unsigned int m_stagesCount = 0;
    SShaderDescriptorStage m_stages[MaxStages];
};
