#pragma once

#include <string>
#include <vector>

#include "render/ShaderDescriptor.h"

class CConfig;
class CDirect3DSubsystem;
class CLightManager;
class CTextureManager;

// The textures of one descriptor stage, one per frame.
struct SShaderStage
{
    unsigned int texturesCount = 0;
    std::vector<unsigned int> textures; // empty for a stage without textures or with SSF_NO_LOAD
};

// The loaded form of a descriptor: the textures of every stage and frame, shared by all
// descriptors that need the same textures.
class CShader
{
public:
    CShader() = default;
    ~CShader();
    CShader(CShader const&) = delete;
    CShader& operator=(CShader const&) = delete;

    // Loads the textures; the shader starts with one user.
    void Create(CConfig* config, CDirect3DSubsystem* direct3DSubsystem, CLightManager* lightManager,
                CTextureManager* textureManager, CShaderDescriptor const& descriptor);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Applies the descriptor's blend and stages to the device through the cached setters.
    void Use(CShaderDescriptor const& descriptor);

    void AddUser() { ++m_users; }
    void RemoveUser()
    {
        if (m_users > 0)
            --m_users;
    }
    unsigned int GetUsersCount() const { return m_users; }
    SShaderStage const* GetShaderStage(unsigned int index) const { return &m_stages[index]; }
    unsigned int GetStagesCount() const { return static_cast<unsigned int>(m_stages.size()); }

    // The image name of frame `frame` of a sequence of `frames` ("wave.tga", 12 -> "wave00.tga").
    static std::string GetFrameName(char const* name, unsigned int frame, unsigned int frames);
    static unsigned int ConvertBlendingFactorToD3D(unsigned int factor);

protected:
    void AddStage(SShaderDescriptorStage const& stage);
    void RemoveStage(unsigned int index);
    static unsigned int ConvertBorderTypeToD3D(unsigned int border);

private:
    bool m_free = true;
    CConfig* m_config = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    CLightManager* m_lightManager = nullptr;
    CTextureManager* m_textureManager = nullptr;
    std::vector<SShaderStage> m_stages;
    unsigned int m_users = 0;
};
