#include "FishFixture.h"

#include <algorithm>
#include <cmath>

#include "math/Quaternion.h"
#include "model/Model.h"
#include "platform/os/Clock.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr float Tolerance = 1e-4f;

class FishSchoolTest : public FishFixture
{
protected:
    // One fish of the generated "Reef" pack, alone in the default area.
    CFish* CreateLoneFish()
    {
        UseReefOnly({{2, 0}});
        school.Create(&engine, camera, 1234, 0.0f);
        EXPECT_EQ(school.GetFishesCount(), 1u);
        return school.GetFishesCount() == 1 ? school.GetFish(0) : nullptr;
    }

    // Empties the fish's grid and puts the fish on the point of `cell`, facing `heading`.
    void PlaceAlone(CFish* fish, vec3i const& cell, CVector3 const& heading)
    {
        CFishGrid* grid = fish->GetArea()->GetGrid();
        grid->Create(grid->GetMin(), fish->GetArea()->GetMax());
        fish->SetCells(CFishGrid::NoCell(), CFishGrid::NoCell(), CFishGrid::NoCell());
        fish->SetPosition(grid->GetCellPoint(cell));
        fish->SetHeading(heading);
    }
};

TEST_F(FishSchoolTest, TenEmptySlotsMakeNoFishAndPublishNoCount)
{
    UsePrivateInstallPath();
    WritePrivateFile("Data/fishes.dat", MakeSelection({}, false, {}));
    school.Create(&engine, camera, 99, 0.0f);
    EXPECT_EQ(school.GetFishesCount(), 0u);
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "");
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fish_0_position_x"), "");
    // No areas configured: the error and the default area.
    EXPECT_TRUE(HasMessage(MT_ERROR, "Can't find fish areas"));
    ASSERT_EQ(school.GetAreasCount(), 1u);
    EXPECT_NEAR(school.GetArea(0)->GetMin().x, -10.5f, Tolerance);
    EXPECT_NEAR(school.GetArea(0)->GetMax().z, 6.0f, Tolerance);
    school.Refresh(1.0f, 0.016f);
}

TEST_F(FishSchoolTest, ConfiguredAreasAreReadAndFishSpreadOverThem)
{
    SetAreas({{{-10.5f, -8.0f, -1.0f}, {10.5f, 0.0f, 6.0f}}, {{-7.0f, -6.0f, 0.5f}, {7.0f, -1.0f, 4.5f}}});
    school.Create(&engine, camera, 4321, 0.0f);
    ASSERT_EQ(school.GetAreasCount(), 2u);
    EXPECT_NEAR(school.GetArea(1)->GetMin().y, -6.0f, Tolerance);
    EXPECT_NEAR(school.GetArea(1)->GetMax().x, 7.0f, Tolerance);
    EXPECT_FALSE(HasMessage(MT_ERROR, "Can't find fish areas"));
    // The generated selection: ten random slots over two packs of six fish each.
    ASSERT_EQ(school.GetPacksCount(), 2u);
    ASSERT_EQ(school.GetFishesCount(), 10u);
    EXPECT_GE(school.GetAreaFishesCount(1), 1u);
    EXPECT_EQ(school.GetAreaFishesCount(0) + school.GetAreaFishesCount(1), 10u);
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "10");
    for (unsigned int i = 0; i < 10; ++i) {
        CFish* fish = school.GetFish(i);
        char name[64];
        std::snprintf(name, sizeof name, "g_fish_%u_position_y", i);
        EXPECT_NEAR(engine.GetConfig()->GetValueAsFloat(name), fish->GetPosition().y, 1e-3f);
        EXPECT_GT(fish->GetLength(), 0.0f);
        EXPECT_GE(fish->GetBoneIndex(0), 0);
        EXPECT_GE(fish->GetBoneIndex(4), 0);
        EXPECT_GT(fish->GetMaximumSpeed(), fish->GetMinimumSpeed());
        EXPECT_NEAR(fish->GetHeading().GetLength(), 1.0f, Tolerance);
        // Placed in a free cell of its own, which it holds.
        CFishGrid const* grid = fish->GetArea()->GetGrid();
        EXPECT_TRUE(grid->IsOccupied(grid->GetCellOfPosition(fish->GetPosition())));
    }
    EXPECT_GE(school.GetRandomFactor(), 1.0f);
    EXPECT_LT(school.GetRandomFactor(), 1.1f);
}

TEST_F(FishSchoolTest, AreasWidenWithTheWidestView)
{
    // Four monitors stacked, each as wide as the window and a quarter as tall: views of four
    // times the window's aspect.
    CCameraManager* cameras = engine.GetCameraManager();
    int const width = int(engine.GetWindow()->GetWidth());
    int const height = int(engine.GetWindow()->GetHeight());
    std::vector<platform::MonitorRect> monitors;
    for (int i = 0; i < 4; ++i)
        monitors.push_back({0, i * height / 4, width, height / 4});
    cameras->SetMonitorLayout(EMonitorLayout::Each);
    cameras->SetMonitorRects(monitors);
    cameras->Refresh();
    SetAreas({{{-10.5f, -8.0f, -1.0f}, {10.5f, 0.0f, 6.0f}}});
    school.Create(&engine, camera, 4321, 0.0f);
    ASSERT_EQ(school.GetAreasCount(), 1u);
    float const stretch = 4.0f * float(width) / float(height / 4 * 4) / CCamera::AspectRatio;
    EXPECT_NEAR(school.GetArea(0)->GetMax().x, 10.5f * stretch, 0.05f * stretch);
    EXPECT_NEAR(school.GetArea(0)->GetMin().x, -10.5f * stretch, 0.05f * stretch);
    EXPECT_NEAR(school.GetArea(0)->GetMax().z, 6.0f, Tolerance);
    cameras->SetMonitorRects({});
    cameras->SetMonitorLayout(EMonitorLayout::Automatic);
}

TEST_F(FishSchoolTest, AreasFollowMonitorsThatChangeWhileTheSchoolSwims)
{
    CCameraManager* cameras = engine.GetCameraManager();
    int const width = int(engine.GetWindow()->GetWidth());
    int const height = int(engine.GetWindow()->GetHeight());
    cameras->SetMonitorLayout(EMonitorLayout::Each);
    cameras->Refresh();
    SetAreas({{{-10.5f, -8.0f, -1.0f}, {10.5f, 0.0f, 6.0f}}});
    school.Create(&engine, camera, 4321, 0.0f);
    float const startMax = school.GetArea(0)->GetMax().x;

    // Two monitors stacked: each view twice the window's aspect.
    cameras->SetMonitorRects({{0, 0, width, height / 2}, {0, height / 2, width, height / 2}});
    cameras->Refresh();
    school.Refresh(0.1f, 0.016f);
    EXPECT_NEAR(school.GetArea(0)->GetMax().x, 2.0f * startMax, 0.05f * startMax);

    cameras->SetMonitorRects({});
    cameras->Refresh();
    school.Refresh(0.2f, 0.016f);
    EXPECT_NEAR(school.GetArea(0)->GetMax().x, startMax, Tolerance);
    // Every fish swims on inside the narrowed area, holding a cell of its new grid.
    for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
        CFish const* fish = school.GetFish(i);
        EXPECT_LE(fish->GetPosition().x, startMax);
        EXPECT_GE(fish->GetPosition().x, -startMax);
        EXPECT_TRUE(fish->GetArea()->GetGrid()->IsInside(fish->GetOccupiedCell()));
    }
    cameras->SetMonitorLayout(EMonitorLayout::Automatic);
}

TEST_F(FishSchoolTest, NeighbourWeightsFollowTheHeading)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    vec3i const cell(5, 5, 14);
    PlaceAlone(fish, cell, CVector3(1.0f, 0.0f, 0.0f));
    float weights[CFish::NeighboursCount];
    fish->ComputeNeighbourWeights(weights);
    auto at = [&](int dx, int dy, int dz) { return weights[(dx + 1) * 9 + (dy + 1) * 3 + dz + 1]; };
    EXPECT_EQ(at(0, 0, 0), 0.0f);
    // Straight ahead: t = 1, w = 1.1, × 1.5 for a pure x step.
    EXPECT_NEAR(at(1, 0, 0), 1.5f * 1.1f, Tolerance);
    // Straight behind: t = −1, w = 0.001.
    EXPECT_NEAR(at(-1, 0, 0), 1.5f * 0.001f, Tolerance);
    // Sideways: t = 0, w = 0.101, × 0.9 for a y step.
    EXPECT_NEAR(at(0, 1, 0), 0.101f * 0.9f, Tolerance);
    EXPECT_NEAR(at(0, 0, 1), 0.015f, Tolerance);
    EXPECT_NEAR(at(0, 0, -1), 0.015f, Tolerance);
    // Ahead and to the side: t = 2.1 / |(2.1, 0.8)|.
    float const t = 2.1f / std::sqrt(2.1f * 2.1f + 0.8f * 0.8f);
    EXPECT_NEAR(at(1, 1, 0), (t * t + 0.1f) * 0.9f, Tolerance);

    // The previous cell is weighed at 3 %; the occupied one and unusable ones not at all.
    fish->SetCells(vec3i(6, 5, 14), vec3i(5, 5, 15), CFishGrid::NoCell());
    fish->ComputeNeighbourWeights(weights);
    EXPECT_NEAR(at(1, 0, 0), 1.5f * 1.1f * 0.03f, Tolerance);
    EXPECT_EQ(at(0, 0, 1), 0.0f);
    PlaceAlone(fish, vec3i(1, 5, 14), CVector3(-1.0f, 0.0f, 0.0f));
    fish->ComputeNeighbourWeights(weights);
    EXPECT_EQ(at(-1, 0, 0), 0.0f);
    EXPECT_EQ(at(-1, 1, 1), 0.0f);
}

TEST_F(FishSchoolTest, DiagonalIsClosedWhenBothSidesAre)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    PlaceAlone(fish, vec3i(5, 5, 14), CVector3(1.0f, 0.0f, 0.0f));
    CFishGrid* grid = fish->GetArea()->GetGrid();
    grid->Occupy(vec3i(6, 5, 14), fish->GetHeight());
    float weights[CFish::NeighboursCount];
    fish->ComputeNeighbourWeights(weights);
    auto at = [&](int dx, int dy, int dz) { return weights[(dx + 1) * 9 + (dy + 1) * 3 + dz + 1]; };
    EXPECT_GT(at(1, 1, 0), 0.0f) << "one side is still open";
    grid->Occupy(vec3i(5, 6, 14), fish->GetHeight());
    fish->ComputeNeighbourWeights(weights);
    EXPECT_EQ(at(1, 1, 0), 0.0f);
    EXPECT_GT(at(1, -1, 0), 0.0f);
}

TEST_F(FishSchoolTest, ReplanPicksTheNeighbourOfTheDraw)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    vec3i const cell(5, 5, 14);
    PlaceAlone(fish, cell, CVector3(0.0f, 1.0f, 0.0f));
    float weights[CFish::NeighboursCount];
    fish->ComputeNeighbourWeights(weights);
    float total = 0.0f;
    for (float weight : weights)
        total += weight;
    // Walking the running sum: a draw of 0 picks the first weighed neighbour, one just
    // below the total the last.
    EXPECT_EQ(CFish::PickNeighbour(weights, 0.0f), 0);
    EXPECT_EQ(CFish::PickNeighbour(weights, total * 0.99999f), 26);
    EXPECT_EQ(CFish::PickNeighbour(weights, total * 2.0f), -1);
    float running = 0.0f;
    int expected = -1;
    float const draw = total * 0.5f;
    for (int i = 0; i < 27 && expected < 0; ++i) {
        running += weights[i];
        if (draw < running)
            expected = i;
    }
    EXPECT_EQ(CFish::PickNeighbour(weights, draw), expected);

    CFishRandom preview = school.GetSpreadRandom();
    int const chosen = CFish::PickNeighbour(weights, preview.Next() * total);
    ASSERT_GE(chosen, 0);
    fish->Replan(100.0f);
    vec3i const offset = CFish::GetNeighbourOffset(chosen);
    vec3i const target = fish->GetTargetCell();
    EXPECT_EQ(target.x, cell.x + offset.x);
    EXPECT_EQ(target.y, cell.y + offset.y);
    EXPECT_EQ(target.z, cell.z + offset.z);
    CVector3 const point = fish->GetArea()->GetGrid()->GetCellPoint(target);
    EXPECT_NEAR((fish->GetTargetPosition() - point).GetLength(), 0.0f, Tolerance);
    EXPECT_TRUE(fish->GetArea()->GetGrid()->IsOccupied(target));
    // The fish takes the cell it is in, unless the target's body covers it.
    if (offset.x != 0 || offset.y != 0) {
        EXPECT_EQ(fish->GetOccupiedCell().x, cell.x);
        EXPECT_EQ(fish->GetOccupiedCell().y, cell.y);
    }

    // Within 0.3 s a request is only remembered.
    fish->Replan(100.1f);
    EXPECT_TRUE(fish->IsReplanPending());
    fish->Replan(100.4f);
    EXPECT_FALSE(fish->IsReplanPending());
}

TEST_F(FishSchoolTest, FarWallPullsTheFishBackAndSlowsItsWantedSpeed)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    CVector3 const& max = fish->GetArea()->GetMax();
    fish->SetPosition(CVector3(0.0f, max.y - 0.01f, 2.0f));
    fish->SetHeading(CVector3(0.0f, 1.0f, 0.0f));
    fish->SetTurnSign(-1.0f);
    float const dt = 0.001f;
    fish->Refresh(50.0f, dt);
    EXPECT_LT(fish->GetPosition().y, max.y - 0.01f);
    EXPECT_NEAR(fish->GetSpeed(), fish->GetMaximumSpeed(), Tolerance);
    EXPECT_NEAR(fish->GetWantedSpeedTarget(), fish->GetMaximumSpeed(), Tolerance);
    // Back to the minimum, then one frame of climbing toward the target at 4 per second.
    EXPECT_NEAR(fish->GetWantedSpeedFactor(), fish->GetMinimumSpeed() + 4.0f * dt, 1e-3f);
    EXPECT_NEAR(fish->GetNextSpeedChange(), 54.0f, Tolerance);
    EXPECT_EQ(fish->GetTurnSign(), 1.0f);

    // The near wall startles it with factor 1.
    CVector3 const& min = fish->GetArea()->GetMin();
    fish->SetPosition(CVector3(0.0f, min.y - 0.5f, 2.0f));
    fish->SetHeading(CVector3(0.0f, -1.0f, 0.0f));
    fish->Refresh(60.0f, dt);
    EXPECT_GT(fish->GetPosition().y, min.y - 0.5f);
    EXPECT_NEAR(fish->GetSpeed(), fish->GetMaximumSpeed(), Tolerance);
    EXPECT_NEAR(fish->GetNextSpeedChange(), 64.0f, Tolerance);
}

TEST_F(FishSchoolTest, FishHeldAtASideWallSwimsAlongIt)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    CVector3 const& max = fish->GetArea()->GetMax();
    fish->SetPosition(CVector3(max.x, -4.0f, 2.0f));
    fish->SetHeading(CVector3(1.0f, 1.0f, 0.0f));
    fish->Refresh(10.0f, 0.02f);
    EXPECT_LE(fish->GetPosition().x + fish->GetBodyReach().x, max.x + 1e-4f);
    EXPECT_LE(fish->GetHeading().x, 0.0f);
}

TEST_F(FishSchoolTest, DivingFishKeepsItsBodyAboveTheAreaBottom)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    CVector3 const& min = fish->GetArea()->GetMin();
    fish->SetPosition(CVector3(0.0f, -4.0f, min.z));
    fish->SetHeading(CVector3(1.0f, 0.0f, -0.25f));
    fish->Refresh(10.0f, 0.02f);
    EXPECT_GE(fish->GetPosition().z - fish->GetBodyReach().z, min.z - 1e-4f);
    EXPECT_GE(fish->GetHeading().z, 0.0f);
    EXPECT_GT(fish->GetHeight(), 0.1f);
}

TEST_F(FishSchoolTest, BodyIsDrawnAtTheSteeredPointAsTheFishTurns)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    CVector3 const firstHeading = fish->GetHeading();
    CModel* model = fish->GetModel();
    float turned = 0.0f;
    for (int step = 1; step <= 600; ++step) {
        // As in the engine's frame: the model is animated and skinned, then the school runs,
        // then the frame is drawn with the skinned body and the model's matrix.
        model->Refresh(false);
        fish->Refresh(0.02f * static_cast<float>(step), 0.02f);
        if (step % 50 != 0)
            continue;
        turned = std::max(turned, std::acos(std::clamp(fish->GetHeading() * firstHeading, -1.0f, 1.0f)));
        // The mean of the body's drawn vertices, fins left out.
        Vertex const* vertices = model->GetVertexBuffer()->Get();
        CVector3 sum(0.0f, 0.0f, 0.0f);
        unsigned int count = 0;
        for (unsigned int i = 0; i < model->GetVisibleTriangleSetsCount(); ++i) {
            TriangleSet* set = model->GetTriangleSet(model->GetVisibleTriangleSet(i));
            if (set->GetShaderDescriptor()->GetProperties() & SP_BLENDING)
                continue;
            unsigned int const first = set->GetIndexBuffer()->GetMinUsingVertex();
            for (unsigned int v = first; v < first + set->GetIndexBuffer()->GetUsingVerticesCount();
                 ++v, ++count)
                sum += model->GetMatrix() * vertices[v].position;
        }
        ASSERT_GT(count, 0u);
        CVector3 const drawn = sum / static_cast<float>(count);
        EXPECT_LT((drawn - fish->GetPosition()).GetLength(), 0.01f) << "step " << step;
    }
    // The fish has turned well away from its first heading meanwhile.
    EXPECT_GT(turned, 1.0f);
}

TEST_F(FishSchoolTest, StartleAlongARayThroughTheFish)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    fish->Refresh(1.0f, 0.01f);
    CVector3 const centre = fish->GetModel()->GetBoundingBox().GetPosition();
    CRay const through(centre - CVector3(0.0f, 30.0f, 0.0f), CVector3(0.0f, 60.0f, 0.0f));
    CRay const past(centre + CVector3(0.0f, 0.0f, 50.0f) - CVector3(0.0f, 30.0f, 0.0f),
                    CVector3(0.0f, 60.0f, 0.0f));

    float const before = fish->GetSpeed();
    school.Startle(past, CFishSchool::MouseStartle, 2.0f);
    EXPECT_EQ(fish->GetSpeed(), before);

    EXPECT_FLOAT_EQ(CFishSchool::MouseStartle, 2.5f);
    school.Startle(through, CFishSchool::MouseStartle, 2.0f);
    EXPECT_NEAR(fish->GetSpeed(), fish->GetMaximumSpeed() * 2.5f, Tolerance);
    EXPECT_NEAR(fish->GetWantedSpeedTarget(), fish->GetMaximumSpeed() * 2.5f, Tolerance);
    EXPECT_NEAR(fish->GetWantedSpeedFactor(), fish->GetMinimumSpeed(), Tolerance);
    EXPECT_NEAR(fish->GetNextSpeedChange(), 6.0f, Tolerance);

    EXPECT_FLOAT_EQ(CFishSchool::ButtonStartle, 4.0f);
    school.Startle(through, CFishSchool::ButtonStartle, 3.0f);
    EXPECT_NEAR(fish->GetSpeed(), fish->GetMaximumSpeed() * 4.0f, Tolerance);
    EXPECT_NEAR(fish->GetNextSpeedChange(), 7.0f, Tolerance);
}

TEST_F(FishSchoolTest, PitchIsLimitedAndTheSpineBendsIntoATurn)
{
    CFish* fish = CreateLoneFish();
    ASSERT_NE(fish, nullptr);
    fish->SetHeading(CVector3(1.0f, 0.0f, 1.0f));
    fish->Refresh(10.0f, 0.01f);
    // Cut to 0.25 and normalised again: (0.707, 0, 0.25) gives 0.333; later frames bring it down.
    EXPECT_LT(std::abs(fish->GetHeading().z), 0.34f);
    for (int i = 0; i < 400; ++i)
        fish->Refresh(10.0f + 0.01f * static_cast<float>(i + 1), 0.01f);
    EXPECT_LE(std::abs(fish->GetHeading().z), 0.25f + Tolerance);
    // Bend bounds hold for every spine bone.
    for (unsigned int bone = 1; bone < CFish::BonesCount; ++bone) {
        EXPECT_LE(std::abs(fish->GetBoneAngleZ(bone)), 2.0f);
        EXPECT_LE(std::abs(fish->GetBoneAngleY(bone)), 2.0f);
    }
}

TEST_F(FishSchoolTest, MissingSelectionEndsTheStartUpWithAnError)
{
    UsePrivateInstallPath();
    school.Create(&engine, camera, 5, 0.0f);
    EXPECT_EQ(school.GetFishesCount(), 0u);
    EXPECT_TRUE(HasMessage(MT_ERROR, "fishes.dat"));
    school.Refresh(0.1f, 0.1f);
}

TEST_F(FishSchoolTest, SelectionForOtherPacksEnablesAll)
{
    UseReefOnly({{1, 0}, {1, 0}});
    WritePrivateFile("Data/fishes.dat", MakeSelection({{1, 0}, {1, 0}}, true, {0, 0, 0}));
    school.Create(&engine, camera, 77, 0.0f);
    ASSERT_EQ(school.GetPacksCount(), 1u);
    EXPECT_EQ(school.GetPack(0).enabled, 1);
    EXPECT_STREQ(school.GetPack(0).name, "Reef");
    EXPECT_STREQ(school.GetPack(0).title, "Reef Fishes");
    EXPECT_EQ(school.GetFishesCount(), 2u);
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "2");
    school.Destroy();
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "0");
}

TEST_F(FishSchoolTest, UnreadablePacksAreLeftOutAndTheOthersSwim)
{
    UseReefOnly({{2, 0}});
    // All three list before "Reef": a cut title, a cut fish count, a folder.
    WritePrivateFile("Data/FishPacks/Broken.fsp", {9, 'B', 'r'});
    WritePrivateFile("Data/FishPacks/Cut.fsp", {2, 'C', 0, 1, 0});
    std::filesystem::create_directories(directory / "Data" / "FishPacks" / "Folder.fsp");
    school.Create(&engine, camera, 3, 0.0f);
    EXPECT_TRUE(HasMessage(MT_ERROR, "Broken.fsp"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Cut.fsp"));
    ASSERT_EQ(school.GetPacksCount(), 1u);
    EXPECT_STREQ(school.GetPack(0).name, "Reef");
    EXPECT_EQ(school.GetFishesCount(), 1u);
}

TEST_F(FishSchoolTest, TruncatedFishAndSelectionFilesThrowFileErrors)
{
    CFileManager files;
    files.Create(engine.GetMessageManager(), engine.GetMemoryManager(), directoryText.c_str(), nullptr);
    WritePrivateFile("Data/FishPacks/Reef/Fish 0/fish.dat", std::vector<std::uint8_t>(351, 0));
    SFishFile fish;
    EXPECT_THROW(fish.Read(&files, "Reef", 0), CFileError);
    EXPECT_THROW(fish.Read(&files, "Reef", 1), CFileError);

    std::vector<std::uint8_t> selection = MakeSelection({{2, 0}}, false, {1, 1});
    SFishPack packs[2];
    WritePrivateFile("Data/fishes.dat", std::vector<std::uint8_t>(selection.begin(), selection.begin() + 84));
    SFishSelection read;
    EXPECT_THROW(read.Read(&files, "Data\\fishes.dat", packs, 2), CFileError);
    // Written for two packs but missing their enabled bytes.
    WritePrivateFile("Data/fishes.dat", std::vector<std::uint8_t>(selection.begin(), selection.begin() + 86));
    EXPECT_THROW(read.Read(&files, "Data\\fishes.dat", packs, 2), CFileError);
    // Both bytes present, both 0: every pack is enabled.
    selection[85] = 0;
    selection[86] = 0;
    WritePrivateFile("Data/fishes.dat", selection);
    read.Read(&files, "Data\\fishes.dat", packs, 2);
    EXPECT_EQ(packs[0].enabled, 1);
    EXPECT_EQ(packs[1].enabled, 1);
    selection[86] = 1;
    WritePrivateFile("Data/fishes.dat", selection);
    read.Read(&files, "Data\\fishes.dat", packs, 2);
    EXPECT_EQ(packs[0].enabled, 0);
    EXPECT_EQ(packs[1].enabled, 1);
    EXPECT_EQ(read.slots[0].kind, 2);
    files.Destroy();
}
} // namespace
