#include "GUIBuilder.h"

#include "core/Engine.h"

#include <cstring>

void CGUIBuilder::Reset(CEngine* engine)
{
    m_engine = engine;
    m_timers = engine ? engine->GetTimerManager() : nullptr;
    m_controls = engine ? engine->GetControls() : nullptr;
    m_gui = engine ? engine->GetGUIManager() : nullptr;
}

void CGUIBuilder::BuildDescriptor(CShaderDescriptor* descriptor, unsigned int frames, char const* imageName,
                                  char const* opacityName) const
{
    m_engine->GetShaderManager()->CreateShaderDescriptor(descriptor, 0u);
    bool const ownAlpha = !opacityName || std::strstr(opacityName, "32bit") != nullptr;
    unsigned int flags =
        ownAlpha ? SSF_TEXTURE | SSF_MIP_MAPPING : SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING;
    if (frames >= 2)
        flags |= SSF_ANIMATED_TEXTURE;
    if (opacityName) {
        descriptor->AddProperties(SP_BLENDING);
        descriptor->SetBlendingFactor(0, SBF_SRC_ALPHA);
        descriptor->SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    }
    unsigned int const stage = descriptor->AddStage(flags, frames, 0.0f, imageName, opacityName, SSBT_REPEAT);
    descriptor->GetStage(stage)->borderU = SSBT_CLAMP;
    descriptor->GetStage(stage)->borderV = SSBT_CLAMP;
}

void CGUIBuilder::BuildEmptyDescriptor(CShaderDescriptor* descriptor) const
{
    m_engine->GetShaderManager()->CreateShaderDescriptor(descriptor, 0u);
}

unsigned int CGUIBuilder::AddWindow(unsigned int properties, CVector2 const& position, CVector2 const& size,
                                    CShaderDescriptor const& descriptor, CGUIWindow* parent) const
{
    return m_gui->AddWindow(properties, position, size, descriptor, parent);
}

unsigned int CGUIBuilder::AddFont(CShaderDescriptor const& descriptor, char const* fileName) const
{
    return m_gui->AddFont(descriptor, fileName);
}
