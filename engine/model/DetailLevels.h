#pragma once

#include <string>
#include <vector>

// Triangle sets drawn only close up or only from afar. A set whose material name ends in
// ":near" is drawn while the model spans at least SwitchPixels of the view's height, one whose
// name ends in ":far" below that; every other set always. The switch has some slack either
// side, so a model at the edge does not flicker between its levels.
class CDetailLevels
{
public:
    static constexpr float SwitchPixels = 160.0f;
    static constexpr float SwitchSlack = 0.1f;
    static constexpr char const* NearSuffix = ":near";
    static constexpr char const* FarSuffix = ":far";

    void Clear();
    void AddSet(std::string const& material);
    // True once a set belongs to one level only.
    bool IsUsed() const { return m_used; }

    // Picks the level for a model spanning this many pixels of the view's height.
    void Choose(float pixels);
    bool IsFar() const { return m_far; }
    // Whether a set is drawn at the chosen level.
    bool IsDrawn(unsigned int set) const;
    // Keeps, in order, the sets drawn at the chosen level; returns how many are left.
    unsigned int Filter(unsigned int* sets, unsigned int count) const;

private:
    enum class ELevel : unsigned char
    {
        Always,
        Near,
        Far,
    };

    std::vector<ELevel> m_levels;
    bool m_used = false;
    bool m_far = false;
    bool m_chosen = false;
};
