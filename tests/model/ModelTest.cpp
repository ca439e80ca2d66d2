#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ModelFixture.h"
#include "ModelSamples.h"
#include "core/Errors.h"
#include "model/Skeleton.h"
#include "render/IndexBuffer.h"
#include "render/Octree.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
using namespace model_samples;

constexpr float Tolerance = 1e-5f;

void ExpectNear(CVector3 const& actual, CVector3 const& expected, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

CVector3 Position(CModel const& model, unsigned int vertex)
{
    return model.GetVertexBuffer()->Get()[vertex].position;
}

class ModelTest : public ModelFixture
{
protected:
    // The model the manager substituted for a file it could not load is the unit box.
    void ExpectUnitBox(CModel const* model)
    {
        ASSERT_FALSE(model->IsFree());
        EXPECT_EQ(model->GetProperties(), CModel::BoxProperties);
        EXPECT_EQ(model->GetVertexBuffer()->GetSize(), 24u);
        ExpectNear(model->GetBoundingBox().GetMinPoint(), {-0.5f, -0.5f, -0.5f});
        ExpectNear(model->GetBoundingBox().GetMaxPoint(), {0.5f, 0.5f, 0.5f});
        EXPECT_EQ(model->GetCameraIndex(), 0u);
    }
};

// --- loading -------------------------------------------------------------------------------

TEST_F(ModelTest, StaticModelFillsBufferAndSetsAndFallsBackToOneLeaf)
{
    WriteModel("static.mlf", MakeStatic());
    CModel* model = Models()->AddModel("static.mlf", 0);
    EXPECT_STREQ(model->GetFileName(), "data\\models\\static.mlf");
    EXPECT_EQ(model->GetProperties(), MakeStatic().properties);
    EXPECT_EQ(model->GetFramesCount(), 1u);
    ASSERT_EQ(model->GetVertexBuffer()->GetSize(), 7u);
    ExpectNear(Position(*model, 2), {1, 1, 0});
    ExpectNear(Position(*model, 6), {2, 1, -1});
    EXPECT_EQ(model->GetVertexBuffer()->Get()[2].uv, CVector2(1, 1));
    EXPECT_EQ(model->GetVertexBuffer()->GetColor(3), CVector4(1, 1, 1, 1));
    ASSERT_EQ(model->GetTriangleSetsCount(), 2u);
    EXPECT_EQ(model->GetTriangleSet(0)->GetType(), TST_LIST);
    EXPECT_EQ(model->GetTriangleSet(0)->GetPrimitiveCount(), 2u);
    EXPECT_EQ(model->GetTriangleSet(1)->GetIndexBuffer()->GetIndex(2), 6u);
    EXPECT_NE(model->GetTriangleSet(1)->GetShaderDescriptor(), nullptr);

    // No octree file: one leaf over both sets with the box around the vertices.
    COctree const* octree = model->GetOctree();
    ASSERT_EQ(octree->GetNodesCount(), 1u);
    EXPECT_TRUE(octree->GetNode(0)->leaf);
    EXPECT_EQ(octree->GetNode(0)->triangleSetsCount, 2u);
    ExpectNear(model->GetBoundingBox().GetMinPoint(), {-1, -1, -1});
    ExpectNear(model->GetBoundingBox().GetMaxPoint(), {3, 1, 0});

    PlaceCamera({0, 0, 10});
    Models()->BeginFrame();
    EXPECT_EQ(model->GetVisibleTriangleSetsCount(), 2u);
    EXPECT_EQ(Models()->GetVisibleTrianglesCount(), 3u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 2u);
}

TEST_F(ModelTest, ShortSetReachingPast16BitVerticesKeepsItsIndices)
{
    constexpr std::uint32_t Vertices = 70000;
    SModelFile model;
    model.properties = MP_STATIC | DrawnProperties;
    model.verticesCount = Vertices;
    SModelFileTriangleSet filler;
    filler.indices = {0, 1, 2};
    filler.vertices.assign(Vertices - 3, MakeVertex(0, 0, 0));
    SModelFileTriangleSet far;
    far.indices = {Vertices - 3, Vertices - 2, Vertices - 1};
    far.vertices = {MakeVertex(5, 0, 0), MakeVertex(6, 0, 0), MakeVertex(5, 1, 0)};
    model.triangleSets = {filler, far};
    WriteModel("far.mlf", model);

    CModel* loaded = Models()->AddModel("far.mlf", 0);
    ASSERT_EQ(loaded->GetTriangleSetsCount(), 2u);
    IndexBuffer const* indices = loaded->GetTriangleSet(1)->GetIndexBuffer();
    EXPECT_EQ(indices->GetFormat(), D3DFMT_INDEX32);
    EXPECT_EQ(indices->GetSize(), 3u);
    EXPECT_EQ(indices->GetIndex(2), Vertices - 1);
    EXPECT_EQ(loaded->GetTriangleSet(1)->GetPrimitiveCount(), 1u);
    EXPECT_EQ(loaded->GetTriangleSet(0)->GetIndexBuffer()->GetFormat(), D3DFMT_INDEX16);
    ExpectNear(loaded->GetBoundingBox().GetMaxPoint(), {6, 1, 0});
}

TEST_F(ModelTest, OctreeFileBesideTheModelIsUsedWhenItFits)
{
    WriteModel("static.mlf", MakeStatic());
    COctree octree;
    octree.Create(Messages(), Memory(), Files(), 3u);
    octree.GetNode(0)->leaf = false;
    octree.GetNode(0)->skip = 2;
    octree.GetNode(0)->box.Set({-1, -1, -1}, {3, 1, 0});
    for (unsigned int i = 1; i < 3; ++i) {
        octree.GetNode(i)->skip = i;
        octree.GetNode(i)->firstTriangleSet = i - 1;
        octree.GetNode(i)->triangleSetsCount = 1;
    }
    octree.GetNode(1)->box.Set({-1, -1, 0}, {1, 1, 0});
    octree.GetNode(2)->box.Set({2, 0, -1}, {3, 1, -1});
    ASSERT_TRUE(octree.Save("data\\models\\static.otf"));
    CModel* model = Models()->AddModel("static.mlf", 0);
    EXPECT_EQ(model->GetOctree()->GetNodesCount(), 3u);

    // The same tree naming a third set does not fit a two-set model.
    octree.GetNode(2)->firstTriangleSet = 2;
    ASSERT_TRUE(octree.Save("data\\models\\static.otf"));
    CModel* other = Models()->AddModel("static.mlf", 0);
    EXPECT_EQ(other->GetOctree()->GetNodesCount(), 1u);
    EXPECT_EQ(other->GetTriangleSetsCount(), 2u);

    // Nor does a tree without nodes.
    COctree empty;
    empty.Create(Messages(), Memory(), Files(), 0u);
    ASSERT_TRUE(empty.Save("data\\models\\static.otf"));
    CModel* third = Models()->AddModel("static.mlf", 0);
    ASSERT_EQ(third->GetOctree()->GetNodesCount(), 1u);
    ExpectNear(third->GetBoundingBox().GetMaxPoint(), {3, 1, 0});

    CModel free;
    EXPECT_EQ(free.GetBoundingBox().GetRadius(), 0.0f);
}

TEST_F(ModelTest, SizeMismatchGivesFormatErrorAndTheUnitBox)
{
    std::vector<std::uint8_t> bytes = WriteModelFileImage(MakeStatic());
    bytes[0] += 1;
    WriteFile("lying.mlf", bytes);
    CModel probe;
    EXPECT_FALSE(probe.Create(Messages(), Memory(), Files(), Timers(), Direct3D(), Cameras(), Lights(),
                              Shaders(), "lying.mlf", 0));
    EXPECT_TRUE(probe.IsFree());
    EXPECT_STREQ(probe.GetFileName(), "Unknown");
    EXPECT_TRUE(HasMessage(MT_ERROR, "Incorrect lying.mlf file format"));
    ExpectUnitBox(Models()->AddModel("lying.mlf", 3));
}

TEST_F(ModelTest, OldVersionNamesTheCurrentOne)
{
    std::vector<std::uint8_t> bytes = WriteModelFileImage(MakeStatic());
    bytes[9] = 199;
    WriteFile("old.mlf", bytes);
    ExpectUnitBox(Models()->AddModel("old.mlf", 0));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Incorrect old.mlf format version, current is 200"));
}

TEST_F(ModelTest, MissingAndHostileFilesGiveTheUnitBox)
{
    ExpectUnitBox(Models()->AddModel("absent.mlf", 0));
    EXPECT_TRUE(HasMessage(MT_ERROR, "absent.mlf"));

    SModelFile skeletal = MakeSkeletal();
    skeletal.triangleSets[0].influences[1].bone = 7;
    WriteModel("bones.mlf", skeletal);
    ExpectUnitBox(Models()->AddModel("bones.mlf", 0));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Incorrect bones.mlf file format"));

    std::vector<std::uint8_t> bytes = WriteModelFileImage(MakeStatic());
    bytes.resize(bytes.size() - 3);
    std::uint32_t const size = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(bytes.data(), &size, 4);
    WriteFile("short.mlf", bytes);
    ExpectUnitBox(Models()->AddModel("short.mlf", 0));
}

// --- animation -----------------------------------------------------------------------------

TEST_F(ModelTest, MorphFramesAreBlendedIntoTheBuffer)
{
    WriteModel("morph.mlf", MakeMorph());
    CModel* model = Models()->AddModel("morph.mlf", 0);
    ASSERT_EQ(model->GetVertexBuffer()->GetSize(), 3u);
    EXPECT_EQ(model->GetAnimationControl()->GetSpeed(), 1.0f);
    // Without an octree the buffer starts as frame 0.
    ExpectNear(Position(*model, 1), {1, 0, 0});

    model->GetAnimationControl()->SetLoop(true);
    model->GetAnimationControl()->SetTime(0.25f);
    model->Refresh(false);
    ExpectNear(Position(*model, 1), {1, 0, 0.5f});
    EXPECT_NEAR(model->GetVertexBuffer()->Get()[0].uv.y, 0.25f, Tolerance);

    // A cycle past the model's frames stays on the frames there are.
    model->GetAnimationControl()->AddCycle(5, 0, 9);
    model->GetAnimationControl()->SetCycle(5);
    model->GetAnimationControl()->SetTime(6.5f);
    model->Refresh(false);
    ExpectNear(Position(*model, 2), {0, 1, 2});
}

TEST_F(ModelTest, SkinningFollowsTheBonesAndTheBoxFollowsThem)
{
    WriteModel("arm.mlf", MakeSkeletal());
    CModel* model = Models()->AddModel("arm.mlf", 0);
    ASSERT_EQ(model->GetSkeleton()->GetBonesCount(), 2u);
    EXPECT_STREQ(model->GetSkeleton()->GetBone(1u)->name, "arm");
    model->Refresh(false);
    ExpectNear(Position(*model, 2), {2.0f, 0.25f, 0.0f});
    ExpectNear(model->GetBoundingBox().GetMaxPoint(), {2.0f, 0.25f, 0.1f});

    // Bending the arm a quarter turn about z swings its far end up.
    model->GetSkeleton()->RotateBone(1, CQuaternion::GetRotationZ(1.5707964f));
    model->Refresh(false);
    ExpectNear(Position(*model, 2), {0.75f, 1.0f, 0.0f});
    ExpectNear(model->GetVertexBuffer()->Get()[2].normal, {0.0f, 0.0f, 1.0f});
    ExpectNear(model->GetBoundingBox().GetMaxPoint(), {1.25f, 1.0f, 0.1f});

    // The box moves with the model.
    model->SetMatrix(CMatrix4x4::GetTranslation({0.0f, 0.0f, 5.0f}));
    model->Refresh(false);
    EXPECT_NEAR(model->GetBoundingBox().GetMaxPoint().z, 5.1f, Tolerance);
}

// --- procedural shapes and empty models ----------------------------------------------------

// Every triangle of the model winds counter-clockwise seen from where its normals point.
void ExpectOutwardWinding(CModel const& model)
{
    TriangleSet const* set = model.GetTriangleSet(0);
    Vertex const* vertices = model.GetVertexBuffer()->Get();
    for (unsigned int k = 0; k < set->GetPrimitiveCount(); ++k) {
        Vertex const& a = vertices[set->GetIndexBuffer()->GetIndex(3 * k)];
        Vertex const& b = vertices[set->GetIndexBuffer()->GetIndex(3 * k + 1)];
        Vertex const& c = vertices[set->GetIndexBuffer()->GetIndex(3 * k + 2)];
        CVector3 const face = (b.position - a.position) ^ (c.position - a.position);
        EXPECT_GT(face * a.normal, 0.0f) << "triangle " << k;
    }
}

TEST_F(ModelTest, BoxHasFourVerticesPerFaceWithOutwardNormals)
{
    CModel* box = Models()->AddModelBox(MakeShader(), {-1, -2, -3}, {1, 2, 3}, 0);
    EXPECT_EQ(box->GetProperties(), 0x422c9u);
    ASSERT_EQ(box->GetVertexBuffer()->GetSize(), 24u);
    IndexBuffer* indices = box->GetTriangleSet(0)->GetIndexBuffer();
    ASSERT_EQ(indices->GetSize(), 36u);
    EXPECT_EQ(indices->GetIndex(6 * 5 + 3), 4u * 5 + 2);
    EXPECT_EQ(indices->GetIndex(6 * 5 + 5), 4u * 5 + 0);
    for (unsigned int v = 0; v < 24; ++v) {
        Vertex const& vertex = box->GetVertexBuffer()->Get()[v];
        EXPECT_NEAR(vertex.normal.GetLength(), 1.0f, Tolerance);
        EXPECT_GT(vertex.normal * vertex.position, 0.0f);
    }
    EXPECT_EQ(box->GetVertexBuffer()->Get()[0].uv, CVector2(1, 0));
    EXPECT_EQ(box->GetVertexBuffer()->Get()[3].uv, CVector2(0, 0));
    ExpectOutwardWinding(*box);
    ExpectNear(box->GetBoundingBox().GetMinPoint(), {-1, -2, -3});
    ExpectNear(box->GetBoundingBox().GetMaxPoint(), {1, 2, 3});
}

TEST_F(ModelTest, TorusFollowsItsParametrisation)
{
    CModel* torus = Models()->AddModelTorus(MakeShader(), 2.0f, 0.5f, 8, 6, 0);
    ASSERT_EQ(torus->GetVertexBuffer()->GetSize(), 9u * 7u);
    EXPECT_EQ(torus->GetTriangleSet(0)->GetIndexBuffer()->GetSize(), 8u * 6u * 6u);
    float const alpha = 6.2831855f * 1 / 8 + 0.1f;
    float const beta = 6.2831855f * 2 / 6 + 0.1f;
    float const k = 2.0f + 0.5f * std::cos(beta);
    Vertex const& vertex = torus->GetVertexBuffer()->Get()[1 * 7 + 2];
    ExpectNear(vertex.position, {k * std::cos(alpha), k * std::sin(alpha), 0.5f * std::sin(beta)});
    EXPECT_NEAR(vertex.uv.x, 10.0f / 8, Tolerance);
    EXPECT_NEAR(vertex.uv.y, 8.0f / 6, Tolerance);
    ExpectOutwardWinding(*torus);
    float highest = -1.0f;
    for (unsigned int j = 0; j <= 6; ++j)
        highest = std::max(highest, 0.5f * std::sin(6.2831855f * static_cast<float>(j) / 6 + 0.1f));
    EXPECT_NEAR(torus->GetBoundingBox().GetMaxPoint().z, highest, Tolerance);
}

TEST_F(ModelTest, EmptyModelWaitsForItsSets)
{
    CModel* model = Models()->AddModel(MP_STATIC | MP_TRIANGLE_LISTS | MP_VISIBLE, 2, 10, 1, 0);
    EXPECT_EQ(model->GetTriangleSetsCount(), 2u);
    EXPECT_EQ(model->GetTriangleSet(0), nullptr);
    ExpectNear(model->GetBoundingBox().GetMaxPoint(), {10000, 10000, 10000});
    PlaceCamera({0, 0, 10});
    Models()->BeginFrame(); // the unfilled sets are skipped
    EXPECT_EQ(Models()->GetTrianglesCount(), 0u);

    model->CreateTriangleSet(1, 3, Shaders()->AddShader(MakeShader()));
    unsigned int const indices[3] = {0, 1, 2};
    model->GetTriangleSet(1)->GetIndexBuffer()->CopyIndices(0, 3, indices);
    Models()->BeginFrame();
    EXPECT_EQ(Models()->GetTrianglesCount(), 1u);
}

// --- copies, properties, refresh -----------------------------------------------------------

TEST_F(ModelTest, CopyIsIndependentOfItsSource)
{
    WriteModel("arm.mlf", MakeSkeletal());
    CModel* source = Models()->AddModel("arm.mlf", 0);
    source->SetDepthValue(4.0f);
    source->SetMatrix(CMatrix4x4::GetTranslation({1, 2, 3}));
    CModel* copy = Models()->AddModel(*source);
    EXPECT_STREQ(copy->GetFileName(), "data\\models\\arm.mlf");
    EXPECT_EQ(copy->GetDepthValue(), 4.0f);
    EXPECT_EQ(copy->GetMatrix().Get(0, 3), 1.0f);
    EXPECT_NE(copy->GetVertexBuffer(), source->GetVertexBuffer());
    EXPECT_EQ(copy->GetTriangleSet(0)->GetVertexBuffer(), copy->GetVertexBuffer());

    source->GetSkeleton()->RotateBone(1, CQuaternion::GetRotationZ(1.5707964f));
    source->Refresh(false);
    copy->Refresh(false);
    EXPECT_NEAR(copy->GetVertexBuffer()->Get()[2].position.x, 2.0f, Tolerance);
    EXPECT_NEAR(source->GetVertexBuffer()->Get()[2].position.x, 0.75f, Tolerance);

    // The copy keeps its own shader reference after the source is gone.
    Models()->RemoveModel(source);
    ASSERT_NE(copy->GetTriangleSet(0)->GetShaderDescriptor(), nullptr);
    EXPECT_NE(Shaders()->GetShaderDescriptor(copy->GetTriangleSet(0)->GetShaderIndex()), nullptr);
    copy->Refresh(false);
}

TEST_F(ModelTest, DrawingGroupsStayExclusive)
{
    CModel* model = Models()->AddModelBox(MakeShader(), {0, 0, 0}, {1, 1, 1}, 0);
    model->AddProperties(MP_TRANSPARENT);
    EXPECT_EQ(model->GetProperties() & (MP_OPAQUE | MP_TRANSPARENT), unsigned(MP_TRANSPARENT));
    model->RemoveProperties(MP_TRANSPARENT);
    EXPECT_EQ(model->GetProperties() & (MP_OPAQUE | MP_TRANSPARENT), unsigned(MP_OPAQUE));
    model->Show(false);
    EXPECT_FALSE(model->IsVisible());
}

TEST_F(ModelTest, DepthIsTheCameraDistanceUnlessFixed)
{
    CModel* model = Models()->AddModelBox(MakeShader(), {-1, -1, -1}, {1, 1, 1}, 0);
    model->SetMatrix(CMatrix4x4::GetTranslation({0, 0, -4}));
    PlaceCamera({0, 0, 6});
    model->Refresh(true);
    EXPECT_NEAR(model->GetDepthValue(), 10.0f, Tolerance);
    model->AddProperties(MP_FIXED_DEPTH);
    model->SetDepthValue(-1.0f);
    model->Refresh(true);
    EXPECT_EQ(model->GetDepthValue(), -1.0f);

    // Behind the camera: no set is visible and nothing is drawn.
    model->SetMatrix(CMatrix4x4::GetTranslation({0, 0, 20}));
    model->Refresh(true);
    EXPECT_EQ(model->GetVisibleTriangleSetsCount(), 0u);
    EXPECT_EQ(model->GetVisibleTrianglesCount(), 0u);
    EXPECT_EQ(model->GetTrianglesCount(), 12u);
}

TEST_F(ModelTest, SetsWithBlendingShadersDrawLast)
{
    WriteModel("static.mlf", MakeStatic());
    CModel* model = Models()->AddModel("static.mlf", 0);
    model->GetTriangleSet(0)->ChangeShader(MakeShader(1));
    model->Refresh(false);
    ASSERT_EQ(model->GetVisibleTriangleSetsCount(), 2u);
    EXPECT_EQ(model->GetVisibleTriangleSet(0), 1u);
    EXPECT_EQ(model->GetVisibleTriangleSet(1), 0u);
}

TEST_F(ModelTest, TwoSidedModelsDrawBothSidesOpaqueOnesInOnePass)
{
    CModel* model = Models()->AddModelBox(MakeShader(), {-1, -1, -1}, {1, 1, 1}, 0);
    model->SetMatrix(CMatrix4x4::GetTranslation({0.5f, 0, 0}));
    PlaceCamera({0, 0, 10});
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 1u);
    EXPECT_EQ(Device()->renderStates[D3DRS_CULLMODE], unsigned(D3DCULL_CW));
    // The world transform is the model matrix in row-vector order.
    EXPECT_EQ(Device()->transforms[D3DTS_WORLD].m[3][0], 0.5f);

    // See-through: one pass per side.
    model->RemoveProperties(MP_OPAQUE);
    model->AddProperties(MP_TWO_SIDED);
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 2u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(22,3)"), 1u);
    EXPECT_EQ(Device()->renderStates[D3DRS_CULLMODE], unsigned(D3DCULL_CW));

    model->AddProperties(MP_OPAQUE);
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitiveUP("), 1u);
    EXPECT_EQ(Device()->renderStates[D3DRS_CULLMODE], unsigned(D3DCULL_NONE));
}

TEST_F(ModelTest, NearAndFarSetsFollowTheModelsSpanOnScreenWithSlack)
{
    SModelFile file = MakeStatic();
    file.triangleSets[0].material = "quad:near";
    file.triangleSets[1].material = "triangle:far";
    WriteModel("levels.mlf", file);
    CModel* model = Models()->AddModel("levels.mlf", 0);
    CBoundingBox const& box = model->GetBoundingBox();
    float const diagonal = (box.GetMaxPoint() - box.GetMinPoint()).GetLength();
    // The camera distance at which the box spans this many pixels of the 480-pixel view.
    auto placeForSpan = [&](float pixels) {
        float const heightPerDistance = 2.0f * camera->GetTop() / camera->GetNearPlaneDistance();
        PlaceCamera(box.GetPosition() + CVector3(0, 0, diagonal * 480.0f / (pixels * heightPerDistance)));
        Models()->BeginFrame();
        EXPECT_EQ(model->GetVisibleTriangleSetsCount(), 1u);
        return model->GetVisibleTriangleSet(0);
    };
    float const edge = CDetailLevels::SwitchPixels;
    EXPECT_EQ(placeForSpan(0.95f * edge), 1u); // the first choice has no slack
    EXPECT_EQ(placeForSpan(2.0f * edge), 0u);
    EXPECT_EQ(placeForSpan(0.95f * edge), 0u); // within the slack: stays close up
    EXPECT_EQ(placeForSpan(0.5f * edge), 1u);
    EXPECT_EQ(Models()->GetVisibleTrianglesCount(), 1u);
    EXPECT_EQ(placeForSpan(1.05f * edge), 1u); // within the slack: stays far
    EXPECT_EQ(placeForSpan(1.5f * edge), 0u);
    EXPECT_EQ(Models()->GetVisibleTrianglesCount(), 2u);
    // Turned edge on to the camera it covers less of the screen: drawn from afar.
    model->SetMatrix(CMatrix4x4::GetRotationY(0.5f * 3.14159265f));
    EXPECT_EQ(placeForSpan(1.05f * edge), 1u);
}

// --- picking -------------------------------------------------------------------------------

TEST_F(ModelTest, RayPickingFindsTheNearestTriangle)
{
    CModel* box = Models()->AddModelBox(MakeShader(), {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 0);
    float distance = -1.0f;
    EXPECT_TRUE(box->GetRayIntersection(CRay({0.1f, 0.2f, 5}, {0, 0, -10}), &distance));
    EXPECT_NEAR(distance, 4.5f, Tolerance);

    box->SetMatrix(CMatrix4x4::GetTranslation({3, 0, 0}));
    EXPECT_TRUE(box->GetRayIntersection(CRay({3.1f, 0, 5}, {0, 0, -10}), &distance));
    EXPECT_NEAR(distance, 4.5f, Tolerance);

    // Missing the box leaves the distance alone.
    distance = -1.0f;
    EXPECT_FALSE(box->GetRayIntersection(CRay({0, 0, 5}, {0, 0, -10}), &distance));
    EXPECT_EQ(distance, -1.0f);
}

TEST_F(ModelTest, RayInsideTheBoxThatMissesEveryTriangle)
{
    WriteModel("static.mlf", MakeStatic());
    CModel* model = Models()->AddModel("static.mlf", 0);
    float distance = -1.0f;
    EXPECT_FALSE(model->GetRayIntersection(CRay({2.8f, 0.9f, 5}, {0, 0, -10}), &distance));
    EXPECT_EQ(distance, CModel::NoIntersection);
    EXPECT_TRUE(model->GetRayIntersection(CRay({2.2f, 0.2f, 5}, {0, 0, -10}), &distance));
    EXPECT_NEAR(distance, 6.0f, Tolerance);
}
} // namespace
