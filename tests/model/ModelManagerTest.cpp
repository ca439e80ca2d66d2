#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "core/Errors.h"
#include "render/TriangleSet.h"

namespace
{
class ModelManagerTest : public ModelFixture
{
protected:
    CModel* AddBox(unsigned int group, float depth)
    {
        CModel* model = Models()->AddModelBox(MakeShader(), {-1, -1, -1}, {1, 1, 1}, 0);
        model->AddProperties(group | MP_FIXED_DEPTH);
        model->SetDepthValue(depth);
        return model;
    }

    std::vector<CModel*> DrawOrder()
    {
        std::vector<CModel*> order;
        for (unsigned int i = 0; i < Models()->GetDrawListSize(); ++i)
            order.push_back(Models()->GetDrawListModel(i));
        return order;
    }
};

TEST_F(ModelManagerTest, OpaqueNearestFirstThenTransparentFarthestFirst)
{
    PlaceCamera({0, 0, 20});
    CModel* transparentNear = AddBox(MP_TRANSPARENT, 5);
    CModel* opaqueFar = AddBox(MP_OPAQUE, 9);
    CModel* transparentFar = AddBox(MP_TRANSPARENT, 9);
    CModel* opaqueNear = AddBox(MP_OPAQUE, 5);
    Models()->BeginFrame();
    EXPECT_EQ(DrawOrder(), (std::vector<CModel*>{opaqueNear, opaqueFar, transparentFar, transparentNear}));
}

TEST_F(ModelManagerTest, ClearColourIsPackedWithClampedChannels)
{
    Models()->SetClearColor({1.2f, 0.5f, -1.0f, 1.0f});
    fake.ClearCalls();
    Models()->BeginFrame();
    // Alpha 255, red 255, green 128, blue 0; target and depth buffer.
    EXPECT_EQ(fake.CountCalls("Clear(0,3," + std::to_string(0xFFFF8000u) + ",1,0)"), 1u);
    EXPECT_EQ(fake.CountCalls("BeginScene()"), 1u);
    EXPECT_EQ(fake.CountCalls("EndScene()"), 1u);

    Models()->SetClearState(0);
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("Clear("), 0u);
    Models()->SetClearState(4);
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("Clear(0,4,"), 1u);
}

// Background models go first; a frame whose background has not changed starts from the
// device's kept copy instead of a clear and draws nothing of it; a device that keeps no copy
// turns keeping off.
TEST_F(ModelManagerTest, UnchangedBackgroundIsRestoredInsteadOfDrawn)
{
    PlaceCamera({0, 0, 20});
    CModel* moving = AddBox(MP_OPAQUE, 1);
    CModel* still = AddBox(MP_OPAQUE, 9);
    still->AddProperties(MP_BACKGROUND);
    Models()->SetBackgroundKeeping(true);
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(DrawOrder(), (std::vector<CModel*>{still, moving}));
    EXPECT_EQ(fake.CountCalls("BeginBackBufferKeeping(0)"), 1u);
    EXPECT_EQ(fake.CountCalls("KeepBackBuffer()"), 1u);
    unsigned int const drawsPerFrame = fake.CountCalls("DrawIndexedPrimitive(");

    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
    EXPECT_EQ(fake.CountCalls("Clear("), 0u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitive("), drawsPerFrame / 2);

    moving->SetMatrix(CMatrix4x4::GetTranslation({1, 0, 0}));
    Models()->BeginFrame();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
    still->SetMatrix(CMatrix4x4::GetTranslation({1, 0, 0}));
    Models()->BeginFrame();
    EXPECT_FALSE(Models()->WasBackgroundRestored());

    // Only an animated stage moved on a frame: that model is drawn again over the kept copy,
    // without a clear, and the copy starts the frame.
    CModel* animated = AddBox(MP_OPAQUE, 12);
    animated->AddProperties(MP_BACKGROUND);
    CShaderDescriptor shader = MakeShader();
    shader.AddStage(SSF_ANIMATED, 2, 1.0f, "", "", SSBT_REPEAT);
    animated->GetTriangleSet(0)->ChangeShader(shader);
    Models()->BeginFrame();
    animated->GetTriangleSet(0)->GetShaderDescriptor()->GetStage(0)->time = 1.5f;
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_FALSE(Models()->WasBackgroundRestored());
    EXPECT_EQ(fake.CountCalls("BeginBackBufferKeeping(1)"), 1u);
    EXPECT_EQ(fake.CountCalls("Clear("), 0u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitive("), drawsPerFrame);
    Models()->BeginFrame();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
    Models()->RemoveModel(animated);

    // A copy lost after the background went into it: the background is drawn again, into
    // the frame.
    Device()->failures["KeepBackBuffer"] = D3DERR_NOTAVAILABLE;
    still->SetMatrix(CMatrix4x4::GetIdentity());
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("Clear("), 2u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitive("), drawsPerFrame * 3 / 2);
    Models()->BeginFrame();
    EXPECT_FALSE(Models()->WasBackgroundRestored());
    EXPECT_FALSE(Models()->IsBackgroundKeeping());
}

TEST_F(ModelManagerTest, BlendedBackgroundIsDrawnAgainOverWhatIsRepaintedUnderIt)
{
    PlaceCamera({0, 0, 20});
    CModel* animated = AddBox(MP_OPAQUE, 9);
    CShaderDescriptor shader = MakeShader();
    shader.AddStage(SSF_ANIMATED, 2, 1.0f, "", "", SSBT_REPEAT);
    animated->GetTriangleSet(0)->ChangeShader(shader);
    CModel* decal = AddBox(MP_OPAQUE, 10);
    decal->GetTriangleSet(0)->ChangeShader(MakeShader(SP_BLENDING));
    CModel* still = AddBox(MP_OPAQUE, 11);
    for (CModel* model : {animated, decal, still})
        model->AddProperties(MP_BACKGROUND);
    Models()->SetBackgroundKeeping(true);
    Models()->BeginFrame();
    Models()->BeginFrame();
    ASSERT_TRUE(Models()->WasBackgroundRestored());

    // The animated model is repainted and the blended one over it, which leaves the depth
    // buffer alone; the opaque one after them stays as kept.
    animated->GetTriangleSet(0)->GetShaderDescriptor()->GetStage(0)->time = 1.5f;
    fake.ClearCalls();
    Models()->BeginFrame();
    EXPECT_EQ(fake.CountCalls("BeginBackBufferKeeping(1)"), 1u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitive(") + fake.CountCalls("DrawIndexedPrimitiveUP("), 2u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(14,0)"), 1u);
    EXPECT_EQ(fake.CountCalls("SetRenderState(14,1)"), 0u);
}

TEST_F(ModelManagerTest, TrialDrawsOnlyTheBackgroundAndKeepsNothing)
{
    PlaceCamera({0, 0, 20});
    AddBox(MP_OPAQUE, 1);
    CModel* still = AddBox(MP_OPAQUE, 9);
    still->AddProperties(MP_BACKGROUND);
    Models()->BeginFrame();
    unsigned int const drawsPerModel = fake.CountCalls("DrawIndexedPrimitive(") / 2;
    Models()->SetBackgroundKeeping(true);
    fake.ClearCalls();
    Models()->ReadyBackgroundKeeping();
    EXPECT_EQ(fake.CountCalls("BeginBackBufferTrial()"), 1u);
    EXPECT_EQ(fake.CountCalls("DrawIndexedPrimitive("), drawsPerModel);
    EXPECT_EQ(fake.CountCalls("KeepBackBuffer()"), 1u);
    // The next frame draws the background into a fresh copy.
    Models()->BeginFrame();
    EXPECT_FALSE(Models()->WasBackgroundRestored());
    EXPECT_EQ(fake.CountCalls("BeginBackBufferKeeping(0)"), 1u);
    Models()->BeginFrame();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
}

TEST_F(ModelManagerTest, FreedSlotIsReusedAndListedLast)
{
    std::vector<CModel*> added;
    for (int i = 0; i < 5; ++i)
        added.push_back(AddBox(MP_OPAQUE, 1));
    Models()->RemoveModel(added[3]);
    EXPECT_EQ(Models()->GetModel(3), nullptr);
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), 4u);
    CModel* reused = AddBox(MP_OPAQUE, 1);
    EXPECT_EQ(Models()->GetModel(3), reused);
    ASSERT_EQ(Models()->GetOccupiedModelsIndicesCount(), 5u);
    EXPECT_EQ(Models()->GetOccupiedModelIndex(4), 3u);
    EXPECT_EQ(Models()->GetOccupiedModelIndex(3), 4u);

    // A model the manager does not hold, or none, changes nothing.
    CModel own;
    Models()->CreateModelBox(&own, MakeShader(), {0, 0, 0}, {1, 1, 1}, 0);
    Models()->RemoveModel(&own);
    Models()->RemoveModel(nullptr);
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), 5u);
    EXPECT_FALSE(own.IsFree());
}

TEST_F(ModelManagerTest, HiddenModelsAreNeitherRefreshedNorCounted)
{
    PlaceCamera({0, 0, 20});
    AddBox(MP_OPAQUE, 1);
    CModel* hidden = AddBox(MP_OPAQUE, 1);
    hidden->Show(false);
    hidden->RemoveProperties(MP_FIXED_DEPTH);
    hidden->SetDepthValue(-3.0f);
    Models()->BeginFrame();
    EXPECT_EQ(Models()->GetTrianglesCount(), 12u);
    EXPECT_EQ(Models()->GetVisibleTrianglesCount(), 12u);
    EXPECT_EQ(hidden->GetDepthValue(), -3.0f);
    EXPECT_EQ(Models()->GetDrawListSize(), 1u);
}

TEST_F(ModelManagerTest, PresentIgnoresALostDeviceOnly)
{
    Device()->failures["Present"] = D3DERR_DEVICELOST;
    EXPECT_NO_THROW(Models()->FinishFrame());
    Device()->failures["Present"] = D3DERR_INVALIDCALL;
    try {
        Models()->FinishFrame();
        FAIL() << "a failed present is fatal";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Direct3D Subsystem (ModelManager::Refresh): D3DERR_INVALIDCALL");
    }
    Device()->failures.clear();
    Device()->failures["BeginScene"] = D3DERR_INVALIDCALL;
    EXPECT_THROW(Models()->BeginFrame(), CFatalError);
    Device()->failures.clear();
}

TEST_F(ModelManagerTest, DestroyReleasesEveryModelAndItsShaders)
{
    unsigned int const before = Shaders()->GetOccupiedShadersDescriptorsIndicesCount();
    AddBox(MP_OPAQUE, 1);
    Models()->AddModelTorus(MakeShader(), 1.0f, 0.25f, 6, 4, 0);
    EXPECT_EQ(Shaders()->GetOccupiedShadersDescriptorsIndicesCount(), before + 2);
    Models()->Destroy();
    EXPECT_TRUE(Models()->IsFree());
    EXPECT_EQ(Shaders()->GetOccupiedShadersDescriptorsIndicesCount(), before);
}
} // namespace
