#include "SettingsLook.h"

#include <string>

#include "core/Engine.h"
#include "gui/GUIFont.h"
#include "gui/GUIManager.h"
#include "render/ShaderManager.h"

CShaderDescriptor CSettingsLookBuilder::Picture(CEngine* engine, std::string const& name, unsigned int frames)
{
    CShaderDescriptor descriptor;
    engine->GetShaderManager()->CreateShaderDescriptor(&descriptor, 1u);
    descriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    descriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int flags = SSF_TEXTURE;
    if (frames > 1)
        flags |= SSF_ANIMATED_TEXTURE;
    unsigned int const stage = descriptor.AddStage(flags, frames, 0.0f, name.c_str(), "32bit", SSBT_CLAMP);
    descriptor.GetStage(stage)->borderU = SSBT_CLAMP;
    descriptor.GetStage(stage)->borderV = SSBT_CLAMP;
    return descriptor;
}

SSettingsLook CSettingsLookBuilder::Build(CEngine* engine)
{
    SSettingsLook look;
    look.panel = Picture(engine, std::string(Folder) + "panel.tga", 1);
    look.button = Picture(engine, std::string(Folder) + "button.tga", 3);
    look.checkBox = Picture(engine, std::string(Folder) + "check.tga", 3);
    look.comboBox = Picture(engine, std::string(Folder) + "combo.tga", 1);
    look.list = Picture(engine, std::string(Folder) + "list.tga", 1);
    look.slider = Picture(engine, std::string(Folder) + "slider.tga", 1);
    look.toddler = Picture(engine, std::string(Folder) + "toddler.tga", 1);
    CShaderDescriptor font;
    engine->GetShaderManager()->CreateShaderDescriptor(&font, 1u);
    font.SetBlendingFactor(0, SBF_SRC_ALPHA);
    font.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int const stage =
        font.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "font\\font.tga", "32bit", SSBT_CLAMP);
    font.GetStage(stage)->borderU = SSBT_CLAMP;
    font.GetStage(stage)->borderV = SSBT_CLAMP;
    CGUIManager* gui = engine->GetGUIManager();
    look.fishPictures = true;
    look.fontId = gui->AddFont(font, "Data\\Textures\\font\\font.fnt");
    if (CGUIFont* added = gui->GetFont(look.fontId))
        added->SetSize(FontSize);
    return look;
}
