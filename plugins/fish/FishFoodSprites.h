#pragma once

#include <vector>

class CEngine;
class CFishFood;
class CSpriteGroup;

// Draws the food flakes as small warm-coloured sprites; flakes on the sand fade as they
// dissolve. The sprites' group is made when the first food drops.
class CFishFoodSprites
{
public:
    static constexpr char const* Texture = "plankton.jpg";
    // Half the side of a flake.
    static constexpr float FlakeSize = 0.07f;
    // The last seconds on the sand, over which a flake fades out.
    static constexpr float FadeSeconds = 4.0f;

    CFishFoodSprites() = default;
    ~CFishFoodSprites() { Destroy(); }
    CFishFoodSprites(CFishFoodSprites const&) = delete;
    CFishFoodSprites& operator=(CFishFoodSprites const&) = delete;

    void Create(CEngine* engine);
    void Destroy();
    // Puts one sprite on every flake.
    void Show(CFishFood const& food);

private:
    void CreateGroup();

    CEngine* m_engine = nullptr;
    CSpriteGroup* m_group = nullptr;
    std::vector<unsigned int> m_sprites;
};
