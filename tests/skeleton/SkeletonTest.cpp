#include "model/Skeleton.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "math/MathTypes.h"
#include "model/Skinning.h"
#include "render/VertexBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace
{
constexpr float QuarterTurn = std::numbers::pi_v<float> / 2.0f;

void ExpectVector(CVector3 const& actual, CVector3 const& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

void ExpectQuaternion(CQuaternion const& actual, CQuaternion const& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    EXPECT_NEAR(actual.w, expected.w, 1e-5f);
}

class SkeletonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        messages.Create("skeleton", false, nullptr);
        memory.Create(&messages);
    }

    void TearDown() override
    {
        skeleton.Destroy();
        memory.Destroy();
        messages.Destroy();
    }

    // root(0) -> spine(1) -> tail(2), and fin(3) a second child of the root:
    // depth first, so the root's subtree is 0..3 and the spine's 1..2.
    void CreateFish()
    {
        skeleton.Create(&messages, &memory, 4);
        char const* names[] = {"root", "spine", "tail", "fin"};
        unsigned int const lastDescendants[] = {3, 2, 2, 3};
        CVector3 const positions[] = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {1, 0, 1}};
        for (unsigned int i = 0; i < 4; ++i) {
            SBone* bone = skeleton.GetBone(i);
            std::strcpy(bone->name, names[i]);
            bone->lastDescendant = lastDescendants[i];
            bone->animatedPosition = positions[i];
        }
    }

    CVector3 WorldPosition(unsigned int index)
    {
        SBone const* bone = skeleton.GetBone(index);
        return bone->animatedPosition + bone->additionalPosition;
    }

    CMessageManager messages;
    CMemoryManager memory;
    CSkeleton skeleton;
};
} // namespace

TEST_F(SkeletonTest, CreateResetsAdditionalPose)
{
    EXPECT_TRUE(skeleton.IsFree());
    skeleton.Create(&messages, &memory, 3);
    EXPECT_FALSE(skeleton.IsFree());
    ASSERT_EQ(skeleton.GetBonesCount(), 3u);
    for (unsigned int i = 0; i < 3; ++i) {
        ExpectQuaternion(skeleton.GetBone(i)->additionalRotation, CQuaternion(0, 0, 0, 1));
        ExpectVector(skeleton.GetBone(i)->additionalPosition, CVector3(0.0f));
    }
    EXPECT_EQ(skeleton.GetBone(3u), nullptr);
}

TEST_F(SkeletonTest, LooksBonesUpByExactName)
{
    CreateFish();
    EXPECT_EQ(skeleton.GetBoneIndexByName("tail"), 2);
    EXPECT_EQ(skeleton.GetBone("fin"), skeleton.GetBone(3u));
    EXPECT_EQ(skeleton.GetBoneIndexByName("Tail"), -1);
    EXPECT_EQ(skeleton.GetBoneIndexByName("tai"), -1);
    EXPECT_EQ(skeleton.GetBone("gill"), nullptr);
    EXPECT_EQ(skeleton.GetBoneIndexByName(nullptr), -1);
}

TEST_F(SkeletonTest, RotatingLeafTurnsOnlyItsOwnRotation)
{
    CreateFish();
    CQuaternion const turn = CQuaternion::GetRotationZ(QuarterTurn);
    skeleton.RotateBone(2, turn);
    ExpectQuaternion(skeleton.GetBone(2u)->additionalRotation, turn);
    for (unsigned int i : {0u, 1u, 3u})
        ExpectQuaternion(skeleton.GetBone(i)->additionalRotation, CQuaternion(0, 0, 0, 1));
    for (unsigned int i = 0; i < 4; ++i)
        ExpectVector(skeleton.GetBone(i)->additionalPosition, CVector3(0.0f));
}

TEST_F(SkeletonTest, RotatingRootTurnsDescendantsAboutItsPosition)
{
    CreateFish();
    CQuaternion const turn = CQuaternion::GetRotationZ(QuarterTurn);
    skeleton.RotateBone("root", turn);
    ExpectVector(WorldPosition(0), CVector3(1, 0, 0));
    ExpectVector(WorldPosition(1), CVector3(1, 1, 0));
    ExpectVector(WorldPosition(2), CVector3(1, 2, 0));
    ExpectVector(WorldPosition(3), CVector3(1, 0, 1));
    ExpectVector(skeleton.GetBone(1u)->additionalPosition, CVector3(-1, 1, 0));
    for (unsigned int i = 0; i < 4; ++i)
        ExpectQuaternion(skeleton.GetBone(i)->additionalRotation, turn);
}

TEST_F(SkeletonTest, RotatingInnerBoneLeavesOtherBranchesAlone)
{
    CreateFish();
    CQuaternion const turn = CQuaternion::GetRotationZ(QuarterTurn);
    skeleton.RotateBone(1, turn);
    skeleton.RotateBone(1, turn);
    // Two quarter turns about the spine at (2, 0, 0) carry the tail to (1, 0, 0).
    ExpectVector(WorldPosition(2), CVector3(1, 0, 0));
    ExpectVector(WorldPosition(1), CVector3(2, 0, 0));
    ExpectQuaternion(skeleton.GetBone(2u)->additionalRotation, turn * turn);
    ExpectQuaternion(skeleton.GetBone(3u)->additionalRotation, CQuaternion(0, 0, 0, 1));
    ExpectQuaternion(skeleton.GetBone(0u)->additionalRotation, CQuaternion(0, 0, 0, 1));
    ExpectVector(WorldPosition(3), CVector3(1, 0, 1));
}

TEST_F(SkeletonTest, MovingBoneShiftsItsSubtree)
{
    CreateFish();
    skeleton.MoveBone("spine", CVector3(0, 0, 2));
    skeleton.MoveBone(1, CVector3(0, 1, 0));
    ExpectVector(skeleton.GetBone(1u)->additionalPosition, CVector3(0, 1, 2));
    ExpectVector(skeleton.GetBone(2u)->additionalPosition, CVector3(0, 1, 2));
    ExpectVector(skeleton.GetBone(0u)->additionalPosition, CVector3(0.0f));
    ExpectVector(skeleton.GetBone(3u)->additionalPosition, CVector3(0.0f));

    skeleton.ResetAllBonesAdditionalPositionAndRotation();
    ExpectVector(skeleton.GetBone(2u)->additionalPosition, CVector3(0.0f));
}

TEST_F(SkeletonTest, UnknownBonesChangeNothing)
{
    CreateFish();
    skeleton.RotateBone("gill", CQuaternion::GetRotationX(1.0f));
    skeleton.MoveBone("gill", CVector3(1, 1, 1));
    skeleton.RotateBone(-1, CQuaternion::GetRotationX(1.0f));
    skeleton.MoveBone(4, CVector3(1, 1, 1));
    for (unsigned int i = 0; i < 4; ++i) {
        ExpectQuaternion(skeleton.GetBone(i)->additionalRotation, CQuaternion(0, 0, 0, 1));
        ExpectVector(skeleton.GetBone(i)->additionalPosition, CVector3(0.0f));
    }
}

TEST_F(SkeletonTest, SubtreeEndBeyondTheBonesStopsAtTheLastBone)
{
    CreateFish();
    skeleton.GetBone(0u)->lastDescendant = 1000;
    skeleton.MoveBone(0, CVector3(1, 0, 0));
    skeleton.RotateBone(0, CQuaternion::GetRotationZ(QuarterTurn));
    ExpectVector(skeleton.GetBone(3u)->additionalPosition, CVector3(1, 0, 0));
}

TEST_F(SkeletonTest, RefreshComposesTranslationRotationScale)
{
    skeleton.Create(&messages, &memory, 1);
    SBone* bone = skeleton.GetBone(0u);
    bone->box.Set(CVector3(-1.0f), CVector3(1.0f));
    bone->animatedRotation = CQuaternion::GetRotationZ(QuarterTurn);
    bone->animatedPosition = CVector3(1, 2, 3);
    bone->animatedScale = CVector3(2, 1, 1);
    skeleton.MoveBone(0, CVector3(0, 1, 0));
    skeleton.Refresh();

    // (1, 0, 0): scaled to (2, 0, 0), turned to (0, 2, 0), moved by (1, 3, 3).
    ExpectVector(bone->boneMatrix * CVector3(1, 0, 0), CVector3(1, 5, 3));
    ExpectVector(bone->box.GetMinPoint(), CVector3(0, 1, 2));
    ExpectVector(bone->box.GetMaxPoint(), CVector3(2, 5, 4));
}

TEST_F(SkeletonTest, RefreshAppliesAnimatedRotationBeforeAdditional)
{
    skeleton.Create(&messages, &memory, 1);
    SBone* bone = skeleton.GetBone(0u);
    bone->box.Set(CVector3(-1.0f), CVector3(1.0f));
    bone->animatedRotation = CQuaternion::GetRotationZ(QuarterTurn);
    bone->animatedPosition = CVector3(0.0f);
    bone->animatedScale = CVector3(1.0f);
    skeleton.RotateBone(0, CQuaternion::GetRotationX(QuarterTurn));
    skeleton.Refresh();
    // About z: (1, 0, 0) -> (0, 1, 0); then about x: -> (0, 0, 1).
    ExpectVector(bone->rotationMatrix * CVector3(1, 0, 0), CVector3(0, 0, 1));
}

TEST_F(SkeletonTest, CopiesOwnTheirBones)
{
    CreateFish();
    CSkeleton copy(skeleton);
    ASSERT_EQ(copy.GetBonesCount(), 4u);
    EXPECT_NE(copy.GetBone(0u), skeleton.GetBone(0u));
    copy.MoveBone("root", CVector3(5, 0, 0));
    ExpectVector(skeleton.GetBone(2u)->additionalPosition, CVector3(0.0f));
    ExpectVector(copy.GetBone(2u)->additionalPosition, CVector3(5, 0, 0));

    CSkeleton assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetBoneIndexByName("fin"), 3);
    CSkeleton& same = assigned;
    assigned = same;
    EXPECT_EQ(assigned.GetBonesCount(), 4u);
    assigned.Create(assigned);
    EXPECT_EQ(assigned.GetBoneIndexByName("fin"), 3);
}

TEST_F(SkeletonTest, DestroyReturnsTheBones)
{
    auto heapBlocksInUse = [&] {
        unsigned int count = 0;
        for (unsigned int i = CMemoryManager::PreallocatedEntriesCount; i < CMemoryManager::EntriesCount; ++i)
            count += memory.IsEntryInUse(i) ? 1 : 0;
        return count;
    };
    CreateFish();
    EXPECT_EQ(heapBlocksInUse(), 1u);
    skeleton.Create(&messages, &memory, 2);
    EXPECT_EQ(skeleton.GetBonesCount(), 2u);
    EXPECT_EQ(heapBlocksInUse(), 1u);
    skeleton.Destroy();
    EXPECT_TRUE(skeleton.IsFree());
    EXPECT_EQ(skeleton.GetBonesCount(), 0u);
    EXPECT_EQ(heapBlocksInUse(), 0u);
    skeleton.Destroy();

    skeleton.Create(&messages, &memory, 0);
    EXPECT_EQ(heapBlocksInUse(), 0u);
    EXPECT_EQ(skeleton.GetBone(0u), nullptr);
    EXPECT_EQ(skeleton.GetBone("root"), nullptr);
}

TEST(Skinning, NonUniformBoneScaleTiltsNormalsWithTheSurface)
{
    // A surface along (1, -1, 0) with normal (1, 1, 0)/√2, stretched twice along x: the
    // surface runs along (2, -1, 0), so its normal becomes (1, 2, 0)/√5.
    SBone bone{};
    bone.rotationMatrix = CMatrix4x4::GetIdentity();
    bone.boneMatrix = CMatrix4x4::GetScale({2.0f, 1.0f, 1.0f});
    float const half = std::sqrt(0.5f);
    SSkinInfluence const influence{0, 1.0f, {1.0f, 0.0f, 0.0f}, {half, half, 0.0f}};
    SSkinEntry const entry{1, 0};
    Vertex vertex{};
    SkinVertices(&entry, 1, &influence, &bone, &vertex);
    ExpectVector(vertex.position, {2.0f, 0.0f, 0.0f});
    float const fifth = std::sqrt(0.2f);
    ExpectVector(vertex.normal, {fifth, 2.0f * fifth, 0.0f});
}
