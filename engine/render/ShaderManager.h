#pragma once

#include <memory>
#include <vector>

#include "render/Shader.h"
#include "render/ShaderDescriptor.h"
#include "render/TextureManager.h"

class CFileManager;
class CMemoryManager;
class CMessageManager;
class CTimerManager;

// Hands out handles for shader descriptors, shares one loaded shader among descriptors
// that need the same textures, animates the descriptors and applies them to the device.
// Owns the texture manager.
class CShaderManager
{
public:
    CShaderManager() = default;
    ~CShaderManager();
    CShaderManager(CShaderManager const&) = delete;
    CShaderManager& operator=(CShaderManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CTimerManager* timerManager, CConfig* config, CDirect3DSubsystem* direct3DSubsystem,
                CLightManager* lightManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Every call gives a new handle; descriptors needing the same textures share a shader.
    unsigned int AddShader(CShaderDescriptor const& descriptor);
    // Descriptor `index` of a shader file, or the default descriptor when it cannot be read.
    unsigned int AddShader(char const* fileName, unsigned int index);
    void RemoveShader(unsigned int handle);
    void UseShader(unsigned int handle);
    // Null for a handle that is not in use.
    CShaderDescriptor* GetShaderDescriptor(unsigned int handle) const;
    CShader* GetShader(unsigned int handle) const;

    void CreateShaderDescriptor(CShaderDescriptor* out, CShaderDescriptor const& source) const;
    void CreateShaderDescriptor(CShaderDescriptor* out, unsigned int properties) const;
    void CreateShaderDescriptor(CShaderDescriptor* out, char const* fileName, unsigned int index) const;

    unsigned int GetOccupiedShadersIndicesCount() const { return m_shaders.GetOccupiedCount(); }
    unsigned int GetOccupiedShaderIndex(unsigned int i) const { return m_shaders.GetOccupiedSlot(i); }
    unsigned int GetOccupiedShadersDescriptorsIndicesCount() const
    {
        return m_descriptors.GetOccupiedCount();
    }
    unsigned int GetOccupiedShaderDescriptorIndex(unsigned int i) const
    {
        return m_descriptors.GetOccupiedSlot(i);
    }

    CTextureManager* GetTextureManager() { return &m_textureManager; }

    // Re-sends the fixed stage states after a device reset and advances every descriptor.
    void Refresh();

protected:
    // The stage states no shader changes, sent to every texture unit.
    void ResetD3D();

private:
    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CTimerManager* m_timerManager = nullptr;
    CConfig* m_config = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    CLightManager* m_lightManager = nullptr;
    CTextureManager m_textureManager;
    TSlotTable<CShader> m_shaders;
    TSlotTable<CShaderDescriptor> m_descriptors;
};
