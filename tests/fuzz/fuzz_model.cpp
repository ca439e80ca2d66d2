// Random bytes as a model file (with the size field made to agree, so the content is
// reached): reading must reject or accept them cleanly, and an accepted file must keep
// every index, record and bone number within the buffers a model builds from it.
#include "model/ModelFile.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/MessageManager.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../model/ModelSamples.h"

namespace
{
CMessageManager& Messages()
{
    static CMessageManager messages;
    return messages;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckAccepted(SModelFile const& model)
{
    std::uint32_t const kind = model.properties & MP_KINDS;
    Require(kind == MP_STATIC || kind == MP_MORPH || kind == MP_SKELETAL);
    Require(model.framesCount > 0);
    std::uint64_t const buffer = model.GetBufferVerticesCount();
    std::uint64_t const records = model.IsMorph() ? buffer * model.framesCount : buffer;
    Require(model.keyframes.size() == std::size_t(model.framesCount) * model.bones.size() ||
            !model.IsSkeletal());
    for (SModelFileBone const& bone : model.bones)
        Require(bone.lastDescendant < model.bones.size());
    std::uint64_t offset = 0;
    std::uint64_t morphOffset = 0;
    for (SModelFileTriangleSet const& set : model.triangleSets) {
        if ((model.properties & MP_TRIANGLE_LISTS) == 0)
            Require(set.indices.size() >= 2);
        std::uint32_t low = 0xFFFFFFFFu;
        std::uint32_t high = 0;
        for (std::uint32_t index : set.indices) {
            Require(index < buffer);
            std::uint32_t const stored = set.indices.size() < 65536 ? (index & 0xFFFFu) : index;
            low = std::min(low, stored);
            high = std::max(high, stored);
        }
        offset += set.vertices.size();
        Require(offset <= records);
        if (model.IsMorph() && !set.indices.empty()) {
            morphOffset += std::uint64_t(model.framesCount) * (high - low + 1);
            Require(morphOffset <= records);
        }
        std::size_t influences = 0;
        for (SModelFileVertex const& vertex : set.vertices)
            influences += model.IsSkeletal() ? (vertex.tail & 0xFFFFu) : 0;
        Require(influences == set.influences.size());
        for (SModelFileInfluence const& influence : set.influences)
            Require(influence.bone < model.bones.size());
    }
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(WriteModelFileImage(model_samples::MakeStatic()));
    seeds.push_back(WriteModelFileImage(model_samples::MakeMorph()));
    seeds.push_back(WriteModelFileImage(model_samples::MakeSkeletal()));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() >= 4) {
        auto const length = static_cast<std::uint32_t>(bytes.size());
        std::memcpy(bytes.data(), &length, 4);
    }
    CFile file;
    file.Open(&Messages(), nullptr, "fuzz.mlf", FILE_READ_BINARY, true,
              static_cast<unsigned int>(bytes.size()), bytes.data());
    SModelFile model;
    try {
        if (ReadModelFile(file, &model) == EModelFileResult::Ok)
            CheckAccepted(model);
    } catch (CFileError const&) {
    }
    return 0;
}
