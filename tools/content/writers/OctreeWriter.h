#pragma once

#include "math/Vector.h"

#include <cstdint>
#include <vector>

namespace content
{

// One node in depth-first pre-order; `skip` is the index of the last node of its subtree.
struct SOctreeNodeRecord
{
    CVector3 min{0.0f, 0.0f, 0.0f}, max{0.0f, 0.0f, 0.0f};
    bool leaf = true;
    std::uint32_t skip = 0;
    std::uint32_t firstSet = 0;
    std::uint32_t setsCount = 0;
};

// Writes TWOTF version 100. Throws std::invalid_argument when a skip index leaves the
// node array or points before its own node.
class COctreeWriter
{
public:
    static constexpr std::uint32_t Version = 100;
    static std::vector<std::uint8_t> Write(std::vector<SOctreeNodeRecord> const& nodes);
    // A single leaf holding every triangle set inside the box.
    static std::vector<SOctreeNodeRecord> MakeSingleLeaf(CVector3 const& min, CVector3 const& max,
                                                         std::uint32_t setsCount);
};

} // namespace content
