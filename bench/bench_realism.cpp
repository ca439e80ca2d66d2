// How the aquarium looks in motion, measured on a fixed clock: the fish school, the plankton
// and the tank's decor run for 300 simulated seconds at 30 steps a second for each of eight
// seeds (no drawing; the scripted device stands in for the graphics card). Every step each fish
// model is refreshed as the engine refreshes it before drawing, and the figures come from its
// skinned vertices of the level of detail drawn: bodies meeting, the drawn speed, turn radius
// and tail beat (motion taken at the mean of the body's vertices, fins left out: its centre of
// mass, which a beating tail or a turn about the middle does not swing), where on the screen of the program's
// camera the fish are, how much of their area they visit, how far the drawn body sits from the point the
// school steers, how often it moves sideways to its facing, where the bodies went (sand, rocks, starfish,
// outside their areas), and what the plankton does.
//
// Usage: bench_realism [seeds [fishes]]   (the first 1 to 8 of the fixed seeds, all eight by
// default; "g_max_fishes" for the run, 0 by default: the fish of the selection)
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
#include "core/TimerManager.h"
#include "model/Model.h"
#include "model/SpriteGroup.h"
#include "platform/os/Clock.h"
#include "render/IndexBuffer.h"
#include "render/ShaderDescriptor.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"
#include "support/FakeDirect3D8.h"
#include "support/SteppedClock.h"

namespace
{
constexpr int StepsPerSecond = 30;
constexpr float Step = 1.0f / StepsPerSecond;
constexpr int Seconds = 300;
constexpr std::uint32_t Seeds[] = {1u, 7u, 42u, 1234u, 20261208u, 99991u, 31337u, 777777u};
// Drawn motion below this speed (units per second) does not count as moving.
constexpr float MovingSpeed = 0.1f;
constexpr float SkidAngle = 30.0f * 3.14159265f / 180.0f;
constexpr unsigned int DepthLayers = 10;
// The drawn body is cut into this many slices along its bind-pose length for the overlap test.
constexpr unsigned int SlicesCount = 6;
// Each slice holds a box around its body and one around its fins (thin plates stay thin).
constexpr unsigned int BoxesCount = 2 * SlicesCount;
// Motion is measured over this many steps (0.2 s).
constexpr int MotionSteps = 6;
// Tail beats are counted over windows of this many seconds.
constexpr float BeatWindow = 2.0f;
// A tail swing counts once the tail passes this share of the body length either side.
constexpr float BeatHysteresis = 0.01f;
// Turns sharper than this (radians over a motion window) give a radius.
constexpr float TurnAngle = 0.05f;
// The area-visited grid.
constexpr int VoxelsX = 8, VoxelsY = 4, VoxelsZ = 4;
constexpr int VoxelsCount = VoxelsX * VoxelsY * VoxelsZ;
// Upper edges of the speed classes (units per second); the last class is open.
constexpr float SpeedEdges[] = {0.25f, 0.6f, 1.0f, 1.5f, 2.2f};
constexpr unsigned int SpeedClasses = std::size(SpeedEdges) + 1;
// The program's camera: position, pitch and vertical field of view, at 4:3.
CVector3 const CameraPosition(0.0f, -18.316f, 2.165f);
constexpr float CameraPitch = 1.5707964f;
constexpr float CameraFov = 57.5f;
constexpr float ScreenAspect = 4.0f / 3.0f;

CVector3 Normalised(CVector3 const& v)
{
    float const length = v.GetLength();
    return length > 1e-9f ? v / length : CVector3(1.0f, 0.0f, 0.0f);
}

// An oriented box.
struct SBox
{
    CVector3 centre;
    CVector3 axes[3];
    float half[3];
};

// Separating-axis test of two oriented boxes.
bool BoxesMeet(SBox const& a, SBox const& b)
{
    CVector3 const d = b.centre - a.centre;
    CVector3 axes[15];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        axes[n++] = a.axes[i];
        axes[n++] = b.axes[i];
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            CVector3 const c = a.axes[i] ^ b.axes[j];
            float const length = c.GetLength();
            if (length > 1e-5f)
                axes[n++] = c / length;
        }
    }
    for (int k = 0; k < n; ++k) {
        CVector3 const& l = axes[k];
        float reach = 0.0f;
        for (int i = 0; i < 3; ++i)
            reach += a.half[i] * std::fabs(a.axes[i] * l) + b.half[i] * std::fabs(b.axes[i] * l);
        if (std::fabs(d * l) > reach)
            return false;
    }
    return true;
}

// Which slice of the body each vertex belongs to, and for each triangle set three head
// vertices that give the head's orientation, all taken from the straight body of the file.
struct SBindPose
{
    struct SHead
    {
        unsigned int nose = 0, crown = 0, cheek = 0;
        CMatrix4x4 frame = CMatrix4x4::GetIdentity();
    };
    std::vector<unsigned char> slice;
    std::vector<SHead> heads; // by triangle set

    void Take(CModel const& model)
    {
        VertexBuffer const* buffer = model.GetVertexBuffer();
        Vertex const* vertices = buffer->Get();
        unsigned int const count = buffer->GetSize();
        float low = 1e30f, high = -1e30f;
        for (unsigned int v = 0; v < count; ++v) {
            low = std::min(low, vertices[v].position.x);
            high = std::max(high, vertices[v].position.x);
        }
        slice.assign(count, 0);
        float const sliceLength = std::max(1e-6f, (high - low) / SlicesCount);
        for (unsigned int v = 0; v < count; ++v) {
            auto const s = static_cast<unsigned int>((vertices[v].position.x - low) / sliceLength);
            slice[v] = static_cast<unsigned char>(std::min(s, SlicesCount - 1));
        }
        heads.assign(std::max(1u, model.GetTriangleSetsCount()), SHead());
        for (unsigned int set = 0; set < model.GetTriangleSetsCount(); ++set) {
            TriangleSet const* triangles = model.GetTriangleSet(set);
            if (!triangles || !triangles->GetIndexBuffer())
                continue;
            unsigned int const first = triangles->GetIndexBuffer()->GetMinUsingVertex();
            unsigned int const last =
                std::min(count, first + triangles->GetIndexBuffer()->GetUsingVerticesCount());
            if (first >= last)
                continue;
            SHead& head = heads[set];
            head.nose = head.crown = head.cheek = first;
            float setLow = 1e30f, setHigh = -1e30f;
            for (unsigned int v = first; v < last; ++v) {
                setLow = std::min(setLow, vertices[v].position.x);
                setHigh = std::max(setHigh, vertices[v].position.x);
                if (vertices[v].position.x > vertices[head.nose].position.x)
                    head.nose = v;
            }
            // Crown and cheek: the highest and the widest vertices of the front third.
            float const headStart = setHigh - (setHigh - setLow) / 3.0f;
            float crownZ = -1e30f, cheekY = -1e30f;
            for (unsigned int v = first; v < last; ++v) {
                CVector3 const& p = vertices[v].position;
                if (p.x < headStart)
                    continue;
                if (p.z > crownZ) {
                    crownZ = p.z;
                    head.crown = v;
                }
                if (p.y > cheekY) {
                    cheekY = p.y;
                    head.cheek = v;
                }
            }
            head.frame = GetFrame(vertices[head.nose].position, vertices[head.crown].position,
                                  vertices[head.cheek].position);
            head.frame.Transpose();
        }
    }

    // Orthonormal frame (columns) from three points: nose to crown, nose to cheek.
    static CMatrix4x4 GetFrame(CVector3 const& nose, CVector3 const& crown, CVector3 const& cheek)
    {
        CVector3 const a = Normalised(crown - nose);
        CVector3 const b = Normalised(cheek - nose - a * ((cheek - nose) * a));
        CVector3 const c = a ^ b;
        CMatrix4x4 frame = CMatrix4x4::GetIdentity();
        for (int row = 0; row < 3; ++row) {
            frame.Set(row, 0, a[row]);
            frame.Set(row, 1, b[row]);
            frame.Set(row, 2, c[row]);
        }
        return frame;
    }
};

// One fish as drawn in one frame: its skinned vertices of the level of detail drawn, in world
// space.
struct SDrawnFish
{
    CVector3 centre;
    // Mean of the body's vertices, fins left out: where its mass is.
    CVector3 middle;
    CVector3 facing, side, up;
    float length = 0.0f;
    SBox slices[BoxesCount];
    bool sliceUsed[BoxesCount] = {};
    CVector3 low, high;
    // The tail slice's offset along the side axis from the centre.
    float tailSide = 0.0f;

    void Take(CModel const& model, SBindPose const& bind)
    {
        Vertex const* vertices = model.GetVertexBuffer()->Get();
        CMatrix4x4 const& matrix = model.GetMatrix();
        // The head's turn: the world frame of the three head vertices of the first set drawn
        // against their frame in the straight body.
        unsigned int const drawnSet =
            model.GetVisibleTriangleSetsCount() > 0 ? model.GetVisibleTriangleSet(0) : 0;
        SBindPose::SHead const& head = bind.heads[std::min<std::size_t>(drawnSet, bind.heads.size() - 1)];
        CMatrix4x4 const world =
            SBindPose::GetFrame(matrix * vertices[head.nose].position, matrix * vertices[head.crown].position,
                                matrix * vertices[head.cheek].position);
        CMatrix4x4 const turn = world * head.frame;
        CVector3 const origin = turn * CVector3(0.0f, 0.0f, 0.0f);
        facing = Normalised(turn * CVector3(1.0f, 0.0f, 0.0f) - origin);
        up = Normalised(turn * CVector3(0.0f, 0.0f, 1.0f) - origin);
        side = Normalised(up ^ facing);
        up = facing ^ side;
        CVector3 const axes[3] = {facing, side, up};

        float sliceLow[BoxesCount][3], sliceHigh[BoxesCount][3];
        CVector3 sliceSum[BoxesCount];
        unsigned int sliceCount[BoxesCount] = {};
        for (unsigned int s = 0; s < BoxesCount; ++s) {
            sliceSum[s] = CVector3(0.0f, 0.0f, 0.0f);
            for (int k = 0; k < 3; ++k) {
                sliceLow[s][k] = 1e30f;
                sliceHigh[s][k] = -1e30f;
            }
        }
        low = CVector3(1e30f, 1e30f, 1e30f);
        high = CVector3(-1e30f, -1e30f, -1e30f);
        for (unsigned int i = 0; i < model.GetVisibleTriangleSetsCount(); ++i) {
            TriangleSet const* set = model.GetTriangleSet(model.GetVisibleTriangleSet(i));
            if (!set || !set->GetIndexBuffer())
                continue;
            IndexBuffer* indices = set->GetIndexBuffer();
            CShaderDescriptor const* shader = set->GetShaderDescriptor();
            unsigned int const fins = shader && (shader->GetProperties() & SP_BLENDING) ? SlicesCount : 0;
            unsigned int const first = indices->GetMinUsingVertex();
            unsigned int const count = indices->GetUsingVerticesCount();
            for (unsigned int v = first; v < first + count && v < bind.slice.size(); ++v) {
                CVector3 const p = matrix * vertices[v].position;
                unsigned int const s = bind.slice[v] + fins;
                sliceSum[s] += p;
                ++sliceCount[s];
                for (int k = 0; k < 3; ++k) {
                    float const along = p * axes[k];
                    sliceLow[s][k] = std::min(sliceLow[s][k], along);
                    sliceHigh[s][k] = std::max(sliceHigh[s][k], along);
                    low[k] = std::min(low[k], p[k]);
                    high[k] = std::max(high[k], p[k]);
                }
            }
        }
        float bodyLow[3] = {1e30f, 1e30f, 1e30f}, bodyHigh[3] = {-1e30f, -1e30f, -1e30f};
        for (unsigned int s = 0; s < BoxesCount; ++s) {
            sliceUsed[s] = sliceCount[s] > 0;
            if (!sliceUsed[s])
                continue;
            SBox& box = slices[s];
            box.centre = CVector3(0.0f, 0.0f, 0.0f);
            for (int k = 0; k < 3; ++k) {
                box.axes[k] = axes[k];
                box.half[k] = 0.5f * (sliceHigh[s][k] - sliceLow[s][k]);
                box.centre += axes[k] * (0.5f * (sliceHigh[s][k] + sliceLow[s][k]));
                bodyLow[k] = std::min(bodyLow[k], sliceLow[s][k]);
                bodyHigh[k] = std::max(bodyHigh[k], sliceHigh[s][k]);
            }
        }
        centre = CVector3(0.0f, 0.0f, 0.0f);
        for (int k = 0; k < 3; ++k)
            centre += axes[k] * (0.5f * (bodyLow[k] + bodyHigh[k]));
        length = bodyHigh[0] - bodyLow[0];
        middle = CVector3(0.0f, 0.0f, 0.0f);
        unsigned int middleCount = 0;
        for (unsigned int s = 0; s < SlicesCount; ++s) {
            middle += sliceSum[s];
            middleCount += sliceCount[s];
        }
        middle = middleCount > 0 ? middle / static_cast<float>(middleCount) : centre;
        unsigned int const tailCount = sliceCount[0] + sliceCount[SlicesCount];
        tailSide =
            tailCount > 0
                ? ((sliceSum[0] + sliceSum[SlicesCount]) / static_cast<float>(tailCount) - centre) * side
                : 0.0f;
    }

    // Sample points of the drawn body: the corners and centres of its slices.
    void GetSamplePoints(std::vector<CVector3>* points) const
    {
        points->clear();
        for (unsigned int s = 0; s < BoxesCount; ++s) {
            if (!sliceUsed[s])
                continue;
            SBox const& box = slices[s];
            points->push_back(box.centre);
            for (int corner = 0; corner < 8; ++corner) {
                CVector3 p = box.centre;
                for (int k = 0; k < 3; ++k)
                    p += box.axes[k] * ((corner >> k) & 1 ? box.half[k] : -box.half[k]);
                points->push_back(p);
            }
        }
    }

    bool Meets(SDrawnFish const& other) const
    {
        for (int k = 0; k < 3; ++k) {
            if (high[k] < other.low[k] || other.high[k] < low[k])
                return false;
        }
        for (unsigned int a = 0; a < BoxesCount; ++a) {
            if (!sliceUsed[a])
                continue;
            for (unsigned int b = 0; b < BoxesCount; ++b) {
                if (other.sliceUsed[b] && BoxesMeet(slices[a], other.slices[b]))
                    return true;
            }
        }
        return false;
    }
};

unsigned int GetSpeedClass(float speed)
{
    unsigned int c = 0;
    while (c < std::size(SpeedEdges) && speed >= SpeedEdges[c])
        ++c;
    return c;
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
    double frames = 0, overlapFrames = 0;
    double offsetSum = 0, boxOffsetSum = 0;
    float offsetMax = 0, boxOffsetMax = 0;
    double movingFrames = 0, skidFrames = 0;
    float outsideMax = 0;
    double outsideFrames = 0;
    unsigned int fewestLayers = DepthLayers;
    unsigned int fishWithOneLayer = 0, fishCount = 0;
    double onScreen = 0, thirds[3] = {0, 0, 0}; // top, middle, bottom
    double visitedSum = 0;
    float visitedMin = 1.0f;
    double speedFrames[SpeedClasses] = {};
    std::vector<float> turnRadii[SpeedClasses];
    double beatSum[SpeedClasses] = {}, beatWindows[SpeedClasses] = {};
    double skidBySpeed[SpeedClasses] = {};
    unsigned int specksUnderSandMax = 0, specks = 0;
    float fadingShareMax = 0;
    float homeMinX = 1e9f, homeMaxX = -1e9f;

    void Add(SFigures const& other)
    {
        fishFrames += other.fishFrames;
        sandFrames += other.sandFrames;
        rockFrames += other.rockFrames;
        starFishFrames += other.starFishFrames;
        frames += other.frames;
        overlapFrames += other.overlapFrames;
        offsetSum += other.offsetSum;
        offsetMax = std::max(offsetMax, other.offsetMax);
        boxOffsetSum += other.boxOffsetSum;
        boxOffsetMax = std::max(boxOffsetMax, other.boxOffsetMax);
        movingFrames += other.movingFrames;
        skidFrames += other.skidFrames;
        outsideMax = std::max(outsideMax, other.outsideMax);
        outsideFrames += other.outsideFrames;
        fewestLayers = std::min(fewestLayers, other.fewestLayers);
        fishWithOneLayer += other.fishWithOneLayer;
        fishCount += other.fishCount;
        onScreen += other.onScreen;
        for (int k = 0; k < 3; ++k)
            thirds[k] += other.thirds[k];
        visitedSum += other.visitedSum;
        visitedMin = std::min(visitedMin, other.visitedMin);
        for (unsigned int c = 0; c < SpeedClasses; ++c) {
            speedFrames[c] += other.speedFrames[c];
            turnRadii[c].insert(turnRadii[c].end(), other.turnRadii[c].begin(), other.turnRadii[c].end());
            beatSum[c] += other.beatSum[c];
            beatWindows[c] += other.beatWindows[c];
            skidBySpeed[c] += other.skidBySpeed[c];
        }
        specksUnderSandMax = std::max(specksUnderSandMax, other.specksUnderSandMax);
        specks = other.specks;
        fadingShareMax = std::max(fadingShareMax, other.fadingShareMax);
        homeMinX = std::min(homeMinX, other.homeMinX);
        homeMaxX = std::max(homeMaxX, other.homeMaxX);
    }
};

// What one fish's drawn body did over the run.
struct STrack
{
    static constexpr int HistoryLength = 2 * MotionSteps + 1;

    SBindPose bind;
    SDrawnFish drawn;
    CVector3 middles[HistoryLength];
    CVector3 facings[HistoryLength];
    std::set<unsigned int> layers;
    std::vector<bool> voxels = std::vector<bool>(VoxelsCount, false);
    float meanTail = 0.0f;
    int tailSign = 0;
    int flips = 0;
    double windowSpeed = 0;
    int windowFrames = 0;
    float windowStart = 0.0f;
};

float Percentile(std::vector<float> values, float share)
{
    if (values.empty())
        return 0.0f;
    auto const at = static_cast<std::size_t>(share * static_cast<float>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

class CRealismRun
{
public:
    CRealismRun(std::filesystem::path const& directory, int maxFishes)
        : m_directory(directory), m_maxFishes(maxFishes)
    {}

    bool Start()
    {
        std::filesystem::create_directories(m_directory);
        std::ofstream(m_directory / "RealismBench.ini") << "v_fullscreen 0\nv_mode 1024x768x32\n";
        D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
        m_fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, {{1024, 768, 60, D3DFMT_X8R8G8B8}}));
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
        settings.defaultVideoMode = "1024x768x32";
        settings.clock = &m_clock;
        try {
            m_engine.Create(settings);
        } catch (CError const& error) {
            std::fprintf(stderr, "bench_realism: engine: %s\n", error.GetText());
            return false;
        }
        m_engine.GetConfig()->CreateCommand("g_install_path", CCT_STRING, true, false, m_installPath, "");
        std::snprintf(m_installPath, sizeof m_installPath, "%s", CORALUME_STAGE_DIR);
        m_variables.Register(m_engine.GetConfig());
        int const maxFishes = m_maxFishes;
        m_engine.GetConfig()->CreateCommand("g_max_fishes", CCT_INT, false, false, &m_maxFishes, "0");
        m_maxFishes = maxFishes;
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
        CCameraManager* cameras = m_engine.GetCameraManager();
        m_camera = cameras->GetCamera(0);
        if (m_camera->IsFree())
            m_camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        m_camera->SetPosition(CameraPosition);
        m_camera->SetAngles(CVector3(CameraPitch, 0.0f, 0.0f));
        m_camera->SetFOV(CameraFov);
        m_camera->Refresh(ScreenAspect);
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
        std::vector<STrack> tracks(count);
        for (unsigned int i = 0; i < count; ++i)
            tracks[i].bind.Take(*school.GetFish(i)->GetModel());
        std::vector<CVector3> positions(count);
        for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
            figures->homeMinX = std::min(figures->homeMinX, swarm.GetHome(speck).x);
            figures->homeMaxX = std::max(figures->homeMaxX, swarm.GetHome(speck).x);
        }
        CTimerManager* timers = m_engine.GetTimerManager();
        for (int step = 1; step <= Seconds * StepsPerSecond; ++step) {
            float const now = static_cast<float>(step) * Step;
            m_clock.counter += 1000000 / StepsPerSecond;
            timers->Refresh();
            // The engine's frame order: the models are refreshed (animated and skinned) when
            // the frame begins, then the plug-ins run, then the frame is drawn.
            for (unsigned int i = 0; i < count; ++i)
                school.GetFish(i)->GetModel()->Refresh(false);
            school.Refresh(now, Step);
            for (unsigned int i = 0; i < count; ++i) {
                CFish& fish = *school.GetFish(i);
                positions[i] = fish.GetPosition();
                tracks[i].drawn.Take(*fish.GetModel(), tracks[i].bind);
                MeasureFish(fish, step, now, &tracks[i], figures);
            }
            figures->frames += 1;
            figures->overlapFrames += AnyMeet(tracks);
            swarm.Refresh(Step, positions.data(), count);
            MeasurePlankton(swarm, group, figures);
        }
        for (unsigned int i = 0; i < count; ++i) {
            auto const visited = static_cast<unsigned int>(tracks[i].layers.size());
            figures->fewestLayers = std::min(figures->fewestLayers, visited);
            if (visited < 2)
                ++figures->fishWithOneLayer;
            float const share =
                static_cast<float>(std::count(tracks[i].voxels.begin(), tracks[i].voxels.end(), true)) /
                VoxelsCount;
            figures->visitedSum += share;
            figures->visitedMin = std::min(figures->visitedMin, share);
        }
        figures->fishCount += count;
        swarm.Clear();
        m_engine.GetSpriteGroupManager()->RemoveSpriteGroup(group);
        school.Destroy();
    }

private:
    static bool AnyMeet(std::vector<STrack> const& tracks)
    {
        for (std::size_t a = 0; a < tracks.size(); ++a) {
            for (std::size_t b = a + 1; b < tracks.size(); ++b) {
                if (tracks[a].drawn.Meets(tracks[b].drawn))
                    return true;
            }
        }
        return false;
    }

    void MeasureFish(CFish& fish, int step, float now, STrack* track, SFigures* figures) const
    {
        SDrawnFish const& drawn = track->drawn;
        figures->fishFrames += 1;
        MeasurePlaces(fish, drawn, figures);

        float const offset = (drawn.middle - fish.GetPosition()).GetLength();
        figures->offsetSum += offset;
        figures->offsetMax = std::max(figures->offsetMax, offset);
        float const boxOffset = (drawn.centre - fish.GetPosition()).GetLength();
        figures->boxOffsetSum += boxOffset;
        figures->boxOffsetMax = std::max(figures->boxOffsetMax, boxOffset);

        int const at = step % STrack::HistoryLength;
        track->middles[at] = drawn.middle;
        track->facings[at] = drawn.facing;
        float speed = 0.0f;
        if (step > 2 * MotionSteps) {
            auto past = [&](int steps) {
                return (step - steps + STrack::HistoryLength) % STrack::HistoryLength;
            };
            CVector3 const recent = drawn.middle - track->middles[past(MotionSteps)];
            CVector3 const earlier =
                track->middles[past(MotionSteps)] - track->middles[past(2 * MotionSteps)];
            float const window = MotionSteps * Step;
            speed = recent.GetLength() / window;
            unsigned int const speedClass = GetSpeedClass(speed);
            figures->speedFrames[speedClass] += 1;
            if (speed > MovingSpeed) {
                figures->movingFrames += 1;
                CVector3 const& facing = track->facings[past(MotionSteps / 2)];
                float const cosine = std::clamp(Normalised(recent) * facing, -1.0f, 1.0f);
                if (std::acos(cosine) > SkidAngle) {
                    figures->skidFrames += 1;
                    figures->skidBySpeed[speedClass] += 1;
                }
                float const turnCosine = std::clamp(Normalised(recent) * Normalised(earlier), -1.0f, 1.0f);
                float const turn = std::acos(turnCosine);
                float const pathSpeed = 0.5f * (recent.GetLength() + earlier.GetLength()) / window;
                if (turn > TurnAngle && pathSpeed > MovingSpeed && fish.GetLength() > 0.0f) {
                    float const radius = 0.5f * (recent.GetLength() + earlier.GetLength()) / turn;
                    figures->turnRadii[GetSpeedClass(pathSpeed)].push_back(radius / fish.GetLength());
                }
            }
        }
        CountTailBeats(drawn, speed, now, track, figures);
        MeasureScreen(drawn.centre, figures);

        CVector3 const& min = fish.GetArea()->GetMin();
        CVector3 const& max = fish.GetArea()->GetMax();
        int const voxels[3] = {VoxelsX, VoxelsY, VoxelsZ};
        int cell[3];
        for (int k = 0; k < 3; ++k) {
            float const share = (drawn.centre[k] - min[k]) / std::max(1e-6f, max[k] - min[k]);
            cell[k] = std::clamp(static_cast<int>(std::floor(share * static_cast<float>(voxels[k]))), 0,
                                 voxels[k] - 1);
        }
        track->voxels[static_cast<std::size_t>((cell[0] * VoxelsY + cell[1]) * VoxelsZ + cell[2])] = true;
        float const layerHeight = (max.z - min.z) / DepthLayers;
        int const layer = static_cast<int>(std::floor((drawn.centre.z - min.z) / layerHeight));
        track->layers.insert(
            static_cast<unsigned int>(std::clamp(layer, 0, static_cast<int>(DepthLayers) - 1)));
    }

    static void CountTailBeats(SDrawnFish const& drawn, float speed, float now, STrack* track,
                               SFigures* figures)
    {
        track->meanTail += (drawn.tailSide - track->meanTail) * 0.05f;
        float const swing = drawn.tailSide - track->meanTail;
        float const hysteresis = BeatHysteresis * drawn.length;
        if (swing > hysteresis && track->tailSign <= 0) {
            track->tailSign = 1;
            ++track->flips;
        } else if (swing < -hysteresis && track->tailSign >= 0) {
            track->tailSign = -1;
            ++track->flips;
        }
        track->windowSpeed += speed;
        ++track->windowFrames;
        if (now - track->windowStart >= BeatWindow) {
            float const meanSpeed = static_cast<float>(track->windowSpeed / track->windowFrames);
            unsigned int const speedClass = GetSpeedClass(meanSpeed);
            figures->beatSum[speedClass] += 0.5 * track->flips / BeatWindow;
            figures->beatWindows[speedClass] += 1;
            track->flips = 0;
            track->windowSpeed = 0;
            track->windowFrames = 0;
            track->windowStart = now;
        }
    }

    void MeasureScreen(CVector3 const& centre, SFigures* figures) const
    {
        CVector4 const clip = m_camera->GetClipMatrix() * CVector4(centre.x, centre.y, centre.z, 1.0f);
        if (clip.w <= 0.0f)
            return;
        float const x = clip.x / clip.w;
        float const y = clip.y / clip.w;
        if (std::fabs(x) > 1.0f || std::fabs(y) > 1.0f)
            return;
        figures->onScreen += 1;
        figures->thirds[y > 1.0f / 3.0f ? 0 : y < -1.0f / 3.0f ? 2 : 1] += 1;
    }

    void MeasurePlaces(CFish& fish, SDrawnFish const& drawn, SFigures* figures) const
    {
        drawn.GetSamplePoints(&m_points);
        bool sand = false, rock = false, star = false;
        for (CVector3 const& p : m_points) {
            sand = sand || p.z < tank::GetRippledFloorHeight(p.x, p.y);
            star = star || InStarFish(p);
            for (SRock const& r : m_rocks)
                rock = rock || r.Contains(p);
        }
        figures->sandFrames += sand;
        figures->rockFrames += rock;
        figures->starFishFrames += star;

        CVector3 const& min = fish.GetArea()->GetMin();
        CVector3 const& max = fish.GetArea()->GetMax();
        float outside = 0.0f;
        for (int axis = 0; axis < 3; ++axis) {
            outside = std::max(outside, min[axis] - drawn.low[axis]);
            outside = std::max(outside, drawn.high[axis] - max[axis]);
        }
        figures->outsideMax = std::max(figures->outsideMax, outside);
        figures->outsideFrames += outside > 0.0f;
    }

    static void MeasurePlankton(CPlanktonSwarm& swarm, CSpriteGroup* group, SFigures* figures)
    {
        unsigned int under = 0, fading = 0;
        for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
            SSprite const* sprite = group->GetSprite(swarm.GetSpriteIndex(speck));
            if (sprite->position.z < tank::GetRippledFloorHeight(sprite->position.x, sprite->position.y))
                ++under;
            if (sprite->color.w < swarm.GetOpacity(speck))
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
    SteppedClock m_clock;
    CEngine m_engine;
    CCamera* m_camera = nullptr;
    char m_installPath[512] = {};
    int m_maxFishes = 0;
    CTankVariables m_variables;
    CTankScene m_scene;
    std::vector<SRock> m_rocks;
    mutable std::vector<CVector3> m_points;
};

double Percent(double part, double whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

void PrintSpeedTable(SFigures const& total)
{
    double frames = 0;
    for (double f : total.speedFrames)
        frames += f;
    std::printf("  drawn speed (units/s)   share of time   turn radius p10 / median (body lengths)   "
                "tail beats/s   facing > 30 deg off\n");
    for (unsigned int c = 0; c < SpeedClasses; ++c) {
        char range[32];
        if (c == 0)
            std::snprintf(range, sizeof range, "below %.2f", SpeedEdges[0]);
        else if (c + 1 == SpeedClasses)
            std::snprintf(range, sizeof range, "%.2f and up", SpeedEdges[c - 1]);
        else
            std::snprintf(range, sizeof range, "%.2f to %.2f", SpeedEdges[c - 1], SpeedEdges[c]);
        std::printf(
            "    %-20s  %6.1f %%        %5.2f / %5.2f  (%7zu turning frames)   %5.2f          %5.1f %%\n",
            range, Percent(total.speedFrames[c], frames), Percentile(total.turnRadii[c], 0.1f),
            Percentile(total.turnRadii[c], 0.5f), total.turnRadii[c].size(),
            total.beatWindows[c] > 0 ? total.beatSum[c] / total.beatWindows[c] : 0.0,
            Percent(total.skidBySpeed[c], total.speedFrames[c]));
    }
}
} // namespace

int main(int argc, char** argv)
{
    std::size_t seedsCount = std::size(Seeds);
    if (argc > 1)
        seedsCount = std::clamp<std::size_t>(std::strtoul(argv[1], nullptr, 10), 1, std::size(Seeds));
    std::filesystem::path const directory = std::filesystem::temp_directory_path() / "coralume_bench_realism";
    int const maxFishes = argc > 2 ? std::atoi(argv[2]) : 0;
    CRealismRun run(directory, maxFishes);
    if (!run.Start())
        return 1;
    SFigures total;
    std::printf("seed       overlap%%  top%%  visited%%  sand%%  rock%%  star%%  offset(mean/max)  skid%%  "
                "outside(max)  layers(min)  plankton under sand  fading(max)\n");
    for (std::size_t s = 0; s < seedsCount; ++s) {
        std::uint32_t const seed = Seeds[s];
        SFigures figures;
        run.Run(seed, &figures);
        std::printf(
            "%-10u %6.2f   %5.1f  %6.1f    %5.2f  %5.2f  %5.2f  %5.2f / %5.2f     %5.1f  %6.2f        %2u  "
            "         %3u / %3u  %5.1f%%\n",
            seed, Percent(figures.overlapFrames, figures.frames),
            Percent(figures.thirds[0], figures.onScreen),
            100.0 * figures.visitedSum / std::max(1u, figures.fishCount),
            Percent(figures.sandFrames, figures.fishFrames), Percent(figures.rockFrames, figures.fishFrames),
            Percent(figures.starFishFrames, figures.fishFrames),
            figures.offsetSum / std::max(1.0, figures.fishFrames), figures.offsetMax,
            Percent(figures.skidFrames, figures.movingFrames), figures.outsideMax, figures.fewestLayers,
            figures.specksUnderSandMax, figures.specks, 100.0f * figures.fadingShareMax);
        std::fflush(stdout);
        total.Add(figures);
    }
    std::printf("\nall seeds (%zu x %d s at %d steps/s, %u fish, skinned vertices of the level drawn):\n",
                seedsCount, Seconds, StepsPerSecond, total.fishCount);
    std::printf("  fish overlapping: %.2f %% of frames\n", Percent(total.overlapFrames, total.frames));
    std::printf("  on-screen time per third of the screen   top %.1f %%, middle %.1f %%, bottom %.1f %% "
                "(on screen %.1f %% of fish-time)\n",
                Percent(total.thirds[0], total.onScreen), Percent(total.thirds[1], total.onScreen),
                Percent(total.thirds[2], total.onScreen), Percent(total.onScreen, total.fishFrames));
    std::printf("  area visited in %d s (%dx%dx%d voxels)  mean %.1f %%, lowest %.1f %%\n", Seconds, VoxelsX,
                VoxelsY, VoxelsZ, 100.0 * total.visitedSum / std::max(1u, total.fishCount),
                100.0 * total.visitedMin);
    std::printf("  facing > 30 degrees off motion           %6.2f %% of moving time\n",
                Percent(total.skidFrames, total.movingFrames));
    std::printf("  drawn mesh centre from steered point     mean %.2f, max %.2f (body vertices' mean); "
                "mean %.2f, max %.2f (box centre, tail fin included)\n",
                total.offsetSum / std::max(1.0, total.fishFrames), total.offsetMax,
                total.boxOffsetSum / std::max(1.0, total.fishFrames), total.boxOffsetMax);
    PrintSpeedTable(total);
    std::printf("  fish-time with the body in the sand      %6.2f %%\n",
                Percent(total.sandFrames, total.fishFrames));
    std::printf("  fish-time with the body in a rock        %6.2f %%\n",
                Percent(total.rockFrames, total.fishFrames));
    std::printf("  fish-time with the body in the starfish  %6.2f %%\n",
                Percent(total.starFishFrames, total.fishFrames));
    std::printf("  drawn body outside its area              max %.2f, %.2f %% of fish-time\n",
                total.outsideMax, Percent(total.outsideFrames, total.fishFrames));
    std::printf("  depth layers visited (of %u)             fewest %u; fish with one layer: %u of %u\n",
                DepthLayers, total.fewestLayers, total.fishWithOneLayer, total.fishCount);
    std::printf("  plankton under the sand                  at most %u of %u\n", total.specksUnderSandMax,
                total.specks);
    std::printf("  plankton homes along x                   %.1f to %.1f\n", total.homeMinX, total.homeMaxX);
    std::printf("  largest share of specks fading at once   %6.1f %%\n", 100.0f * total.fadingShareMax);
    run.Stop();
    std::filesystem::remove_all(directory);
    return 0;
}
