#include "FishFoodSprites.h"

#include <algorithm>

#include "../base/SelfMaskedSprites.h"
#include "FishFood.h"
#include "core/Engine.h"
#include "model/Model.h"
#include "model/SpriteGroup.h"
#include "model/SpriteGroupManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"

namespace
{
CVector4 const FlakeColour(0.95f, 0.55f, 0.25f, 1.0f);
} // namespace

void CFishFoodSprites::Create(CEngine* engine)
{
    Destroy();
    m_engine = engine;
}

void CFishFoodSprites::CreateGroup()
{
    m_group = AddSelfMaskedSpriteGroup(m_engine, Texture, CFishFood::MaxFlakes);
}

void CFishFoodSprites::Destroy()
{
    if (!m_engine)
        return;
    if (m_group)
        m_engine->GetSpriteGroupManager()->RemoveSpriteGroup(m_group);
    m_group = nullptr;
    m_sprites.clear();
    m_engine = nullptr;
}

void CFishFoodSprites::Show(CFishFood const& food)
{
    if (!m_group && m_engine && food.GetFlakesCount() > 0)
        CreateGroup();
    if (!m_group)
        return;
    for (unsigned int sprite : m_sprites)
        m_group->RemoveSprite(sprite);
    m_sprites.clear();
    for (unsigned int i = 0; i < food.GetFlakesCount(); ++i) {
        CFishFood::SFlake const& flake = food.GetFlake(i);
        CVector4 colour = FlakeColour;
        if (flake.IsSettled())
            colour.w = std::clamp((CFishFood::SettledLife - flake.settled) / FadeSeconds, 0.0f, 1.0f);
        m_sprites.push_back(m_group->AddSprite(flake.position, FlakeSize, colour));
    }
}
