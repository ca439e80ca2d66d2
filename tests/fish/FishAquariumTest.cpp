#include "FishFixture.h"

#include <cmath>
#include <cstdlib>

#include "PngFile.h"
#include "model/Model.h"
#include "support/TankView.h"

// The generated aquarium on the OpenGL device: the school swims for a minute of simulated
// time, every fish stays in its area and keeps moving, and the frames show fish.
namespace
{
constexpr float Step = 1.0f / 30.0f;
constexpr int Steps = 60 * 30;
constexpr int RenderEvery = 10;
constexpr float YSlack = 0.05f;
constexpr float TurnSlack = 1.0f;

class FishAquariumTest : public FishFixture
{
protected:
    FishAquariumTest() : FishFixture(false) {}

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (scripts/with-display)";
        FishFixture::SetUp();
        SetAreas(
            {{{-10.5f, -8.0f, -1.0f}, {10.5f, 0.0f, 6.0f}}, {{-7.0f, -6.0f, 0.5f}, {7.0f, -1.0f, 4.5f}}});
        view.Place(engine, camera, {{0.3f, 0.6f, -1.0f}, 1.0f, {0.45f, 0.45f, 0.5f}});
    }

    void Render() { view.Render(engine); }
    unsigned int CountNonWaterPixels() const { return view.CountNonWaterPixels(60); }

    void SaveFrame(char const* directoryName, int index)
    {
        std::vector<std::uint8_t> rgb;
        rgb.reserve(view.frame.size() * 3);
        for (std::uint32_t value : view.frame) {
            rgb.push_back(static_cast<std::uint8_t>(value >> 16));
            rgb.push_back(static_cast<std::uint8_t>(value >> 8));
            rgb.push_back(static_cast<std::uint8_t>(value));
        }
        std::string const name =
            std::string(directoryName) + "/fish_school_" + std::to_string(index) + ".png";
        EXPECT_TRUE(WritePngFile(name, view.width, view.height, rgb)) << name;
    }

    CTankView view;
};

TEST_F(FishAquariumTest, SchoolSwimsAMinuteInsideItsAreas)
{
    school.Create(&engine, camera, 20261208, 0.0f);
    ASSERT_EQ(school.GetFishesCount(), 10u);
    CConfig* config = engine.GetConfig();
    ASSERT_STREQ(config->GetValue("g_fishes_count"), "10");

    auto published = [&](unsigned int fish) {
        CVector3 position;
        char const* const axes[3] = {"x", "y", "z"};
        for (int axis = 0; axis < 3; ++axis) {
            char name[64];
            std::snprintf(name, sizeof name, "g_fish_%u_position_%s", fish, axes[axis]);
            position[axis] = config->GetValueAsFloat(name);
        }
        return position;
    };
    CVector3 start[10];
    CVector3 last[10];
    float travelled[10] = {};
    for (unsigned int i = 0; i < 10; ++i)
        start[i] = last[i] = published(i);

    float worst[3] = {-100.0f, -100.0f, -100.0f};
    char const* shots = std::getenv("CORALUME_FISH_SHOTS");
    int shot = 0;
    unsigned int mostShown = 0;
    for (int step = 1; step <= Steps; ++step) {
        float const now = static_cast<float>(step) * Step;
        school.Refresh(now, Step);
        for (unsigned int i = 0; i < 10; ++i) {
            CVector3 const position = published(i);
            travelled[i] += (position - last[i]).GetLength();
            last[i] = position;
            CVector3 const& min = school.GetFish(i)->GetArea()->GetMin();
            CVector3 const& max = school.GetFish(i)->GetArea()->GetMax();
            // Only the y range is a hard wall; along x and z the steering may overshoot a
            // border cell a little before it turns back.
            for (int axis = 0; axis < 3; ++axis) {
                float const slack = axis == 1 ? YSlack : TurnSlack;
                worst[axis] =
                    std::max(worst[axis], std::max(min[axis] - position[axis], position[axis] - max[axis]));
                ASSERT_GE(position[axis], min[axis] - slack)
                    << "fish " << i << " axis " << axis << " at " << now;
                ASSERT_LE(position[axis], max[axis] + slack)
                    << "fish " << i << " axis " << axis << " at " << now;
            }
        }
        if (step % RenderEvery == 0) {
            Render();
            mostShown = std::max(mostShown, CountNonWaterPixels());
            if (shots && step % 450 == 0)
                SaveFrame(shots, shot++);
        }
    }
    for (unsigned int i = 0; i < 10; ++i) {
        EXPECT_GT(travelled[i], 5.0f) << "fish " << i << " hardly moved";
        EXPECT_GT((last[i] - start[i]).GetLength() + travelled[i], 0.0f);
    }
    RecordProperty("furthest_outside", std::to_string(worst[0]) + " " + std::to_string(worst[1]) + " " +
                                           std::to_string(worst[2]));
    // The fish are drawn: a good share of the frame is not water.
    EXPECT_GT(mostShown, 2000u);
}
} // namespace
