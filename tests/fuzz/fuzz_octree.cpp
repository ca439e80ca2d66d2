// Random bytes as an octree file: loading must reject them cleanly or give a tree whose
// walks stay within the node table, and which saves back to the same bytes.
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Frustum.h"
#include "render/Octree.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct SFuzzContext
{
    SFuzzContext()
    {
        messages.Create("fuzz_octree", false, nullptr);
        memory.Create(&messages);
        std::string const base = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                 std::string("/tidewell-fuzz-octree-") + std::to_string(::getpid());
        path = base + ".otf";
        copyPath = base + "-copy.otf";
        frustum.Create();
        frustum.Refresh(CMatrix4x4::GetIdentity(), CMatrix4x4::GetIdentity());
    }
    ~SFuzzContext()
    {
        std::remove(path.c_str());
        std::remove(copyPath.c_str());
    }

    CMessageManager messages;
    CMemoryManager memory;
    CFrustum frustum;
    std::string path;
    std::string copyPath;
};

SFuzzContext& Context()
{
    static SFuzzContext context;
    return context;
}

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutFloat(std::vector<std::uint8_t>& bytes, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Put32(bytes, bits);
}

struct SNodeRecord
{
    float min, max;
    bool leaf;
    std::uint32_t skip, first, count;
};

std::vector<std::uint8_t> Build(std::vector<SNodeRecord> const& nodes)
{
    std::vector<std::uint8_t> bytes;
    Put32(bytes, 0);
    bytes.insert(bytes.end(), {'T', 'W', 'O', 'T', 'F'});
    Put32(bytes, 100);
    Put32(bytes, static_cast<std::uint32_t>(nodes.size()));
    for (SNodeRecord const& node : nodes) {
        for (int i = 0; i < 3; ++i)
            PutFloat(bytes, node.min);
        for (int i = 0; i < 3; ++i)
            PutFloat(bytes, node.max);
        bytes.push_back(node.leaf ? 1 : 0);
        Put32(bytes, node.skip);
        Put32(bytes, node.first);
        Put32(bytes, node.count);
    }
    std::uint32_t const size = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(size >> (8 * i));
    return bytes;
}

bool WriteFile(std::string const& path, std::uint8_t const* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    return true;
}

} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(Build({}));
    seeds.push_back(Build({{-1.0f, 1.0f, true, 0, 0, 4}}));
    seeds.push_back(Build({{-2.0f, 2.0f, false, 4, 0, 0},
                           {-0.5f, 0.5f, false, 3, 0, 0},
                           {-0.5f, 0.0f, true, 2, 0, 2},
                           {5.0f, 6.0f, true, 3, 2, 3},
                           {0.1f, 0.2f, true, 4, 5, 1}}));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SFuzzContext& context = Context();
    if (!WriteFile(context.path, data, size))
        return 0;

    context.messages.ClearMessagesBuffer();
    COctree tree;
    if (!tree.Create(&context.messages, &context.memory, nullptr, context.path.c_str())) {
        if (tree.GetNodesCount() != 0)
            std::abort();
        return 0;
    }
    // An accepted file holds every node it counts.
    if (COctree::HeaderSize + 4 + static_cast<std::size_t>(tree.GetNodesCount()) * COctree::NodeRecordSize >
        size)
        std::abort();

    constexpr unsigned int Capacity = 4096;
    if (tree.FitsTriangleSets(Capacity)) {
        std::vector<unsigned int> indices(Capacity);
        unsigned int count = 0;
        tree.GetVisibleTriangleSets(&count, indices.data(), context.frustum);
        if (count > Capacity)
            std::abort();
        tree.GetIntersectionTriangleSets(&count, indices.data(),
                                         CBoundingBox(CVector3(-1.0f), CVector3(1.0f)));
        if (count > Capacity)
            std::abort();
        for (unsigned int i = 0; i < count; ++i) {
            if (indices[i] >= Capacity)
                std::abort();
        }
    }

    // What was read saves back and reads again as the same nodes.
    if (!tree.Save(context.copyPath.c_str()))
        std::abort();
    COctree copy;
    if (!copy.Create(&context.messages, &context.memory, nullptr, context.copyPath.c_str()) ||
        copy.GetNodesCount() != tree.GetNodesCount())
        std::abort();
    for (unsigned int i = 0; i < tree.GetNodesCount(); ++i) {
        SOctreeNode const* a = tree.GetNode(i);
        SOctreeNode const* b = copy.GetNode(i);
        if (a->leaf != b->leaf || a->skip != b->skip || a->firstTriangleSet != b->firstTriangleSet ||
            a->triangleSetsCount != b->triangleSetsCount ||
            std::memcmp(&a->box.GetLocalMinPoint(), &b->box.GetLocalMinPoint(), sizeof(CVector3)) != 0 ||
            std::memcmp(&a->box.GetLocalMaxPoint(), &b->box.GetLocalMaxPoint(), sizeof(CVector3)) != 0)
            std::abort();
    }
    return 0;
}
