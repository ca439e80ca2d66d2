#include "SettingsLook.h"

#include <string>

#include "core/Engine.h"
#include "gui/GUIFont.h"
#include "gui/GUIManager.h"
#include "render/ShaderManager.h"

namespace
{
CShaderDescriptor Picture(CEngine* engine, char const* name, unsigned int frames)
{
    CShaderDescriptor descriptor;
    engine->GetShaderManager()->CreateShaderDescriptor(&descriptor, 1u);
    descriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    descriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int flags = SSF_TEXTURE;
    if (frames > 1)
        flags |= SSF_ANIMATED_TEXTURE;
    std::string const image = std::string(CSettingsLookBuilder::Folder) + name;
    unsigned int const stage = descriptor.AddStage(flags, frames, 0.0f, image.c_str(), "32bit", SSBT_CLAMP);
    descriptor.GetStage(stage)->borderU = SSBT_CLAMP;
    descriptor.GetStage(stage)->borderV = SSBT_CLAMP;
    return descriptor;
}
} // namespace

SSettingsLook CSettingsLookBuilder::Build(CEngine* engine)
{
    SSettingsLook look;
    look.panel = Picture(engine, "panel.tga", 1);
    look.button = Picture(engine, "button.tga", 3);
    look.checkBox = Picture(engine, "check.tga", 3);
    look.comboBox = Picture(engine, "combo.tga", 1);
    look.list = Picture(engine, "list.tga", 1);
    look.slider = Picture(engine, "slider.tga", 1);
    look.toddler = Picture(engine, "toddler.tga", 1);
    CShaderDescriptor font;
    engine->GetShaderManager()->CreateShaderDescriptor(&font, 1u);
    font.SetBlendingFactor(0, SBF_SRC_ALPHA);
    font.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int const stage =
        font.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "font\\font.tga", "32bit", SSBT_CLAMP);
    font.GetStage(stage)->borderU = SSBT_CLAMP;
    font.GetStage(stage)->borderV = SSBT_CLAMP;
    CGUIManager* gui = engine->GetGUIManager();
    look.fontId = gui->AddFont(font, "Data\\Textures\\font\\font.fnt");
    if (CGUIFont* added = gui->GetFont(look.fontId))
        added->SetSize(FontSize);
    return look;
}
