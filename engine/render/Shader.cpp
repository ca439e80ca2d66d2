#include "render/Shader.h"

#include <cmath>

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/Format.h"
#include "render/Direct3DSubsystem.h"
#include "render/LightManager.h"
#include "render/Texture2D.h"
#include "render/TextureManager.h"

CShader::~CShader()
{
    Destroy();
}

void CShader::Create(CConfig* config, CDirect3DSubsystem* direct3DSubsystem, CLightManager* lightManager,
                     CTextureManager* textureManager, CShaderDescriptor const& descriptor)
{
    Destroy();
    m_config = config;
    m_direct3DSubsystem = direct3DSubsystem;
    m_lightManager = lightManager;
    m_textureManager = textureManager;
    m_users = 1;
    m_free = false;
    for (unsigned int i = 0; i < descriptor.GetStagesCount(); ++i)
        AddStage(*descriptor.GetStage(i));
}

void CShader::Destroy()
{
    if (m_free)
        return;
    while (!m_stages.empty())
        RemoveStage(static_cast<unsigned int>(m_stages.size() - 1));
    m_users = 0;
    m_free = true;
}

std::string CShader::GetFrameName(char const* name, unsigned int frame, unsigned int frames)
{
    char extension[CFileManager::NameLength] = {};
    CFileManager::GetFileExtension(name, extension);
    std::string base = name;
    std::size_t const dot = base.rfind('.');
    if (extension[0] != 0 && dot != std::string::npos)
        base.erase(dot);
    int const number = static_cast<int>(frame);
    if (frames < 11)
        return CFormat("%s%.1d.%s", base.c_str(), number, extension);
    if (frames < 101)
        return CFormat("%s%.2d.%s", base.c_str(), number, extension);
    return CFormat("%s%.3d.%s", base.c_str(), number, extension);
}

void CShader::AddStage(SShaderDescriptorStage const& stage)
{
    SShaderStage loaded;
    loaded.texturesCount = stage.frames;
    if ((stage.flags & SSF_TEXTURE) && !(stage.flags & SSF_NO_LOAD)) {
        unsigned int const mode = (stage.flags >> 1) & 3;
        loaded.textures.reserve(stage.frames);
        for (unsigned int frame = 0; frame < stage.frames; ++frame) {
            std::string const image = (stage.flags & SSF_ANIMATED_TEXTURE)
                                          ? GetFrameName(stage.imageName, frame, stage.frames)
                                          : std::string(stage.imageName);
            std::string opacity;
            if (stage.flags & SSF_OPACITY_MAP)
                opacity = (stage.flags & SSF_ANIMATED_OPACITY)
                              ? GetFrameName(stage.opacityName, frame, stage.frames)
                              : std::string(stage.opacityName);
            loaded.textures.push_back(m_textureManager->AddTexture2D(mode, image, opacity));
        }
    }
    m_stages.push_back(std::move(loaded));
}

void CShader::RemoveStage(unsigned int index)
{
    if (index >= m_stages.size())
        return;
    for (unsigned int texture : m_stages[index].textures)
        m_textureManager->RemoveTexture2D(texture);
    m_stages.erase(m_stages.begin() + index);
}

unsigned int CShader::ConvertBorderTypeToD3D(unsigned int border)
{
    return border != SSBT_CLAMP ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
}

unsigned int CShader::ConvertBlendingFactorToD3D(unsigned int factor)
{
    switch (factor) {
    case SBF_ONE:
        return D3DBLEND_ONE;
    case SBF_DEST_COLOR:
        return D3DBLEND_DESTCOLOR;
    case SBF_INV_DEST_COLOR:
        return D3DBLEND_INVDESTCOLOR;
    case SBF_SRC_ALPHA:
        return D3DBLEND_SRCALPHA;
    case SBF_INV_SRC_ALPHA:
        return D3DBLEND_INVSRCALPHA;
    case SBF_DEST_ALPHA:
        return D3DBLEND_DESTALPHA;
    case SBF_INV_DEST_ALPHA:
        return D3DBLEND_INVDESTALPHA;
    case SBF_SRC_ALPHA_SAT:
        return D3DBLEND_SRCALPHASAT;
    case SBF_SRC_COLOR:
        return D3DBLEND_SRCCOLOR;
    case SBF_INV_SRC_COLOR:
        return D3DBLEND_INVSRCCOLOR;
    default:
        return D3DBLEND_ZERO;
    }
}

namespace
{
// The frame an animated stage shows: the integer part of its position, wrapped.
unsigned int GetCurrentFrame(SShaderDescriptorStage const& stage, unsigned int texturesCount)
{
    if (!stage.IsAnimated() || texturesCount == 0 || !(stage.time >= 0.0f))
        return 0;
    double const position = std::floor(static_cast<double>(stage.time));
    if (position < texturesCount)
        return static_cast<unsigned int>(position);
    return static_cast<unsigned int>(std::fmod(position, static_cast<double>(texturesCount)));
}
} // namespace

void CShader::Use(CShaderDescriptor const& descriptor)
{
    CDirect3DSubsystem* d3d = m_direct3DSubsystem;
    if (d3d->IsForceStates())
        d3d->SetMatrial(&descriptor.GetMaterialD3D());

    if (descriptor.GetProperties() & SP_BLENDING) {
        d3d->SetAlphaBlend(1);
        d3d->SetSrcBlend(ConvertBlendingFactorToD3D(descriptor.GetBlendingFactor(0)));
        d3d->SetDstBlend(ConvertBlendingFactorToD3D(descriptor.GetBlendingFactor(1)));
    } else {
        d3d->SetAlphaBlend(0);
    }

    unsigned int const units = d3d->GetMaxTextureUnits();
    bool const anisotropic = m_config->GetMainSettings()->r_texture_anisotropy >= 2;
    unsigned int unit = 0;
    unsigned int const stages = std::min(descriptor.GetStagesCount(), GetStagesCount());
    for (unsigned int j = 0; j < stages && unit < units; ++j) {
        SShaderDescriptorStage const& stage = *descriptor.GetStage(j);
        if (!(stage.flags & SSF_TEXTURE))
            continue;
        SShaderStage const& loaded = m_stages[j];
        unsigned int const frame = GetCurrentFrame(stage, loaded.texturesCount);

        unsigned int const filter = (stage.flags & SSF_POINT_FILTER) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
        d3d->SetTextureMagFilter(unit, filter);
        d3d->SetTextureMinFilter(unit, filter);
        unsigned int mipFilter = D3DTEXF_NONE;
        if (stage.flags & SSF_MIP_MAPPING)
            mipFilter = anisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
        d3d->SetTextureMipFilter(unit, mipFilter);

        // A stage that loads nothing binds no texture.
        CTexture2D* texture =
            frame < loaded.textures.size() ? m_textureManager->GetTexture2D(loaded.textures[frame]) : nullptr;
        if (texture)
            texture->Enable(unit);
        else
            d3d->SetTexture(unit, nullptr);

        d3d->SetTextureAdressU(unit, ConvertBorderTypeToD3D(stage.borderU));
        d3d->SetTextureAdressV(unit, ConvertBorderTypeToD3D(stage.borderV));
        d3d->SetTextureMatrix(unit, stage.scaleU, stage.scaleV, stage.offsetU, stage.offsetV);
        d3d->SetTextureColorOperation(unit, D3DTOP_MODULATE);
        d3d->SetTextureCoordinateIndex(unit, 0);
        ++unit;
    }
    if (m_lightManager)
        unit = m_lightManager->GetPattern().Apply(d3d, unit, units);
    for (; unit < units; ++unit)
        d3d->SetTexture(unit, nullptr);
}
