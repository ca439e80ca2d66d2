#pragma once

#include "core/Engine.h"
#include "model/Model.h"
#include "model/SpriteGroup.h"
#include "model/SpriteGroupManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"

// A group of `count` transparent sprites drawn with camera 0 from one picture that is its
// own opacity map, alpha-blended over the scene. Null when the engine could not add it.
inline CSpriteGroup* AddSelfMaskedSpriteGroup(CEngine* engine, char const* texture, unsigned int count)
{
    CShaderDescriptor shader;
    engine->GetShaderManager()->CreateShaderDescriptor(&shader, 1u);
    shader.SetBlendingFactor(0, SBF_SRC_ALPHA);
    shader.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    shader.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING, 1, 0.0f, texture, texture, SSBT_REPEAT);
    CSpriteGroup* group = engine->GetSpriteGroupManager()->AddSpriteGroup(count, shader, 0u);
    if (group)
        group->GetModel()->AddProperties(MP_TRANSPARENT);
    return group;
}
