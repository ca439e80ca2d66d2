// Per-frame vertex work of animated models: skinning a fish-sized mesh and blending two
// morph frames, as every fish and plankton model does each frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "model/Skeleton.h"
#include "model/Skinning.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr unsigned int BonesCount = 24;

struct SSkinnedMesh
{
    explicit SSkinnedMesh(unsigned int vertices)
    {
        messages.Create("bench_model", false, nullptr);
        memory.Create(&messages);
        skeleton.Create(&messages, &memory, BonesCount);
        for (unsigned int b = 0; b < BonesCount; ++b) {
            SBone* bone = skeleton.GetBone(b);
            bone->flag = 0;
            bone->lastDescendant = BonesCount - 1;
            bone->box.Set({-0.1f, -0.1f, -0.1f}, {0.1f, 0.1f, 0.1f});
            bone->animatedPosition = {0.1f * static_cast<float>(b), 0.0f, 0.0f};
            bone->animatedRotation = CQuaternion::GetRotationZ(0.02f * static_cast<float>(b));
            bone->animatedScale = {1.0f, 1.0f, 1.0f};
        }
        skeleton.Refresh();
        for (unsigned int v = 0; v < vertices; ++v) {
            entries.push_back({2, static_cast<std::uint32_t>(influences.size())});
            for (unsigned int i = 0; i < 2; ++i) {
                influences.push_back({(v + i) % BonesCount,
                                      0.5f,
                                      {0.01f * static_cast<float>(v % 50), 0.1f, 0.0f},
                                      {0.0f, 0.0f, 1.0f}});
            }
        }
        output.resize(vertices);
    }

    CMessageManager messages;
    CMemoryManager memory;
    CSkeleton skeleton;
    std::vector<SSkinEntry> entries;
    std::vector<SSkinInfluence> influences;
    std::vector<Vertex> output;
};

void SkinFishMesh(benchmark::State& state)
{
    SSkinnedMesh mesh(static_cast<unsigned int>(state.range(0)));
    auto const count = static_cast<unsigned int>(mesh.entries.size());
    for (auto _ : state) {
        SkinVertices(mesh.entries.data(), count, mesh.influences.data(), mesh.skeleton.GetBone(0u),
                     mesh.output.data());
        benchmark::DoNotOptimize(mesh.output.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(SkinFishMesh)->Arg(600)->Arg(4000);

void BlendMorphFrames(benchmark::State& state)
{
    auto const count = static_cast<unsigned int>(state.range(0));
    std::vector<float> frames(std::size_t(count) * 2 * MorphRecordFloats, 0.25f);
    std::vector<Vertex> output(count);
    float t = 0.0f;
    for (auto _ : state) {
        BlendMorphRecords(frames.data(), frames.data() + std::size_t(count) * MorphRecordFloats, t, count,
                          output.data());
        t = t > 0.9f ? 0.0f : t + 0.01f;
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BlendMorphFrames)->Arg(300)->Arg(4000);
} // namespace
BENCHMARK_MAIN();
