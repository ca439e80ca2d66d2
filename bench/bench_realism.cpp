// How the aquarium looks in motion, measured on a fixed clock: the fish school, the plankton
// and the tank's decor run for 300 simulated seconds at 60 steps a second for each of eight
// seeds (no drawing; the scripted device stands in for the graphics card), and the program
// prints where the drawn fish bodies went (sand, rocks, starfish, outside their areas), how
// far the drawn body sits from the point the school steers, how often it moves sideways to its
// facing, how many depth layers each fish visits, and what the plankton does.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "FishSchool.h"
#include "PlanktonSwarm.h"
#include "TankLayout.h"
#include "TankScene.h"
#include "TankVariables.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "math/Quaternion.h"
#include "model/Model.h"
#include "model/Skeleton.h"
#include "model/SpriteGroup.h"
#include "platform/FakeDirect3D8.h"
#include "render/ShaderDescriptor.h"

namespace
{
constexpr int StepsPerSecond = 60;
constexpr float Step = 1.0f / StepsPerSecond;
constexpr int Seconds = 300;
constexpr std::uint32_t Seeds[] = {1u, 7u, 42u, 1234u, 20261208u, 99991u, 31337u, 777777u};
// Drawn motion below this speed (units per second) does not count as moving.
constexpr float MovingSpeed = 0.1f;
constexpr float SkidAngle = 30.0f * 3.14159265f / 180.0f;
constexpr unsigned int DepthLayers = 10;

// A drawn fish body: a box along its facing, its side and its up direction.
struct SBody
{
    CVector3 centre;
    CVector3 axes[3];
    float half[3];

    CVector3 GetReach() const
    {
        CVector3 reach(0.0f, 0.0f, 0.0f);
        for (int axis = 0; axis < 3; ++axis) {
            for (int k = 0; k < 3; ++k)
                reach[axis] += std::fabs(axes[k][axis]) * half[k];
        }
        return reach;
    }
    // Points on the body's surface and inside it: nose, tail, back, belly, flanks, centre.
    std::vector<CVector3> GetSamplePoints() const
    {
        std::vector<CVector3> points{centre};
        for (int k = 0; k < 3; ++k) {
            points.push_back(centre + axes[k] * half[k]);
            points.push_back(centre - axes[k] * half[k]);
        }
        for (float along : {-0.5f, 0.5f}) {
            for (int k = 1; k < 3; ++k) {
                points.push_back(centre + axes[0] * (half[0] * along) + axes[k] * half[k] * 0.8f);
                points.push_back(centre + axes[0] * (half[0] * along) - axes[k] * half[k] * 0.8f);
            }
        }
        return points;
    }
};

CVector3 Normalised(CVector3 const& v)
{
    float const length = v.GetLength();
    return length > 1e-9f ? v / length : CVector3(1.0f, 0.0f, 0.0f);
}

// Where the engine draws the fish: the root bone turns the model about its joint, then the
// model's matrix scales and places it.
SBody GetDrawnBody(CFish& fish)
{
    CModel* model = fish.GetModel();
    CBoundingBox const& box = model->GetBoundingBox();
    CVector3 const localCentre = (box.GetLocalMinPoint() + box.GetLocalMaxPoint()) * 0.5f;
    CVector3 const localSize = box.GetLocalMaxPoint() - box.GetLocalMinPoint();
    CSkeleton* skeleton = model->GetSkeleton();
    int const root = fish.GetBoneIndex(0);
    CVector3 const joint = root >= 0 ? skeleton->GetBone(static_cast<unsigned int>(root))->animatedPosition
                                     : CVector3(0.0f, 0.0f, 0.0f);
    CMatrix4x4 const turn =
        (CQuaternion::GetRotationY(fish.GetBoneAngleY(0)) * CQuaternion::GetRotationZ(fish.GetBoneAngleZ(0)))
            .GetMatrix();
    CMatrix4x4 const& matrix = model->GetMatrix();
    CVector3 const origin = matrix * CVector3(0.0f, 0.0f, 0.0f);
    SBody body;
    body.centre = matrix * (joint + turn * (localCentre - joint));
    for (int k = 0; k < 3; ++k) {
        CVector3 unit(0.0f, 0.0f, 0.0f);
        unit[k] = 1.0f;
        CVector3 const axis = matrix * (turn * unit) - origin;
        body.axes[k] = Normalised(axis);
        body.half[k] = localSize[k] * axis.GetLength() * 0.5f;
    }
    return body;
}

// A rock as the ellipsoid inside its world box.
struct SRock
{
    CVector3 centre;
    CVector3 radius;
    bool Contains(CVector3 const& p) const
    {
        CVector3 const d = p - centre;
        return (d.x * d.x) / (radius.x * radius.x) + (d.y * d.y) / (radius.y * radius.y) +
                   (d.z * d.z) / (radius.z * radius.z) <
               1.0f;
    }
};

bool InStarFish(CVector3 const& p)
{
    float const top = tank::GetStarFishZ() + tank::StarFishHeight;
    return std::hypot(p.x - tank::StarFishX, p.y - tank::StarFishY) < tank::StarFishReach && p.z < top;
}

struct SFigures
{
    double fishFrames = 0, sandFrames = 0, rockFrames = 0, starFishFrames = 0;
    double offsetSum = 0;
    float offsetMax = 0;
    double movingFrames = 0, skidFrames = 0;
    float outsideMax = 0;
    double outsideFrames = 0;
    unsigned int fewestLayers = DepthLayers;
    unsigned int fishWithOneLayer = 0, fishCount = 0;
    float facingAgreement = 1.0f;
    unsigned int specksUnderSandMax = 0, specks = 0;
    float fadingShareMax = 0;
    float homeMinX = 1e9f, homeMaxX = -1e9f;
};

class CRealismRun
{
public:
    explicit CRealismRun(std::filesystem::path const& directory) : m_directory(directory) {}

    bool Start()
    {
        std::filesystem::create_directories(m_directory);
        std::ofstream(m_directory / "RealismBench.ini") << "v_fullscreen 0\nv_mode 640x480x32\n";
        D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
        m_fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, {{640, 480, 60, D3DFMT_X8R8G8B8}}));
        m_fake.Install();
        m_directoryText = m_directory.string();
        SEngineSettings settings{};
        settings.applicationName = "RealismBench";
        settings.applicationVersion = 100;
        settings.engineDirectory = CORALUME_STAGE_DIR;
        settings.configFileName = "RealismBench";
        settings.configDirectory = m_directoryText.c_str();
        settings.createLogFile = false;
        settings.logDirectory = m_directoryText.c_str();
        settings.defaultVideoMode = "640x480x32";
        try {
            m_engine.Create(settings);
        } catch (CError const& error) {
            std::fprintf(stderr, "bench_realism: engine: %s\n", error.GetText());
            return false;
        }
        m_engine.GetConfig()->CreateCommand("g_install_path", CCT_STRING, true, false, m_installPath, "");
        std::snprintf(m_installPath, sizeof m_installPath, "%s", CORALUME_STAGE_DIR);
        m_variables.Register(m_engine.GetConfig());
        m_scene.Create(&m_engine);
        // The tank publishes its decor for the fish as the plug-in does.
        std::vector<std::pair<CVector3, CVector3>> boxes;
        for (CModel* model : m_scene.GetRocks()) {
            CBoundingBox const& box = model->GetBoundingBox();
            boxes.emplace_back(box.GetMinPoint(), box.GetMaxPoint());
            m_rocks.push_back({(box.GetMinPoint() + box.GetMaxPoint()) * 0.5f,
                               (box.GetMaxPoint() - box.GetMinPoint()) * 0.5f});
        }
        m_variables.RegisterObstacles(m_engine.GetConfig(), boxes);
        m_camera = m_engine.GetCameraManager()->GetCamera(0);
        return true;
    }

    void Stop()
    {
        m_scene.Destroy();
        m_engine.Destroy();
        m_fake.Uninstall();
    }

    void Run(std::uint32_t seed, SFigures* figures)
    {
        CFishSchool school;
        school.Create(&m_engine, m_camera, seed, 0.0f);
        CShaderDescriptor shader;
        m_engine.GetShaderManager()->CreateShaderDescriptor(&shader, 1u);
        shader.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP, 1, 0.0f, "plankton.jpg", "plankton.jpg", SSBT_REPEAT);
        CSpriteGroup* group =
            m_engine.GetSpriteGroupManager()->AddSpriteGroup(CPlanktonSwarm::SpecksCount, shader, 0u);
        CPlanktonSwarm swarm;
        swarm.GetRandom().SetSeed(seed);
        swarm.Populate(group);

        unsigned int const count = school.GetFishesCount();
        std::vector<CVector3> lastCentre(count);
        std::vector<std::set<unsigned int>> layers(count);
        std::vector<CVector3> positions(count);
        double agreement = 0;
        double agreementFrames = 0;
        for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
            figures->homeMinX = std::min(figures->homeMinX, swarm.GetHome(speck).x);
            figures->homeMaxX = std::max(figures->homeMaxX, swarm.GetHome(speck).x);
        }
        for (int step = 1; step <= Seconds * StepsPerSecond; ++step) {
            float const now = static_cast<float>(step) * Step;
            school.Refresh(now, Step);
            for (unsigned int i = 0; i < count; ++i) {
                CFish& fish = *school.GetFish(i);
                positions[i] = fish.GetPosition();
                SBody const body = GetDrawnBody(fish);
                MeasureFish(fish, body, step > 1 ? &lastCentre[i] : nullptr, &layers[i], figures);
                agreement += body.axes[0] * fish.GetHeading();
                agreementFrames += 1;
                lastCentre[i] = body.centre;
            }
            swarm.Refresh(Step, positions.data(), count);
            MeasurePlankton(swarm, group, figures);
        }
        for (unsigned int i = 0; i < count; ++i) {
            auto const visited = static_cast<unsigned int>(layers[i].size());
            figures->fewestLayers = std::min(figures->fewestLayers, visited);
            if (visited < 2)
                ++figures->fishWithOneLayer;
        }
        figures->fishCount += count;
        if (agreementFrames > 0)
            figures->facingAgreement =
                std::min(figures->facingAgreement, static_cast<float>(agreement / agreementFrames));
        swarm.Clear();
        m_engine.GetSpriteGroupManager()->RemoveSpriteGroup(group);
        school.Destroy();
    }

private:
    void MeasureFish(CFish& fish, SBody const& body, CVector3 const* lastCentre,
                     std::set<unsigned int>* layers, SFigures* figures) const
    {
        figures->fishFrames += 1;
        std::vector<CVector3> const points = body.GetSamplePoints();
        bool sand = false, rock = false, star = false;
        for (CVector3 const& p : points) {
            sand = sand || p.z < tank::GetRippledFloorHeight(p.x, p.y);
            star = star || InStarFish(p);
            for (SRock const& r : m_rocks)
                rock = rock || r.Contains(p);
        }
        figures->sandFrames += sand;
        figures->rockFrames += rock;
        figures->starFishFrames += star;

        float const offset = (body.centre - fish.GetPosition()).GetLength();
        figures->offsetSum += offset;
        figures->offsetMax = std::max(figures->offsetMax, offset);

        if (lastCentre) {
            CVector3 const motion = body.centre - *lastCentre;
            float const speed = motion.GetLength() / Step;
            if (speed > MovingSpeed) {
                figures->movingFrames += 1;
                float const cosine = std::clamp(motion / motion.GetLength() * body.axes[0], -1.0f, 1.0f);
                if (std::acos(cosine) > SkidAngle)
                    figures->skidFrames += 1;
            }
        }

        CVector3 const reach = body.GetReach();
        CVector3 const& min = fish.GetArea()->GetMin();
        CVector3 const& max = fish.GetArea()->GetMax();
        float outside = 0.0f;
        for (int axis = 0; axis < 3; ++axis) {
            outside = std::max(outside, min[axis] - (body.centre[axis] - reach[axis]));
            outside = std::max(outside, body.centre[axis] + reach[axis] - max[axis]);
        }
        figures->outsideMax = std::max(figures->outsideMax, outside);
        figures->outsideFrames += outside > 0.0f;

        float const layerHeight = (max.z - min.z) / DepthLayers;
        int const layer = static_cast<int>(std::floor((body.centre.z - min.z) / layerHeight));
        layers->insert(static_cast<unsigned int>(std::clamp(layer, 0, static_cast<int>(DepthLayers) - 1)));
    }

    static void MeasurePlankton(CPlanktonSwarm& swarm, CSpriteGroup* group, SFigures* figures)
    {
        unsigned int under = 0, fading = 0;
        for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
            SSprite const* sprite = group->GetSprite(swarm.GetSpriteIndex(speck));
            if (sprite->position.z < tank::GetRippledFloorHeight(sprite->position.x, sprite->position.y))
                ++under;
            if (sprite->color.w < 1.0f)
                ++fading;
        }
        figures->specks = swarm.GetSpecksCount();
        figures->specksUnderSandMax = std::max(figures->specksUnderSandMax, under);
        figures->fadingShareMax = std::max(figures->fadingShareMax,
                                           static_cast<float>(fading) / std::max(1u, swarm.GetSpecksCount()));
    }

    std::filesystem::path m_directory;
    std::string m_directoryText;
    FakeDirect3D8 m_fake;
    CEngine m_engine;
    CCamera* m_camera = nullptr;
    char m_installPath[512] = {};
    CTankVariables m_variables;
    CTankScene m_scene;
    std::vector<SRock> m_rocks;
};

double Percent(double part, double whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}
} // namespace

int main()
{
    std::filesystem::path const directory = std::filesystem::temp_directory_path() / "coralume_bench_realism";
    CRealismRun run(directory);
    if (!run.Start())
        return 1;
    SFigures total;
    std::printf("seed       sand%%  rock%%  star%%  offset(mean/max)  skid%%  outside(max)  layers(min)  "
                "plankton under sand  fading(max)\n");
    for (std::uint32_t seed : Seeds) {
        SFigures figures;
        run.Run(seed, &figures);
        std::printf(
            "%-10u %5.2f  %5.2f  %5.2f  %5.2f / %5.2f     %5.1f  %6.2f        %2u           %3u / %3u  "
            "%5.1f%%\n",
            seed, Percent(figures.sandFrames, figures.fishFrames),
            Percent(figures.rockFrames, figures.fishFrames),
            Percent(figures.starFishFrames, figures.fishFrames),
            figures.offsetSum / std::max(1.0, figures.fishFrames), figures.offsetMax,
            Percent(figures.skidFrames, figures.movingFrames), figures.outsideMax, figures.fewestLayers,
            figures.specksUnderSandMax, figures.specks, 100.0f * figures.fadingShareMax);
        total.fishFrames += figures.fishFrames;
        total.sandFrames += figures.sandFrames;
        total.rockFrames += figures.rockFrames;
        total.starFishFrames += figures.starFishFrames;
        total.offsetSum += figures.offsetSum;
        total.offsetMax = std::max(total.offsetMax, figures.offsetMax);
        total.movingFrames += figures.movingFrames;
        total.skidFrames += figures.skidFrames;
        total.outsideMax = std::max(total.outsideMax, figures.outsideMax);
        total.outsideFrames += figures.outsideFrames;
        total.fewestLayers = std::min(total.fewestLayers, figures.fewestLayers);
        total.fishWithOneLayer += figures.fishWithOneLayer;
        total.fishCount += figures.fishCount;
        total.facingAgreement = std::min(total.facingAgreement, figures.facingAgreement);
        total.specksUnderSandMax = std::max(total.specksUnderSandMax, figures.specksUnderSandMax);
        total.specks = figures.specks;
        total.fadingShareMax = std::max(total.fadingShareMax, figures.fadingShareMax);
        total.homeMinX = std::min(total.homeMinX, figures.homeMinX);
        total.homeMaxX = std::max(total.homeMaxX, figures.homeMaxX);
    }
    std::printf("\nall seeds (%zu x %d s at %d steps/s, %u fish):\n", std::size(Seeds), Seconds,
                StepsPerSecond, total.fishCount);
    std::printf("  fish-time with the body in the sand      %6.2f %%\n",
                Percent(total.sandFrames, total.fishFrames));
    std::printf("  fish-time with the body in a rock        %6.2f %%\n",
                Percent(total.rockFrames, total.fishFrames));
    std::printf("  fish-time with the body in the starfish  %6.2f %%\n",
                Percent(total.starFishFrames, total.fishFrames));
    std::printf("  drawn body from the steered point        mean %.2f, max %.2f\n",
                total.offsetSum / std::max(1.0, total.fishFrames), total.offsetMax);
    std::printf("  moving frames skidding (> 30 degrees)    %6.2f %%\n",
                Percent(total.skidFrames, total.movingFrames));
    std::printf("  drawn body outside its area              max %.2f, %.2f %% of fish-time\n",
                total.outsideMax, Percent(total.outsideFrames, total.fishFrames));
    std::printf("  depth layers visited (of %u)             fewest %u; fish with one layer: %u of %u\n",
                DepthLayers, total.fewestLayers, total.fishWithOneLayer, total.fishCount);
    std::printf("  drawn facing against heading             lowest mean cosine %.3f\n",
                total.facingAgreement);
    std::printf("  plankton under the sand                  at most %u of %u\n", total.specksUnderSandMax,
                total.specks);
    std::printf("  plankton homes along x                   %.1f to %.1f\n", total.homeMinX, total.homeMaxX);
    std::printf("  largest share of specks fading at once   %6.1f %%\n", 100.0f * total.fadingShareMax);
    run.Stop();
    std::filesystem::remove_all(directory);
    return 0;
}
