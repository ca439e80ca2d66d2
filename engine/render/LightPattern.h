#pragma once

#include <array>
#include <cstdint>

class CDirect3DSubsystem;
class CTexture2D;

// The picture the light from the surface throws on lit models (caustics under water): up to two
// layers of texture laid over the world from above. Each layer multiplies the colour by twice
// its texel, so a texel of one half leaves the colour as it is.
class CLightPattern
{
public:
    static constexpr unsigned int MaxLayers = 2;

    struct SLayer
    {
        CTexture2D const* texture = nullptr;
        // Texture coordinates from the world position: u = u[0] x + u[1] y + u[2] z + u[3], v alike.
        std::array<float, 4> u{0.0f, 0.0f, 0.0f, 0.0f};
        std::array<float, 4> v{0.0f, 0.0f, 0.0f, 0.0f};
        // Laid on still (background) models only: a moving model shows too little of a surface
        // for a second layer to matter there.
        bool stillOnly = false;
    };

    // `index` below MaxLayers; layers are used from the first up to the first without a texture.
    void SetLayer(unsigned int index, SLayer const& layer);
    void Clear();
    SLayer const& GetLayer(unsigned int index) const { return m_layers[index % MaxLayers]; }
    bool IsActive() const { return m_layers[0].texture != nullptr; }

    // Counts every change of the picture or its placement: what was drawn with an older count
    // shows an older picture.
    std::uint64_t GetGeneration() const { return m_generation; }
    // The texels of a layer's texture were written.
    void Touch() { ++m_generation; }

    // What the next draws receive: nothing unless `lit`, the still-only layers only if `still`.
    void Receive(bool lit, bool still)
    {
        m_lit = lit;
        m_still = still;
    }
    // Binds the layers the current draw receives to the texture units from `firstUnit` on, as
    // far as `units` reach; returns the first unit left free.
    unsigned int Apply(CDirect3DSubsystem* direct3D, unsigned int firstUnit, unsigned int units);

private:
    std::array<SLayer, MaxLayers> m_layers;
    std::uint64_t m_generation = 0;
    bool m_lit = false;
    bool m_still = false;
};
