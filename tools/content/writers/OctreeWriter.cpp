#include "OctreeWriter.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace content
{

std::vector<std::uint8_t> COctreeWriter::Write(std::vector<SOctreeNodeRecord> const& nodes)
{
    CByteWriter out;
    out.WriteHeader("TWOTF", Version);
    out.WriteU32(static_cast<std::uint32_t>(nodes.size()));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        SOctreeNodeRecord const& node = nodes[i];
        if (node.skip < i || node.skip >= nodes.size()) {
            throw std::invalid_argument("octree skip index outside the node's subtree range");
        }
        out.WriteVector3(node.min);
        out.WriteVector3(node.max);
        out.WriteU8(node.leaf ? 1 : 0);
        out.WriteU32(node.skip);
        out.WriteU32(node.firstSet);
        out.WriteU32(node.setsCount);
    }
    out.FinishHeader();
    return out.TakeBytes();
}

std::vector<SOctreeNodeRecord> COctreeWriter::MakeSingleLeaf(CVector3 const& min, CVector3 const& max,
                                                             std::uint32_t setsCount)
{
    SOctreeNodeRecord node;
    node.min = min;
    node.max = max;
    node.leaf = true;
    node.skip = 0;
    node.firstSet = 0;
    node.setsCount = setsCount;
    return {node};
}

} // namespace content
