#include "render/ShaderDescriptor.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"

namespace
{
constexpr char Magic[5] = {'T', 'W', 'S', 'R', 'F'};
constexpr unsigned int HeaderSize = 13;
constexpr unsigned int OffsetsPosition = HeaderSize + 4;
constexpr float ShineStrengthThreshold = 0.00001f;

std::uint32_t randomSeed = 0;

unsigned int ReadUnsigned(CFile& file)
{
    std::uint32_t value = 0;
    file.Read(&value, sizeof value);
    return value;
}

float ReadFloat(CFile& file)
{
    float value = 0.0f;
    file.Read(&value, sizeof value);
    return value;
}

CVector4 ReadColor(CFile& file)
{
    float values[4];
    file.Read(values, sizeof values);
    return CVector4(values[0], values[1], values[2], values[3]);
}

void WriteUnsigned(CFile& file, unsigned int value)
{
    std::uint32_t const stored = value;
    file.Write(&stored, sizeof stored);
}

void WriteFloat(CFile& file, float value)
{
    file.Write(&value, sizeof value);
}

void WriteColor(CFile& file, CVector4 const& color)
{
    float const values[4] = {color.x, color.y, color.z, color.w};
    file.Write(values, sizeof values);
}

void WriteHeader(CFile& file, unsigned int size)
{
    WriteUnsigned(file, size);
    file.Write(Magic, sizeof Magic);
    WriteUnsigned(file, CShaderDescriptor::FileVersion);
}

void CopyName(char* target, char const* source)
{
    std::snprintf(target, SShaderDescriptorStage::NameLength, "%s", source ? source : "");
}

D3DCOLORVALUE ToColorValue(CVector4 const& color)
{
    return {color.x, color.y, color.z, color.w};
}
} // namespace

CShaderDescriptor::CShaderDescriptor(CShaderDescriptor const& other)
{
    Create(other);
}

CShaderDescriptor& CShaderDescriptor::operator=(CShaderDescriptor const& other)
{
    if (this != &other)
        Create(other);
    return *this;
}

CShaderDescriptor::~CShaderDescriptor()
{
    Destroy();
}

float CShaderDescriptor::GetRandomValue()
{
    randomSeed = randomSeed * 1103515245u + 12345u;
    return static_cast<float>((randomSeed >> 16) & 0x7FFF) / 32768.0f;
}

void CShaderDescriptor::SetManagers(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                    CFileManager* fileManager, CTimerManager* timerManager)
{
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_timerManager = timerManager;
}

void CShaderDescriptor::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                               CFileManager* fileManager, CTimerManager* timerManager,
                               unsigned int properties)
{
    Destroy();
    SetManagers(messageManager, memoryManager, fileManager, timerManager);
    m_shaderIndex = 0;
    m_properties = properties;
    m_material = {};
    SetAmbientColor(CVector4(1.0f, 1.0f, 1.0f, 1.0f));
    SetDiffuseColor(CVector4(1.0f, 1.0f, 1.0f, 1.0f));
    SetEmissionColor(CVector4(0.0f, 0.0f, 0.0f, 1.0f));
    m_specular = CVector4(1.0f, 1.0f, 1.0f, 1.0f);
    m_shine = 0.0f;
    m_shineStrength = 0.0f;
    UpdateSpecularMaterial();
    m_blendingFactors[0] = SBF_ZERO;
    m_blendingFactors[1] = SBF_ZERO;
    m_stagesCount = 0;
    m_free = false;
}

void CShaderDescriptor::Create(CShaderDescriptor const& other)
{
    if (other.m_free) {
        Destroy();
        return;
    }
    Destroy();
    SetManagers(other.m_messageManager, other.m_memoryManager, other.m_fileManager, other.m_timerManager);
    m_shaderIndex = other.m_shaderIndex;
    m_properties = other.m_properties;
    m_ambient = other.m_ambient;
    m_diffuse = other.m_diffuse;
    m_specular = other.m_specular;
    m_emission = other.m_emission;
    m_shine = other.m_shine;
    m_shineStrength = other.m_shineStrength;
    m_material = other.m_material;
    m_blendingFactors[0] = other.m_blendingFactors[0];
    m_blendingFactors[1] = other.m_blendingFactors[1];
    m_stagesCount = other.m_stagesCount;
    for (unsigned int i = 0; i < m_stagesCount; ++i)
        m_stages[i] = other.m_stages[i];
    m_free = false;
}

bool CShaderDescriptor::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                               CFileManager* fileManager, CTimerManager* timerManager, char const* fileName,
                               unsigned int index)
{
    Create(messageManager, memoryManager, fileManager, timerManager, 0);

    CFile file;
    try {
        fileManager->OpenFile(&file, fileName, FILE_READ_BINARY);
    } catch (CFileError const& error) {
        messageManager->WriteError("%s", error.GetText());
        return false;
    }

    bool sound = false;
    try {
        if (file.GetSize() >= HeaderSize) {
            unsigned int const size = ReadUnsigned(file);
            char magic[sizeof Magic];
            file.Read(magic, sizeof magic);
            unsigned int const version = ReadUnsigned(file);
            if (std::memcmp(magic, Magic, sizeof Magic) == 0 && size == file.GetSize()) {
                if (version < OldestFileVersion || version > FileVersion) {
                    file.Close();
                    messageManager->WriteError("Incorrect %s format version, current is %d", fileName,
                                               static_cast<int>(FileVersion));
                    Create(messageManager, memoryManager, fileManager, timerManager, 0);
                    return false;
                }
                // The offsets table must fit in the file and hold the requested record.
                unsigned int const count = size >= OffsetsPosition ? ReadUnsigned(file) : 0;
                if (size >= OffsetsPosition && index < count && count <= (size - OffsetsPosition) / 4) {
                    file.Seek(FSO_BEGIN, static_cast<int>(OffsetsPosition + 4 * index));
                    unsigned int const offset = ReadUnsigned(file);
                    if (offset < size) {
                        file.Seek(FSO_BEGIN, static_cast<int>(offset));
                        sound = ReadRecord(file, version);
                    }
                }
            }
        }
    } catch (CFileError const&) {
        sound = false;
    }
    file.Close();
    if (!sound) {
        messageManager->WriteError("Incorrect %s file format", fileName);
        Create(messageManager, memoryManager, fileManager, timerManager, 0);
        return false;
    }
    return true;
}

bool CShaderDescriptor::ReadRecord(CFile& file, unsigned int version)
{
    unsigned int const properties = ReadUnsigned(file);
    if (version <= 201) {
        unsigned char ignored[16];
        file.Read(ignored, sizeof ignored);
    }
    CVector4 const ambient = ReadColor(file);
    CVector4 const diffuse = ReadColor(file);
    CVector4 const specular = ReadColor(file);
    CVector4 const emission = ReadColor(file);
    float const shine = ReadFloat(file);
    float const shineStrength = ReadFloat(file);
    unsigned int const source = ReadUnsigned(file);
    unsigned int const destination = ReadUnsigned(file);
    unsigned int const stagesCount = ReadUnsigned(file);
    if (stagesCount > MaxStages)
        return false;

    m_properties = properties;
    SetAmbientColor(ambient);
    SetDiffuseColor(diffuse);
    SetEmissionColor(emission);
    m_specular = specular;
    m_shine = shine;
    m_shineStrength = shineStrength;
    UpdateSpecularMaterial();
    m_blendingFactors[0] = static_cast<EShaderBlendingFactor>(source);
    m_blendingFactors[1] = static_cast<EShaderBlendingFactor>(destination);

    for (unsigned int i = 0; i < stagesCount; ++i) {
        unsigned int const flags = ReadUnsigned(file);
        unsigned int const frames = ReadUnsigned(file);
        float const speed = ReadFloat(file);
        char imageName[SShaderDescriptorStage::NameLength];
        char opacityName[SShaderDescriptorStage::NameLength];
        file.ReadBinaryString(imageName);
        file.ReadBinaryString(opacityName);
        auto const borderU = static_cast<EShaderStageBorderType>(ReadUnsigned(file));
        auto const borderV =
            version >= 203 ? static_cast<EShaderStageBorderType>(ReadUnsigned(file)) : borderU;
        float scaleU = 1.0f, scaleV = 1.0f, offsetU = 0.0f, offsetV = 0.0f;
        if (version == 201) {
            scaleU = scaleV = ReadFloat(file);
        } else if (version >= 202) {
            scaleU = ReadFloat(file);
            scaleV = ReadFloat(file);
            offsetU = ReadFloat(file);
            offsetV = ReadFloat(file);
        }
        if ((flags & SSF_ANIMATED) && (frames == 0 || frames > MaxFileFrames))
            return false;

        SShaderDescriptorStage& stage =
            m_stages[AddStage(flags, frames, speed, imageName, opacityName, SSBT_REPEAT)];
        stage.borderU = borderU;
        stage.borderV = borderV;
        stage.scaleU = scaleU;
        stage.scaleV = scaleV;
        stage.offsetU = offsetU;
        stage.offsetV = offsetV;
    }
    return true;
}

void CShaderDescriptor::WriteRecord(CFile& file) const
{
    WriteUnsigned(file, m_properties);
    WriteColor(file, m_ambient);
    WriteColor(file, m_diffuse);
    WriteColor(file, m_specular);
    WriteColor(file, m_emission);
    WriteFloat(file, m_shine);
    WriteFloat(file, m_shineStrength);
    WriteUnsigned(file, m_blendingFactors[0]);
    WriteUnsigned(file, m_blendingFactors[1]);
    WriteUnsigned(file, m_stagesCount);
    for (unsigned int i = 0; i < m_stagesCount; ++i) {
        SShaderDescriptorStage const& stage = m_stages[i];
        WriteUnsigned(file, stage.flags);
        WriteUnsigned(file, stage.frames);
        WriteFloat(file, stage.speed);
        file.WriteBinaryString(stage.imageName);
        file.WriteBinaryString(stage.opacityName);
        WriteUnsigned(file, stage.borderU);
        WriteUnsigned(file, stage.borderV);
        WriteFloat(file, stage.scaleU);
        WriteFloat(file, stage.scaleV);
        WriteFloat(file, stage.offsetU);
        WriteFloat(file, stage.offsetV);
    }
}

bool CShaderDescriptor::SaveToFile(CMessageManager* messageManager, CMemoryManager*,
                                   CFileManager* fileManager, unsigned int count,
                                   CShaderDescriptor const* descriptors, char const* fileName)
{
    CFile file;
    try {
        fileManager->OpenFile(&file, fileName, FILE_WRITE_BINARY);
        WriteHeader(file, 0);
        WriteUnsigned(file, count);
        std::vector<std::uint32_t> offsets(count, 0);
        if (count > 0)
            file.Write(offsets.data(), count * 4);
        for (unsigned int i = 0; i < count; ++i) {
            offsets[i] = file.GetPosition();
            descriptors[i].WriteRecord(file);
        }
        unsigned int const size = file.GetPosition();
        file.Seek(FSO_BEGIN, 0);
        WriteHeader(file, size);
        if (count > 0) {
            file.Seek(FSO_BEGIN, static_cast<int>(OffsetsPosition));
            file.Write(offsets.data(), count * 4);
        }
        file.Close();
    } catch (CFileError const& error) {
        messageManager->WriteError("%s", error.GetText());
        return false;
    }
    return true;
}

void CShaderDescriptor::Destroy()
{
    if (m_free)
        return;
    m_stagesCount = 0;
    m_free = true;
}

unsigned int CShaderDescriptor::AddStage(unsigned int flags, unsigned int frames, float speed,
                                         char const* imageName, char const* opacityName,
                                         EShaderStageBorderType border)
{
    if (m_stagesCount >= MaxStages) {
        if (m_messageManager)
            m_messageManager->WriteFatalError("Shader Stages: buffer is overflowed");
        throw CFatalError("Shader Stages: buffer is overflowed");
    }
    SShaderDescriptorStage& stage = m_stages[m_stagesCount];
    stage = SShaderDescriptorStage();
    stage.flags = flags;
    stage.frames = frames;
    stage.speed = speed;
    stage.time = 0.0f;
    if (!stage.IsAnimated()) {
        stage.frames = 1;
    } else {
        // A sequence has at least one image, so the position can always wrap.
        if (stage.frames == 0)
            stage.frames = 1;
        if (flags & SSF_RANDOM_START)
            stage.time = GetRandomValue() * static_cast<float>(stage.frames);
    }
    CopyName(stage.imageName, (flags & SSF_TEXTURE) ? imageName : nullptr);
    CopyName(stage.opacityName, (flags & SSF_OPACITY_MAP) ? opacityName : nullptr);
    stage.borderU = border;
    stage.borderV = border;
    stage.scaleU = 1.0f;
    stage.scaleV = 1.0f;
    stage.offsetU = 0.0f;
    stage.offsetV = 0.0f;
    return m_stagesCount++;
}

void CShaderDescriptor::RemoveStage(unsigned int index)
{
    if (index >= m_stagesCount)
        return;
    for (unsigned int i = index + 1; i < m_stagesCount; ++i)
        m_stages[i - 1] = m_stages[i];
    --m_stagesCount;
}

void CShaderDescriptor::SetBlendingFactor(unsigned int which, EShaderBlendingFactor const& factor)
{
    if (which < 2)
        m_blendingFactors[which] = factor;
}

void CShaderDescriptor::SetAmbientColor(CVector4 const& color)
{
    m_ambient = color;
    m_material.Ambient = ToColorValue(color);
}

void CShaderDescriptor::SetDiffuseColor(CVector4 const& color)
{
    m_diffuse = color;
    m_material.Diffuse = ToColorValue(color);
}

void CShaderDescriptor::SetEmissionColor(CVector4 const& color)
{
    m_emission = color;
    m_material.Emissive = ToColorValue(color);
}

void CShaderDescriptor::SetSpecularColor(CVector4 const& color)
{
    m_specular = color;
    UpdateSpecularMaterial();
}

void CShaderDescriptor::SetShine(float shine)
{
    m_shine = shine;
    UpdateSpecularMaterial();
}

void CShaderDescriptor::SetShineStrength(float strength)
{
    m_shineStrength = strength;
    UpdateSpecularMaterial();
}

void CShaderDescriptor::UpdateSpecularMaterial()
{
    if (m_shineStrength < ShineStrengthThreshold) {
        m_material.Specular = {0.0f, 0.0f, 0.0f, 0.0f};
        m_material.Power = 0.0f;
    } else {
        m_material.Specular = ToColorValue(m_specular);
        m_material.Power = m_shine;
    }
}

bool CShaderDescriptor::IsEqual(CShaderDescriptor const& other) const
{
    constexpr unsigned int IgnoredStageFlags = 0x008 | SSF_RANDOM_START;
    if (((m_properties ^ other.m_properties) & ~SP_BLENDING) != 0 || m_stagesCount != other.m_stagesCount)
        return false;
    for (unsigned int i = 0; i < m_stagesCount; ++i) {
        SShaderDescriptorStage const& a = m_stages[i];
        SShaderDescriptorStage const& b = other.m_stages[i];
        if (((a.flags ^ b.flags) & ~IgnoredStageFlags) != 0 || a.frames != b.frames ||
            std::strcmp(a.imageName, b.imageName) != 0 || std::strcmp(a.opacityName, b.opacityName) != 0)
            return false;
    }
    return true;
}

void CShaderDescriptor::Refresh()
{
    float const elapsed = m_timerManager ? m_timerManager->GetElapsedTime() : 0.0f;
    for (unsigned int i = 0; i < m_stagesCount; ++i) {
        SShaderDescriptorStage& stage = m_stages[i];
        if (!stage.IsAnimated())
            continue;
        stage.time += elapsed * stage.speed;
        if (!std::isfinite(stage.time)) {
            stage.time = 0.0f;
            continue;
        }
        // Subtracts whole sequences while the position is past the end: 12.5 -> 0.5 of 12,
        // while exactly 12.0 stays.
        float const frames = static_cast<float>(stage.frames);
        if (stage.time > frames) {
            float const wrapped = std::fmod(stage.time, frames);
            stage.time = wrapped == 0.0f ? frames : wrapped;
        }
    }
}
