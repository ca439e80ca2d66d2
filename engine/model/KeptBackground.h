#pragma once

#include <cstdint>
#include <vector>

class CConfig;
class CLightManager;
class CModel;

// Opaque models that stand still (marked MP_BACKGROUND) are drawn first, into a copy of the
// back buffer the device keeps; the frames after start from that copy instead of a clear and
// draw only the other models, for as long as nothing that shapes the background changes: its
// models and their matrices, the frames and texture placement of their shaders, the light
// pattern on lit ones, their cameras, the lights and the render settings. Animated or skinned
// models never count as background.
class CKeptBackground
{
public:
    // Frames drawn from one copy, or from repaints over it, at most: something outside the
    // fingerprint may have changed.
    static constexpr unsigned int MaxFramesFromOneCopy = 600;

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // An opaque static model marked MP_BACKGROUND.
    static bool IsBackground(CModel const* model);
    // Fingerprints the background models at the front of a draw list sorted with them first;
    // returns how many there are (none while disabled).
    std::size_t Prepare(std::vector<CModel*> const& drawList, CLightManager const* lights, CConfig* config);
    // True when the kept copy shows this frame's background.
    bool IsCurrent() const;
    // True when the kept copy differs from this frame's background only in the frames of
    // animated stages, the placement of textures or the light pattern: the models these changed
    // for can be drawn again over it.
    bool CanRepaint() const;
    // A model whose frames changed is drawn again, and so is every blended model after it,
    // which blends over what lies under it.
    bool NeedsRepaint(std::size_t index) const;
    // The device kept (or failed to keep) a copy of the background just drawn, whole or
    // repainted over the last copy; a failure disables keeping.
    void Kept(bool succeeded, bool whole);
    // A frame drawn from the copy.
    void Restored() { ++m_framesFromCopy; }
    // Nothing kept any longer (the device copy was lost or released).
    void Forget() { m_hasCopy = false; }

private:
    bool m_enabled = false;
    bool m_hasCopy = false;
    // Everything but what may be repainted (animated frames, texture placement, the light
    // pattern), and that model by model.
    std::uint64_t m_shape = 0;
    std::uint64_t m_keptShape = 0;
    std::vector<std::uint64_t> m_frames;
    std::vector<std::uint64_t> m_keptFrames;
    // By background model: drawn blended over what lies under it.
    std::vector<bool> m_blended;
    unsigned int m_framesFromCopy = 0;
};
