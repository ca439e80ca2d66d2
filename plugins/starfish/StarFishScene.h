#pragma once

#include "math/Vector.h"

#include <optional>

class CConfig;
class CFile;
class CModel;
class CModelManager;

// The starfish and its shadow, both looping their animation at one speed, at one place.
class CStarFishScene
{
public:
    static constexpr char const* StarFishModel = "star.mlf";
    static constexpr char const* ShadowModel = "star_shadow.mlf";
    // The shadow lies in the transparent group at a fixed depth just in front of the floor.
    static constexpr float ShadowDepthValue = 0.00001f;

    CStarFishScene() = default;
    ~CStarFishScene() { Destroy(); }
    CStarFishScene(CStarFishScene const&) = delete;
    CStarFishScene& operator=(CStarFishScene const&) = delete;

    // Adds both models to `models`, the starfish lit by the scene's lights and the shadow unlit,
    // animating at `speed` frames per second (without one, at the speed their model files give)
    // from `position`.
    void Create(CModelManager* models, std::optional<float> speed, CVector3 const& position);
    // Removes both models.
    void Destroy();
    bool IsFree() const { return m_models == nullptr; }

    CModel* GetStarFish() const { return m_starFish; }
    CModel* GetShadow() const { return m_shadow; }

    // The 32-bit little-endian speed that follows the descriptor's texts. The file is closed
    // whether or not the read succeeds; a short file throws the file error.
    static float ReadAnimationSpeed(CFile* descriptor);
    // "g_star_fish_x", "g_star_fish_y", "g_star_fish_z"; a name not registered reads as 0.
    static CVector3 ReadPosition(CConfig* config);

private:
    CModelManager* m_models = nullptr;
    CModel* m_starFish = nullptr;
    CModel* m_shadow = nullptr;
};
