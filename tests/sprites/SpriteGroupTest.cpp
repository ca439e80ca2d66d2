#include "SpriteFixture.h"

#include <cmath>
#include <numbers>

#include "model/Model.h"
#include "render/IndexBuffer.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr float Tolerance = 1e-4f;
CVector4 const White{1.0f, 1.0f, 1.0f, 1.0f};

void ExpectNear(CVector3 const& actual, CVector3 const& expected)
{
    EXPECT_NEAR(actual.x, expected.x, Tolerance);
    EXPECT_NEAR(actual.y, expected.y, Tolerance);
    EXPECT_NEAR(actual.z, expected.z, Tolerance);
}

class SpriteGroupTest : public SpriteFixture
{
protected:
    CSpriteGroup* AddGroup(unsigned int count) { return Groups()->AddSpriteGroup(count, MakeShader(), 0); }

    static Vertex const& VertexOf(CSpriteGroup* group, unsigned int quad, unsigned int corner)
    {
        return group->GetModel()->GetVertexBuffer()->Get()[4 * quad + corner];
    }
    static CVector3 QuadCentre(CSpriteGroup* group, unsigned int quad)
    {
        CVector3 sum(0.0f, 0.0f, 0.0f);
        for (unsigned int c = 0; c < 4; ++c)
            sum += VertexOf(group, quad, c).position;
        return sum / 4.0f;
    }
    static IndexBuffer* Indices(CSpriteGroup* group)
    {
        return group->GetModel()->GetTriangleSet(0)->GetIndexBuffer();
    }
};

// --- slots -----------------------------------------------------------------------------------

TEST_F(SpriteGroupTest, SlotsAreHandedOutFromTheTopAndTheLastFreedComesBackFirst)
{
    CSpriteGroup* group = AddGroup(3);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 2u);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 1u);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 0u);

    group->RemoveSprite(1);
    EXPECT_TRUE(group->GetSprite(1)->free);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 1u);

    group->RemoveSprite(0);
    group->RemoveSprite(2);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 2u);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 0u);
}

TEST_F(SpriteGroupTest, FullGroupReturnsZeroAndLeavesSpriteZeroAlone)
{
    CSpriteGroup* group = AddGroup(3);
    group->AddSprite({1, 1, 1}, 0.5f, White);
    group->AddSprite({2, 2, 2}, 0.5f, White);
    EXPECT_EQ(group->AddSprite({3, 4, 5}, 0.25f, {0.1f, 0.2f, 0.3f, 0.4f}), 0u);
    group->GetSprite(0)->angle = 0.7f;

    EXPECT_EQ(group->AddSprite({9, 9, 9}, 8.0f, {0, 0, 0, 0}), 0u);
    SSprite const* zero = group->GetSprite(0);
    ExpectNear(zero->position, {3, 4, 5});
    EXPECT_EQ(zero->size, 0.25f);
    EXPECT_EQ(zero->angle, 0.7f);
    EXPECT_EQ(zero->color.w, 0.4f);
    EXPECT_EQ(group->GetUsedCount(), 3u);
}

TEST_F(SpriteGroupTest, RemovingAFreeOrMissingSlotChangesNothing)
{
    CSpriteGroup* group = AddGroup(3);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 2u);
    group->RemoveSprite(1);
    group->RemoveSprite(3);
    group->RemoveSprite(~0u);
    group->RemoveSprite(2);
    group->RemoveSprite(2);
    EXPECT_EQ(group->GetUsedCount(), 0u);
    // A double removal would hand slot 2 out twice.
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 2u);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 1u);
    EXPECT_EQ(group->AddSprite({0, 0, 0}, 1.0f, White), 0u);
    EXPECT_EQ(group->GetSprite(3), nullptr);
}

TEST_F(SpriteGroupTest, AddedSpritesStartUnturned)
{
    CSpriteGroup* group = AddGroup(1);
    group->GetSprite(0)->angle = 1.0f;
    unsigned int const index = group->AddSprite({1, 2, 3}, 0.5f, White);
    EXPECT_EQ(group->GetSprite(index)->angle, 0.0f);
    EXPECT_FALSE(group->GetSprite(index)->free);
}

// --- geometry --------------------------------------------------------------------------------

TEST_F(SpriteGroupTest, ModelHoldsFourVerticesAndSixIndicesPerSlot)
{
    CSpriteGroup* group = AddGroup(3);
    CModel* model = group->GetModel();
    EXPECT_EQ(model->GetProperties(), CSpriteGroup::ModelProperties);
    EXPECT_FALSE(model->GetProperties() & MP_LIGHTING);
    EXPECT_EQ(model->GetVertexBuffer()->GetSize(), 12u);
    IndexBuffer* indices = Indices(group);
    ASSERT_EQ(indices->GetCapacity(), 18u);
    EXPECT_EQ(indices->GetSize(), 0u);

    // The index buffer's full capacity holds every quad's two triangles.
    indices->SetSize(18);
    unsigned int const expected[6] = {0, 1, 2, 2, 1, 3};
    for (unsigned int q = 0; q < 3; ++q) {
        for (unsigned int i = 0; i < 6; ++i)
            EXPECT_EQ(indices->GetIndex(6 * q + i), 4 * q + expected[i]) << "quad " << q << " index " << i;
    }
    CVector2 const uv[4] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (unsigned int q = 0; q < 3; ++q) {
        for (unsigned int c = 0; c < 4; ++c) {
            EXPECT_EQ(VertexOf(group, q, c).uv.x, uv[c].x);
            EXPECT_EQ(VertexOf(group, q, c).uv.y, uv[c].y);
        }
    }
}

TEST_F(SpriteGroupTest, QuadsFaceTheCameraWithCornersInFixedOrder)
{
    CSpriteGroup* group = AddGroup(2);
    group->AddSprite({1, 2, -5}, 0.5f, White);
    group->Refresh();
    // Camera at rest: right +x, up +y.
    ExpectNear(VertexOf(group, 0, 0).position, {0.5f, 1.5f, -5});
    ExpectNear(VertexOf(group, 0, 1).position, {0.5f, 2.5f, -5});
    ExpectNear(VertexOf(group, 0, 2).position, {1.5f, 1.5f, -5});
    ExpectNear(VertexOf(group, 0, 3).position, {1.5f, 2.5f, -5});
    EXPECT_EQ(Indices(group)->GetSize(), 6u);
}

TEST_F(SpriteGroupTest, QuadsStayPerpendicularToTheViewOfATurnedCamera)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({3, -2, 4}, 1.0f, White);
    PlaceCamera({1, 1, 1}, {1.2f, 0.0f, 0.7f});
    group->Refresh();
    CMatrix4x4 const& view = camera->GetModelViewMatrix();
    CVector3 const centre = view * CVector3(3, -2, 4);
    CVector3 const corner[4] = {view * VertexOf(group, 0, 0).position, view * VertexOf(group, 0, 1).position,
                                view * VertexOf(group, 0, 2).position, view * VertexOf(group, 0, 3).position};
    // In view space the square lies in one depth plane, left-bottom to right-top.
    for (CVector3 const& c : corner)
        EXPECT_NEAR(c.z, centre.z, Tolerance);
    ExpectNear(corner[0], centre + CVector3(-1, -1, 0));
    ExpectNear(corner[1], centre + CVector3(-1, 1, 0));
    ExpectNear(corner[2], centre + CVector3(1, -1, 0));
    ExpectNear(corner[3], centre + CVector3(1, 1, 0));
}

TEST_F(SpriteGroupTest, QuarterTurnSpriteHasItsCornersTurnedAboutItsCentre)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({2, 1, -4}, 1.0f, White);
    group->GetSprite(0)->angle = std::numbers::pi_v<float> / 2.0f;
    group->Refresh();
    // Each corner moves a quarter turn on about the viewing axis.
    ExpectNear(VertexOf(group, 0, 0).position, {3, 0, -4});
    ExpectNear(VertexOf(group, 0, 1).position, {1, 0, -4});
    ExpectNear(VertexOf(group, 0, 2).position, {3, 2, -4});
    ExpectNear(VertexOf(group, 0, 3).position, {1, 2, -4});
    ExpectNear(QuadCentre(group, 0), {2, 1, -4});
}

TEST_F(SpriteGroupTest, GroupMatrixMovesAndScalesTheQuads)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({1, 0, -2}, 0.5f, White);
    group->SetMatrix(CMatrix4x4::GetScale({2, 2, 2}));
    group->Refresh();
    ExpectNear(VertexOf(group, 0, 0).position, {1, -1, -4});
    ExpectNear(VertexOf(group, 0, 3).position, {3, 1, -4});

    // A translation moves the quads without resizing them.
    group->SetMatrix(CMatrix4x4::GetTranslation({10, 0, 0}));
    group->Refresh();
    ExpectNear(VertexOf(group, 0, 0).position, {10.5f, -0.5f, -2});
    ExpectNear(VertexOf(group, 0, 3).position, {11.5f, 0.5f, -2});

    group->SaveMatrix();
    group->Transform(CMatrix4x4::GetTranslation({0, 5, 0}));
    ExpectNear(group->GetMatrix() * CVector3(0, 0, 0), {10, 5, 0});
    group->RestoreMatrix();
    ExpectNear(group->GetMatrix() * CVector3(0, 0, 0), {10, 0, 0});
    // The model itself stays where it is.
    ExpectNear(group->GetModel()->GetMatrix() * CVector3(0, 0, 0), {0, 0, 0});
}

TEST_F(SpriteGroupTest, TurnedGroupKeepsTheSizeOfItsSprites)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({1, 0, 0}, 0.5f, White);
    float const pi = std::numbers::pi_v<float>;
    for (CMatrix4x4 const& turn : {CMatrix4x4::GetRotationZ(pi / 2.0f), CMatrix4x4::GetRotationX(pi)}) {
        group->SetMatrix(turn);
        group->Refresh();
        CVector3 const centre = turn * CVector3(1, 0, 0);
        ExpectNear(VertexOf(group, 0, 0).position, centre + CVector3(-0.5f, -0.5f, 0));
        ExpectNear(VertexOf(group, 0, 3).position, centre + CVector3(0.5f, 0.5f, 0));
    }
}

TEST_F(SpriteGroupTest, ColoursArePackedWithClampedChannels)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({0, 0, -3}, 1.0f, {0.5f, 1.2f, -0.1f, 1.0f});
    group->Refresh();
    for (unsigned int c = 0; c < 4; ++c)
        EXPECT_EQ(VertexOf(group, 0, c).color, 0xff80ff00u);
}

// --- draw order ------------------------------------------------------------------------------

TEST_F(SpriteGroupTest, QuadsFollowSlotOrderWithoutDepthSort)
{
    CSpriteGroup* group = AddGroup(3);
    group->SetDepthSort(false);
    group->AddSprite({0, 0, -2}, 0.1f, White);  // slot 2
    group->AddSprite({0, 0, -10}, 0.1f, White); // slot 1
    group->AddSprite({0, 0, -5}, 0.1f, White);  // slot 0
    group->Refresh();
    ExpectNear(QuadCentre(group, 0), {0, 0, -5});
    ExpectNear(QuadCentre(group, 1), {0, 0, -10});
    ExpectNear(QuadCentre(group, 2), {0, 0, -2});
}

TEST_F(SpriteGroupTest, DepthSortDrawsTheFarthestQuadFirst)
{
    CSpriteGroup* group = AddGroup(4);
    EXPECT_TRUE(group->GetDepthSort());
    group->AddSprite({0, 0, -2}, 0.1f, White);
    group->AddSprite({0, 0, -10}, 0.1f, White);
    group->AddSprite({0, 0, -5}, 0.1f, White);
    group->AddSprite({3, 0, 0}, 0.1f, White);
    group->Refresh();
    ExpectNear(QuadCentre(group, 0), {0, 0, -10});
    ExpectNear(QuadCentre(group, 1), {0, 0, -5});
    ExpectNear(QuadCentre(group, 2), {3, 0, 0});
    ExpectNear(QuadCentre(group, 3), {0, 0, -2});
    EXPECT_NEAR(group->GetSprite(2)->distance, 10.0f, Tolerance);

    // Moving the camera reverses the order.
    PlaceCamera({0, 0, -20}, {0, 0, 0});
    group->Refresh();
    ExpectNear(QuadCentre(group, 0), {3, 0, 0});
    ExpectNear(QuadCentre(group, 3), {0, 0, -10});
}

TEST_F(SpriteGroupTest, DepthSortMeasuresTheTransformedPositions)
{
    CSpriteGroup* group = AddGroup(2);
    group->AddSprite({0, 0, -2}, 0.1f, White);
    group->AddSprite({0, 0, 2}, 0.1f, White);
    group->SetMatrix(CMatrix4x4::GetTranslation({0, 0, -10}));
    group->Refresh();
    ExpectNear(QuadCentre(group, 0), {0, 0, -12});
    ExpectNear(QuadCentre(group, 1), {0, 0, -8});
}

TEST_F(SpriteGroupTest, EmptyGroupDrawsNothingAndKeepsItsCentre)
{
    CSpriteGroup* group = AddGroup(3);
    unsigned int const a = group->AddSprite({1, 0, -2}, 0.1f, White);
    unsigned int const b = group->AddSprite({3, 2, -4}, 0.1f, White);
    group->Refresh();
    ExpectNear(group->GetCenter(), {2, 1, -3});
    EXPECT_EQ(Indices(group)->GetSize(), 12u);

    group->RemoveSprite(a);
    group->RemoveSprite(b);
    group->Refresh();
    EXPECT_EQ(Indices(group)->GetSize(), 0u);
    ExpectNear(group->GetCenter(), {2, 1, -3});

    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 0u);
}

TEST_F(SpriteGroupTest, HiddenGroupIsNotRebuilt)
{
    CSpriteGroup* group = AddGroup(1);
    group->AddSprite({0, 0, -2}, 0.1f, White);
    group->Show(false);
    EXPECT_FALSE(group->IsVisible());
    group->Refresh();
    EXPECT_EQ(Indices(group)->GetSize(), 0u);
    group->Show(true);
    group->Refresh();
    EXPECT_EQ(Indices(group)->GetSize(), 6u);
}

TEST_F(SpriteGroupTest, TheEngineFrameDrawsTheQuadsInUse)
{
    CSpriteGroup* group = AddGroup(5);
    group->AddSprite({0, 0, -3}, 0.5f, White);
    group->AddSprite({1, 0, -3}, 0.5f, White);
    engine.BeginFrame();
    EXPECT_EQ(Indices(group)->GetSize(), 12u);
    EXPECT_EQ(group->GetModel()->GetTrianglesCount(), 4u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 1u);
    engine.FinishFrame();
}

// --- copies and the manager ----------------------------------------------------------------------

TEST_F(SpriteGroupTest, CopyHasItsOwnModelAndTheSameSlots)
{
    CSpriteGroup* group = AddGroup(3);
    group->AddSprite({1, 2, -3}, 0.5f, White);
    group->AddSprite({4, 5, -6}, 0.5f, White);
    group->RemoveSprite(2);
    group->SetDepthSort(false);
    group->GetModel()->AddProperties(MP_FIXED_DEPTH);
    group->GetModel()->SetDepthValue(-1.0f);

    CSpriteGroup* copy = Groups()->AddSpriteGroup(*group);
    EXPECT_NE(copy->GetModel(), group->GetModel());
    EXPECT_FALSE(copy->GetDepthSort());
    EXPECT_EQ(copy->GetModel()->GetDepthValue(), -1.0f);
    EXPECT_TRUE(copy->GetModel()->GetProperties() & MP_FIXED_DEPTH);
    ExpectNear(copy->GetSprite(1)->position, {4, 5, -6});
    EXPECT_TRUE(copy->GetSprite(2)->free);
    EXPECT_EQ(copy->AddSprite({0, 0, 0}, 1.0f, White), 2u);
    EXPECT_EQ(group->GetUsedCount(), 1u);
}

TEST_F(SpriteGroupTest, ManagerRefreshesEveryGroupAndRemovesTheirModels)
{
    unsigned int const modelsBefore = Models()->GetOccupiedModelsIndicesCount();
    CSpriteGroup* first = AddGroup(2);
    CSpriteGroup* second = AddGroup(2);
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), modelsBefore + 2);
    first->AddSprite({0, 0, -1}, 0.1f, White);
    second->AddSprite({0, 0, -1}, 0.1f, White);
    second->AddSprite({0, 0, -2}, 0.1f, White);
    Groups()->Refresh();
    EXPECT_EQ(Indices(first)->GetSize(), 6u);
    EXPECT_EQ(Indices(second)->GetSize(), 12u);

    Groups()->RemoveSpriteGroup(first);
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), modelsBefore + 1);
    EXPECT_EQ(Groups()->GetOccupiedSpriteGroupsIndicesCount(), 1u);
    // Removing twice, or a group the manager does not hold, does nothing.
    Groups()->RemoveSpriteGroup(first);
    Groups()->RemoveSpriteGroup(nullptr);
    EXPECT_EQ(Groups()->GetOccupiedSpriteGroupsIndicesCount(), 1u);

    // The freed slot is taken again.
    CSpriteGroup* third = AddGroup(1);
    EXPECT_EQ(Groups()->GetSpriteGroup(0), third);
    EXPECT_EQ(Groups()->GetOccupiedSpriteGroupIndex(1), 0u);

    Groups()->Destroy();
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), modelsBefore);
}

TEST_F(SpriteGroupTest, CallerOwnedGroupLeavesTheManagerEmpty)
{
    CSpriteGroup group;
    Groups()->CreateSpriteGroup(&group, 2u, MakeShader(), 0u);
    EXPECT_FALSE(group.IsFree());
    EXPECT_EQ(Groups()->GetOccupiedSpriteGroupsIndicesCount(), 0u);
    EXPECT_EQ(group.AddSprite({0, 0, 0}, 1.0f, White), 1u);
    group.Destroy();
    EXPECT_TRUE(group.IsFree());
    EXPECT_EQ(group.AddSprite({0, 0, 0}, 1.0f, White), 0u);
}
} // namespace
