#include "StarFishScene.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/Config.h"
#include "core/File.h"
#include "model/ModelManager.h"

void CStarFishScene::Create(CModelManager* models, std::optional<float> speed, CVector3 const& position)
{
    Destroy();
    m_models = models;
    // The starfish takes the tank's light, so it dims with the rest of the tank at night.
    m_starFish = models->AddModel(StarFishModel, 0);
    m_shadow = models->AddModel(ShadowModel, 0);
    m_shadow->AddProperties(MP_TRANSPARENT | MP_FIXED_DEPTH);
    m_shadow->RemoveProperties(MP_LIGHTING);
    m_shadow->SetDepthValue(ShadowDepthValue);

    CMatrix4x4 const place = CMatrix4x4::GetTranslation(position);
    for (CModel* model : {m_starFish, m_shadow}) {
        if (AnimationControl* animation = model->GetAnimationControl()) {
            animation->SetLoop(true);
            if (speed)
                animation->SetSpeed(*speed);
            animation->Start();
        }
        model->Transform(place);
    }
}

void CStarFishScene::Destroy()
{
    if (!m_models)
        return;
    m_models->RemoveModel(m_starFish);
    m_models->RemoveModel(m_shadow);
    m_starFish = nullptr;
    m_shadow = nullptr;
    m_models = nullptr;
}

float CStarFishScene::ReadAnimationSpeed(CFile* descriptor)
{
    std::uint8_t bytes[4];
    try {
        descriptor->Read(bytes, 4);
    } catch (...) {
        descriptor->Close();
        throw;
    }
    descriptor->Close();
    std::uint32_t const bits = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                               std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    float speed;
    std::memcpy(&speed, &bits, sizeof speed);
    return speed;
}

CVector3 CStarFishScene::ReadPosition(CConfig* config)
{
    return {static_cast<float>(std::atof(config->GetValue("g_star_fish_x"))),
            static_cast<float>(std::atof(config->GetValue("g_star_fish_y"))),
            static_cast<float>(std::atof(config->GetValue("g_star_fish_z")))};
}
