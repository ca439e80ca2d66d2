#include "FishModel.h"
#include "FishPortrait.h"
#include "FishTextures.h"

#include "math/Matrix4x4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace content;

namespace
{

// Skins every vertex of the model with the key frame's bone poses, as the engine does:
// Σ weight · (translation(position) × rotation × bone-space position).
std::vector<CVector3> SkinFrame(SModelData const& model, unsigned int frame)
{
    std::vector<CVector3> positions;
    std::size_t const bones = model.bones.size();
    for (auto const& set : model.sets) {
        for (auto const& vertex : set.vertices) {
            CVector3 sum(0.0f);
            for (auto const& influence : vertex.influences) {
                SModelKey const& key = model.keys[frame * bones + influence.bone];
                CMatrix4x4 const matrix = CMatrix4x4::GetTranslation(key.position) * key.rotation.GetMatrix();
                sum += (matrix * influence.position) * influence.weight;
            }
            positions.push_back(sum);
        }
    }
    return positions;
}

class FishSpeciesTest : public ::testing::TestWithParam<std::size_t>
{
protected:
    SFishSpecies const& Species() const { return GetFishSpecies()[GetParam()]; }
};

} // namespace

TEST(FishSpecies, AtLeastSixDistinctSpecies)
{
    auto const& species = GetFishSpecies();
    ASSERT_GE(species.size(), 6u);
    std::set<int> patterns;
    for (auto const& fish : species) {
        patterns.insert(static_cast<int>(fish.pattern));
    }
    EXPECT_GE(patterns.size(), 6u);
}

TEST_P(FishSpeciesTest, SkeletonIsAChainOfFiveBonesFromHeadToTail)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    SModelData const& model = geometry.model;
    EXPECT_EQ(model.flags & 0xF, MP_SKELETAL | MP_TRIANGLE_LISTS);
    ASSERT_EQ(model.bones.size(), 5u);
    for (unsigned int b = 0; b < 5; ++b) {
        EXPECT_EQ(model.bones[b].name, "Bone0" + std::to_string(b + 1));
        EXPECT_EQ(model.bones[b].lastDescendant, 4u);
        EXPECT_LT(model.bones[b].boxMin.x, model.bones[b].boxMax.x);
        if (b > 0) { // bones run from the head (+x) towards the tail
            EXPECT_LT(model.keys[b].position.x, model.keys[b - 1].position.x);
        }
    }
    // Body and fins close up, then both again cut coarser for afar.
    ASSERT_EQ(model.sets.size(), 4u);
    EXPECT_EQ(model.sets[0].material, "body:near");
    EXPECT_EQ(model.sets[3].material, "fins:far");
    EXPECT_EQ(model.sets[2].shader, 0u);
    EXPECT_EQ(model.sets[3].shader, 1u);
    EXPECT_LT(model.sets[2].indices.size() * 2, model.sets[0].indices.size());
    EXPECT_NO_THROW(CModelWriter::Validate(model));
}

TEST_P(FishSpeciesTest, WeightsSumToOneAndBindPoseIsRecovered)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    for (auto const& set : geometry.model.sets) {
        for (auto const& vertex : set.vertices) {
            float total = 0.0f;
            ASSERT_FALSE(vertex.influences.empty());
            for (auto const& influence : vertex.influences) {
                total += influence.weight;
            }
            EXPECT_NEAR(total, 1.0f, 1e-5f);
            EXPECT_GE(vertex.u, 0.0f);
            EXPECT_LE(vertex.u, 1.0f);
            EXPECT_GE(vertex.v, 0.0f);
            EXPECT_LE(vertex.v, 1.0f);
        }
    }
}

TEST_P(FishSpeciesTest, SwimCycleLoopsAndKeepsTheMeshWhole)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    SModelData const& model = geometry.model;
    ASSERT_EQ(model.keys.size(), model.frames * 5u);
    for (unsigned int b = 0; b < 5; ++b) {
        SModelKey const& first = model.keys[b];
        SModelKey const& last = model.keys[(model.frames - 1) * 5 + b];
        EXPECT_NEAR((first.position - last.position).GetLength(), 0.0f, 1e-5f);
        EXPECT_NEAR(first.rotation.z, last.rotation.z, 1e-5f);
    }
    std::vector<CVector3> bind;
    for (auto const& set : model.sets) {
        for (auto const& vertex : set.vertices) {
            bind.push_back(vertex.position);
        }
    }
    float const length = geometry.boxMax.x - geometry.boxMin.x;
    for (unsigned int frame = 0; frame < model.frames; ++frame) {
        std::vector<CVector3> const posed = SkinFrame(model, frame);
        // Edges of the body keep their length (no tearing), and the fish bends only a little.
        auto const& indices = model.sets[0].indices;
        for (std::size_t i = 0; i < indices.size(); i += 3) {
            for (int k = 0; k < 3; ++k) {
                std::uint32_t const a = indices[i + k], b = indices[i + (k + 1) % 3];
                float const before = (bind[a] - bind[b]).GetLength();
                float const after = (posed[a] - posed[b]).GetLength();
                EXPECT_NEAR(after, before, 0.2f * before + 0.01f);
            }
        }
        for (std::size_t i = 0; i < bind.size(); ++i) {
            ASSERT_LT((posed[i] - bind[i]).GetLength(), 0.25f * length);
        }
    }
}

TEST_P(FishSpeciesTest, BodyIsALensShapedProfileWithOutwardNormals)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    CFishBody const body(Species());
    SModelTriangleSet const& set = geometry.model.sets[0];
    int outward = 0;
    for (auto const& vertex : set.vertices) {
        float const s = std::clamp(body.GetS(vertex.position.x), 0.0f, 1.0f);
        CVector3 const axis(vertex.position.x, 0.0f, body.GetCentreZ(s));
        outward += (vertex.position - axis) * vertex.normal > 0.0f ? 1 : 0;
    }
    EXPECT_GT(outward, static_cast<int>(set.vertices.size() * 95 / 100));
    // Thickest in the middle, narrow at the tail base, closed at the nose.
    EXPECT_GT(body.GetHalfHeight(0.5f), 1.6f * body.GetHalfHeight(0.02f));
    EXPECT_NEAR(body.GetHalfHeight(1.0f), 0.0f, 1e-4f);
    EXPECT_GT(body.GetHalfHeight(0.5f), body.GetHalfWidth(0.5f));
    // The tail fin reaches behind the body, the dorsal fin above it.
    EXPECT_LT(geometry.boxMin.x, body.GetX(0.0f) - 0.5f * Species().tailLength);
    EXPECT_GT(geometry.boxMax.z,
              body.GetCentreZ(0.5f) + body.GetHalfHeight(0.5f) + 0.5f * Species().dorsalHeight * 0.5f);
}

TEST_P(FishSpeciesTest, SkinIsOpaqueOnTheBodyTranslucentOnFinsClearElsewhere)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    SFishTextures const textures = CFishTexturePainter::Paint(Species(), 0, geometry);
    unsigned int const n = CFishTexturePainter::Size;
    ASSERT_EQ(textures.colour.width, n);
    ASSERT_EQ(textures.alpha.channels, 1u);
    CFishBody const body(Species());
    SFishSideMapping const& mapping = geometry.mapping;
    auto texel = [&](float x, float z) {
        unsigned int const px = static_cast<unsigned int>(mapping.GetU(x) * n);
        unsigned int const py = static_cast<unsigned int>((1.0f - mapping.GetV(z)) * n);
        return *textures.alpha.At(px, py);
    };
    EXPECT_EQ(texel(body.GetX(0.5f), body.GetCentreZ(0.5f)), 255);
    EXPECT_EQ(*textures.alpha.At(n - 1, 0), 0);
    float const forkedLength = Species().tailLength * (1.0f - std::max(Species().tailFork, 0.0f));
    std::uint8_t const tail = texel(body.GetX(0.0f) - 0.4f * forkedLength, body.GetCentreZ(0.0f));
    EXPECT_GT(tail, 40);
    EXPECT_LT(tail, 250);
    SFishTextures const second = CFishTexturePainter::Paint(Species(), 1, geometry);
    EXPECT_NE(second.colour.pixels, textures.colour.pixels);
}

TEST_P(FishSpeciesTest, PortraitShowsTheFishInItsOwnSkinOnAClearBackground)
{
    SFishGeometry const geometry = CFishModelBuilder::Build(Species());
    SPicture const first =
        CFishPortraitPainter::Paint(geometry, CFishTexturePainter::Paint(Species(), 0, geometry));
    SPicture const second =
        CFishPortraitPainter::Paint(geometry, CFishTexturePainter::Paint(Species(), 1, geometry));
    ASSERT_EQ(first.width, CFishPortraitPainter::Width);
    ASSERT_EQ(first.height, CFishPortraitPainter::Height);
    ASSERT_EQ(first.channels, 4u);
    for (unsigned int y : {0u, first.height - 1})
        for (unsigned int x : {0u, first.width - 1})
            EXPECT_EQ(first.At(x, y)[3], 0) << x << "," << y;
    unsigned int opaque = 0;
    for (unsigned int y = 0; y < first.height; ++y)
        for (unsigned int x = 0; x < first.width; ++x)
            opaque += first.At(x, y)[3] == 255 ? 1u : 0u;
    // The fish fills a good part of its frame, and each skin gives its own picture.
    EXPECT_GT(opaque, first.width * first.height / 25);
    EXPECT_NE(first.pixels, second.pixels);
}

INSTANTIATE_TEST_SUITE_P(AllSpecies, FishSpeciesTest, ::testing::Range<std::size_t>(0, 6));
