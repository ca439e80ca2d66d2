#include "TankScene.h"

#include <cstdio>
#include <utility>

#include "core/Engine.h"
#include "model/ModelFile.h"
#include "model/ModelManager.h"
#include "model/ParticleSystemManager.h"
#include "render/LightManager.h"

CVector3 CTankScene::GetFloorPoint(float x, float y)
{
    return CVector3(x, y, tank::GetFloorHeight(x, y));
}

void CTankScene::Create(CEngine* engine)
{
    Destroy();
    m_engine = engine;
    CModelManager* models = engine->GetModelManager();
    m_backdrop = models->AddModel(BackdropModel, 0);
    m_sand = models->AddModel(SandModel, 0);
    for (auto [model, depth] :
         {std::pair{m_sand, SandDepthValue}, std::pair{m_backdrop, BackdropDepthValue}}) {
        model->AddProperties(MP_FIXED_DEPTH | MP_BACKGROUND);
        model->SetDepthValue(depth);
    }

    for (tank::SRockPlacement const& rock : tank::Rocks)
        m_rocks.push_back(AddRock(rock));
    auto addPlants = [this](char const* file, auto const& placements, std::vector<CModel*>* models) {
        for (tank::SPlacement const& plant : placements) {
            CModel* model = AddPlaced(file, plant.x, plant.y, plant.scale, plant.turn);
            if (AnimationControl* animation = model->GetAnimationControl()) {
                animation->SetLoop(true);
                animation->SetTime(plant.phase);
                animation->Start();
            }
            models->push_back(model);
        }
    };
    addPlants(TallPlantModel, tank::TallPlants, &m_plants);
    addPlants(BushPlantModel, tank::BushPlants, &m_plants);
    // The back wall and the sides only wide views see: nothing there for the fish to keep out of.
    for (tank::SRockPlacement const& rock : tank::BackRocks)
        m_outerDecor.push_back(AddRock(rock));
    addPlants(TallPlantModel, tank::BackPlants, &m_outerDecor);
    for (tank::SRockPlacement const& rock : tank::OuterRocks)
        m_outerDecor.push_back(AddRock(rock));
    addPlants(TallPlantModel, tank::OuterTallPlants, &m_outerDecor);
    addPlants(BushPlantModel, tank::OuterBushPlants, &m_outerDecor);

    CParticleSystemManager* particles = engine->GetParticleSystemManager();
    for (tank::SBubbleStream const& stream : tank::BubbleStreams) {
        CParticleSystem* bubbles = particles->AddParticleSystem(BubblesParticleSystem, 0u);
        bubbles->SetPosition(GetFloorPoint(stream.x, stream.y));
        bubbles->SetAnimationLoop(true);
        bubbles->StartAnimation();
        m_bubbles.push_back(bubbles);
    }
    AddLight();
}

CModel* CTankScene::AddRock(tank::SRockPlacement const& rock)
{
    char file[64];
    std::snprintf(file, sizeof file, RockModelFormat, rock.shape);
    CModel* model = AddPlaced(file, rock.x, rock.y, rock.scale, rock.turn);
    model->AddProperties(MP_BACKGROUND);
    return model;
}

CModel* CTankScene::AddPlaced(char const* file, float x, float y, float scale, float turn)
{
    CModel* model = m_engine->GetModelManager()->AddModel(file, 0);
    model->Transform(CMatrix4x4::GetTranslation(GetFloorPoint(x, y)) * CMatrix4x4::GetRotationZ(turn) *
                     CMatrix4x4::GetScale(CVector3(scale)));
    return model;
}

void CTankScene::AddLight()
{
    CLightManager* lights = m_engine->GetLightManager();
    lights->SetGlobalAmbient(CVector3(Ambient[0], Ambient[1], Ambient[2]));
    if (lights->GetLightsCount() >= CLightManager::MaxLights)
        return;
    m_light = lights->AddLight();
    m_hasLight = true;
    CLight* sun = lights->GetLight(m_light);
    CVector3 direction(SunDirection[0], SunDirection[1], SunDirection[2]);
    direction.SetLength(1.0f);
    sun->SetType(LT_DIRECTIONAL);
    sun->SetDirection(direction);
    sun->SetDiffuseColor(CVector4(SunColour[0], SunColour[1], SunColour[2], 1.0f));
    sun->SetSpecularColor(CVector4(0.0f, 0.0f, 0.0f, 1.0f));
    sun->Enable();
}

void CTankScene::Destroy()
{
    if (!m_engine)
        return;
    CModelManager* models = m_engine->GetModelManager();
    CParticleSystemManager* particles = m_engine->GetParticleSystemManager();
    for (CParticleSystem* bubbles : m_bubbles)
        particles->RemoveParticleSystem(bubbles);
    for (CModel* plant : m_plants)
        models->RemoveModel(plant);
    for (CModel* rock : m_rocks)
        models->RemoveModel(rock);
    for (CModel* decor : m_outerDecor)
        models->RemoveModel(decor);
    models->RemoveModel(m_sand);
    models->RemoveModel(m_backdrop);
    if (m_hasLight)
        m_engine->GetLightManager()->RemoveLight(m_light);
    m_bubbles.clear();
    m_plants.clear();
    m_rocks.clear();
    m_outerDecor.clear();
    m_sand = nullptr;
    m_backdrop = nullptr;
    m_hasLight = false;
    m_engine = nullptr;
}
