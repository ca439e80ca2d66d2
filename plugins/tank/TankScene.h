#pragma once

#include <vector>

#include "TankLayout.h"
#include "math/Vector.h"

class CEngine;
class CModel;
class CParticleSystem;

// The tank itself: the water backdrop, the rippled sand with its moving caustic light, rocks,
// swaying plants, bubble streams and the light that falls from the surface.
class CTankScene
{
public:
    static constexpr char const* BackdropModel = "tank_backdrop.mlf";
    static constexpr char const* SandModel = "tank_sand.mlf";
    static constexpr char const* RockModelFormat = "tank_rock%u.mlf";
    static constexpr char const* TallPlantModel = "tank_grass.mlf";
    static constexpr char const* BushPlantModel = "tank_bush.mlf";
    static constexpr char const* BubblesParticleSystem = "tank_bubbles.psf";
    // Opaque models are drawn nearest first, so that what they cover fails the depth test
    // early. The sand and the backdrop lie behind everything else whatever their centres'
    // distance: they come last, the backdrop after the sand.
    static constexpr float SandDepthValue = 1000.0f;
    static constexpr float BackdropDepthValue = 1001.0f;

    // Light from the surface, slightly from the front left, and the water's ambient glow.
    static constexpr float SunDirection[3] = {0.3f, 0.35f, -1.0f};
    static constexpr float SunColour[3] = {0.85f, 0.9f, 0.95f};
    static constexpr float Ambient[3] = {0.42f, 0.5f, 0.58f};

    CTankScene() = default;
    ~CTankScene() { Destroy(); }
    CTankScene(CTankScene const&) = delete;
    CTankScene& operator=(CTankScene const&) = delete;

    void Create(CEngine* engine);
    void Destroy();
    bool IsFree() const { return m_engine == nullptr; }

    CModel* GetBackdrop() const { return m_backdrop; }
    CModel* GetSand() const { return m_sand; }
    std::vector<CModel*> const& GetRocks() const { return m_rocks; }
    std::vector<CModel*> const& GetPlants() const { return m_plants; }
    // Rocks along the back wall, and rocks and plants out to the sides for views wider than 4:3.
    std::vector<CModel*> const& GetOuterDecor() const { return m_outerDecor; }
    std::vector<CParticleSystem*> const& GetBubbleStreams() const { return m_bubbles; }
    // The light falling from the surface, -1 when the light manager had no room for it.
    int GetSunLight() const { return m_hasLight ? static_cast<int>(m_light) : -1; }

    // Where a plant or rock placed at (x, y) with `scale` and `turn` stands.
    static CVector3 GetFloorPoint(float x, float y);

private:
    CModel* AddPlaced(char const* file, float x, float y, float scale, float turn);
    CModel* AddRock(tank::SRockPlacement const& rock);
    void AddLight();

    CEngine* m_engine = nullptr;
    CModel* m_backdrop = nullptr;
    CModel* m_sand = nullptr;
    std::vector<CModel*> m_rocks;
    std::vector<CModel*> m_plants;
    std::vector<CModel*> m_outerDecor;
    std::vector<CParticleSystem*> m_bubbles;
    unsigned int m_light = 0;
    bool m_hasLight = false;
};
