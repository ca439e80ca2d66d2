#include "FishSchool.h"

#include "FishShoal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Engine.h"
#include "core/Errors.h"
#include "core/File.h"
#include "model/Model.h"
#include "platform/os/FileSystem.h"

namespace
{
constexpr int MaxAreas = 64;
constexpr int MaxObstacles = 64;
// Set by a host showing a selection not yet saved: the file holding it.
constexpr char const* SelectionFileVariable = "g_fishes_file";
CVector3 const DefaultAreaMin(-10.5f, -8.0f, -1.0f);
CVector3 const DefaultAreaMax(10.5f, 0.0f, 6.0f);

// How many times wider than 4:3 the widest view is (at least once): the areas stretch sideways
// by as much, so that the fish swim out to every monitor of a wide or spanned desktop.
float GetSidewaysStretch(CCameraManager const* cameras)
{
    float widest = CCamera::AspectRatio;
    for (unsigned int i = 0; i < cameras->GetViewsCount(); ++i)
        widest = std::max(widest, cameras->GetView(i).aspect);
    return widest / CCamera::AspectRatio;
}

float ReadFloat(CConfig* config, char const* name)
{
    return static_cast<float>(std::atof(config->GetValue(name)));
}
} // namespace

void CFishSchool::Create(CEngine* engine, CCamera* camera, std::uint32_t seed, float now)
{
    Destroy();
    std::srand(seed);
    m_spread.SetSeed(seed);
    m_between.SetSeed(seed ^ 0x9e3779b9u);
    m_engine = engine;
    m_camera = camera;
    m_shutDown = false;
    CreateAreas();
    try {
        FindPacks();
        std::string const path = ChooseSelectionFile();
        m_selection = SFishSelection();
        m_selection.Read(engine->GetFileManager(), path.c_str(), m_packs.data(),
                         static_cast<unsigned int>(m_packs.size()));
        m_selection.DrawRandomSlots(m_packs.data(), static_cast<unsigned int>(m_packs.size()), m_spread);
        CreateFishes(now);
    } catch (CFileError const& error) {
        engine->GetMessageManager()->WriteError("%s", error.GetText());
    }
    m_habits.Create(engine, camera, m_fishes.get(), m_fishesCount);
    m_startTime = now;
    m_timeOrigin = 0.0;
    m_randomFactor = 1.0f + m_spread.Next() * 0.1f;
}

std::string CFishSchool::ChooseSelectionFile() const
{
    CConfig* config = m_engine->GetConfig();
    if (char const* const selectionFile = config->GetValue(SelectionFileVariable); *selectionFile)
        return selectionFile;
    std::string const installed = std::string(config->GetValue("g_install_path")) + "\\Data\\fishes.dat";
    // The user's own selection when the program names a user folder that holds one.
    std::string const userFolder = config->GetValue("g_user_path");
    std::string const user = userFolder + "/fishes.dat";
    if (userFolder.empty() || userFolder[0] != '/' || !platform::PathExists(user))
        return installed;
    if (std::string const reason = platform::DescribeUnreadableFile(user); !reason.empty()) {
        m_engine->GetMessageManager()->WriteError(
            "Fish selection %s can not be read (%s); the installed one is used", user.c_str(),
            reason.c_str());
        std::fprintf(stderr, "Error: fish selection %s can not be read (%s); the installed one is used\n",
                     user.c_str(), reason.c_str());
        return installed;
    }
    return user;
}

void CFishSchool::CreateAreas()
{
    CConfig* config = m_engine->GetConfig();
    int const count = std::atoi(config->GetValue("g_fish_areas_count"));
    if (count == 0) {
        m_engine->GetMessageManager()->WriteError("Can't find fish areas");
        m_areas.push_back(std::make_unique<CFishArea>());
    }
    m_areaCorners.clear();
    char name[64];
    for (int i = 0; i < std::min(count, MaxAreas); ++i) {
        CVector3 corners[2];
        char const* const cornerNames[2] = {"min", "max"};
        char const* const axes[3] = {"x", "y", "z"};
        for (int corner = 0; corner < 2; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                std::snprintf(name, sizeof name, "g_fish_area_%d_%s_%s", i, cornerNames[corner], axes[axis]);
                corners[corner][axis] = ReadFloat(config, name);
            }
        }
        // Corners given the wrong way round still describe the same box.
        for (int axis = 0; axis < 3; ++axis) {
            if (corners[0][axis] > corners[1][axis])
                std::swap(corners[0][axis], corners[1][axis]);
        }
        m_areaCorners.push_back({corners[0], corners[1]});
        m_areas.push_back(std::make_unique<CFishArea>());
    }
    if (count == 0)
        m_areaCorners.push_back({DefaultAreaMin, DefaultAreaMax});
    m_areaFishesCount.assign(m_areas.size(), 0);
    ShapeAreas(GetSidewaysStretch(m_engine->GetCameraManager()));
}

void CFishSchool::ShapeAreas(float stretch)
{
    m_areasStretch = stretch;
    for (std::size_t i = 0; i < m_areas.size(); ++i) {
        CVector3 min = m_areaCorners[i].first;
        CVector3 max = m_areaCorners[i].second;
        min.x *= stretch;
        max.x *= stretch;
        m_areas[i]->Create(m_engine, this, min, max);
    }
    AddObstacles();
}

void CFishSchool::FollowViews()
{
    float const stretch = GetSidewaysStretch(m_engine->GetCameraManager());
    if (std::abs(stretch - m_areasStretch) <= StretchTolerance * m_areasStretch)
        return;
    ShapeAreas(stretch);
    for (unsigned int i = 0; i < m_fishesCount; ++i)
        m_fishes[i].FitArea();
}

void CFishSchool::AddObstacles()
{
    CConfig* config = m_engine->GetConfig();
    int const count = std::atoi(config->GetValue("g_fish_obstacles_count"));
    char name[64];
    for (int i = 0; i < std::min(count, MaxObstacles); ++i) {
        CVector3 corners[2];
        char const* const cornerNames[2] = {"min", "max"};
        char const* const axes[3] = {"x", "y", "z"};
        for (int corner = 0; corner < 2; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                std::snprintf(name, sizeof name, "g_fish_obstacle_%d_%s_%s", i, cornerNames[corner],
                              axes[axis]);
                corners[corner][axis] = ReadFloat(config, name);
            }
        }
        for (auto& area : m_areas)
            area->AddObstacle(corners[0], corners[1]);
    }
}

void CFishSchool::FindPacks()
{
    CFileManager* files = m_engine->GetFileManager();
    char const* installPath = m_engine->GetConfig()->GetValue("g_install_path");
    char directory[512];
    std::snprintf(directory, sizeof directory, "%s\\Data\\FishPacks", installPath);
    std::string const folder = directory;
    unsigned int count = 0;
    files->FindFiles(folder, "*.fsp", &count, nullptr);
    std::vector<char> names(static_cast<std::size_t>(count) * CFileManager::NameLength);
    if (count > 0)
        files->FindFiles(folder, "*.fsp", &count, names.data());
    // A pack that cannot be read is left out, as the Settings program leaves it out of its list.
    m_packs.clear();
    for (unsigned int i = 0; i < count; ++i) {
        char const* found = names.data() + static_cast<std::size_t>(i) * CFileManager::NameLength;
        char const* slash = std::strrchr(found, '\\');
        char const* fileName = slash ? slash + 1 : found;
        SFishPack pack;
        std::snprintf(pack.name, sizeof pack.name, "%s", fileName);
        std::size_t const length = std::strlen(pack.name);
        pack.name[length >= 4 ? length - 4 : 0] = '\0';

        char path[768];
        std::snprintf(path, sizeof path, "%s\\Data\\FishPacks\\%s", installPath, fileName);
        try {
            pack.ReadTitleAndCount(files, path);
        } catch (CFileError const& error) {
            m_engine->GetMessageManager()->WriteError("%s", error.GetText());
            continue;
        }
        m_packs.push_back(pack);
    }
}

void CFishSchool::CreateFishes(float now)
{
    unsigned int const slotsCount = m_selection.GetFishSlotsCount();
    // "g_max_fishes" (set for one run from the command line) caps the school below ten and adds
    // mates of the chosen species above; 0: the selected fish.
    int const maxFishes = m_engine->GetConfig()->GetValueAsInt("g_max_fishes");
    unsigned int const capacity =
        std::max({1u, slotsCount, std::min(MaxFishes, static_cast<unsigned int>(std::max(0, maxFishes)))});
    m_fishes = std::make_unique<CFish[]>(capacity);
    m_fishFiles.clear();
    m_fishesCount = 0;
    unsigned int order[SFishSelection::SlotsCount];
    for (unsigned int i = 0; i < SFishSelection::SlotsCount; ++i)
        order[i] = i;
    for (int i = 0; i < 50; ++i) {
        unsigned int const a = static_cast<unsigned int>(std::rand()) % 10;
        unsigned int const b = static_cast<unsigned int>(std::rand()) % 10;
        std::swap(order[a], order[b]);
    }
    if (m_areas.empty())
        return;
    CFish::SRandoms const randoms{&m_spread, &m_between};
    for (unsigned int i = 0; i < SFishSelection::SlotsCount; ++i) {
        if (maxFishes > 0 && m_fishesCount >= static_cast<unsigned int>(maxFishes))
            break;
        SFishSelection::SSlot const& slot = m_selection.slots[i];
        if (slot.kind < SFishSelection::FirstPackKind)
            continue;
        SFishFile file;
        file.Read(m_engine->GetFileManager(), m_packs[slot.kind - SFishSelection::FirstPackKind].name,
                  slot.number);
        unsigned int const area = ChooseArea(CFish::GetSpeciesOf(file.modelFileName));
        ++m_areaFishesCount[area];
        m_fishes[m_fishesCount].Create(m_engine, m_areas[area].get(), file, order[i], randoms, now);
        m_fishFiles.push_back(file);
        Publish(m_fishesCount);
        ++m_fishesCount;
        m_publishedCount = static_cast<int>(m_fishesCount);
    }
    if (maxFishes > static_cast<int>(m_fishesCount))
        AddMates(std::min(MaxFishes, static_cast<unsigned int>(maxFishes)), now);
}

void CFishSchool::AddMates(unsigned int count, float now)
{
    unsigned int const chosen = m_fishesCount;
    CFish::SRandoms const randoms{&m_spread, &m_between};
    for (unsigned int next = 0; chosen > 0 && m_fishesCount < count; next = (next + 1) % chosen) {
        SFishFile const file = m_fishFiles[next];
        unsigned int const area = ChooseArea(CFish::GetSpeciesOf(file.modelFileName));
        ++m_areaFishesCount[area];
        auto const layer = static_cast<unsigned int>(m_spread.Next() * SFishSelection::SlotsCount);
        m_fishes[m_fishesCount].Create(m_engine, m_areas[area].get(), file, layer, randoms, now);
        m_fishFiles.push_back(file);
        Publish(m_fishesCount);
        ++m_fishesCount;
        m_publishedCount = static_cast<int>(m_fishesCount);
    }
}

unsigned int CFishSchool::ChooseArea(int species) const
{
    unsigned int const count = static_cast<unsigned int>(m_areas.size());
    if (count == 1)
        return 0;
    for (unsigned int i = 0; i < m_fishesCount; ++i) {
        if (m_fishes[i].GetSpecies() == species) {
            for (unsigned int area = 0; area < count; ++area) {
                if (m_areas[area].get() == m_fishes[i].GetArea())
                    return area;
            }
        }
    }
    for (unsigned int i = 0; i < count; ++i) {
        if (m_areaFishesCount[i] == 0)
            return i;
    }
    if (std::rand() % 100 > 40 && m_areaFishesCount[0] < 6)
        return 0;
    return static_cast<unsigned int>(std::rand()) % (count - 1) + 1;
}

void CFishSchool::Publish(unsigned int fish)
{
    CConfig* config = m_engine->GetConfig();
    if (!m_countRegistered) {
        config->CreateCommand("g_fishes_count", CCT_INT, true, false, &m_publishedCount, "0");
        m_countRegistered = true;
    }
    if (!m_publishedRegistered[fish]) {
        char const* const axes[3] = {"x", "y", "z"};
        char name[64];
        for (int axis = 0; axis < 3; ++axis) {
            std::snprintf(name, sizeof name, "g_fish_%u_position_%s", fish, axes[axis]);
            config->CreateCommand(name, CCT_FLOAT, true, false, &m_publishedPositions[fish][axis], "0.0");
        }
        m_publishedRegistered[fish] = true;
    }
    CVector3 const& position = m_fishes[fish].GetPosition();
    for (int axis = 0; axis < 3; ++axis)
        m_publishedPositions[fish][axis] = position[axis];
}

void CFishSchool::Destroy()
{
    if (m_shutDown)
        return;
    m_habits.Destroy();
    for (unsigned int i = 0; i < m_fishesCount; ++i)
        m_fishes[i].Destroy();
    m_fishes.reset();
    m_fishesCount = 0;
    m_publishedCount = 0;
    m_areas.clear();
    m_areaCorners.clear();
    m_areaFishesCount.clear();
    m_packs.clear();
    m_engine = nullptr;
    m_camera = nullptr;
    m_shutDown = true;
}

void CFishSchool::Refresh(float now, float dt)
{
    if (m_shutDown)
        return;
    FollowViews();
    for (auto& area : m_areas)
        area->Refresh();
    StartleUnderMouse(now);
    CFishShoal::Steer(m_fishes.get(), m_fishesCount);
    for (unsigned int i = 0; i < m_fishesCount; ++i) {
        int const leader = m_fishes[i].GetInfluence().leader;
        if (leader >= 0)
            m_fishes[i].Follow(m_fishes[leader], now);
    }
    m_habits.Refresh(now, dt, m_hour, m_fishes.get(), m_fishesCount, m_spread);
    for (unsigned int i = 0; i < m_fishesCount; ++i)
        m_fishes[i].Refresh(now, dt);
    CFishShoal::KeepApart(m_fishes.get(), m_fishesCount);
    for (unsigned int i = 0; i < m_fishesCount; ++i) {
        CVector3 const& position = m_fishes[i].GetPosition();
        for (int axis = 0; axis < 3; ++axis)
            m_publishedPositions[i][axis] = position[axis];
    }
}

void CFishSchool::RefreshOnClock(double clockSeconds, float dt)
{
    double const time = clockSeconds - m_timeOrigin;
    if (time >= TimeOriginStep) {
        double const step = std::floor(time / TimeOriginStep) * TimeOriginStep;
        m_timeOrigin += step;
        m_startTime -= static_cast<float>(step);
        for (unsigned int i = 0; i < m_fishesCount; ++i)
            m_fishes[i].ShiftTime(static_cast<float>(step));
    }
    Refresh(static_cast<float>(clockSeconds - m_timeOrigin), dt);
}

void CFishSchool::StartleUnderMouse(float now)
{
    CControls* controls = m_engine->GetControls();
    if (controls->IsFree() || !m_camera)
        return;
    CVector2 const offset = controls->GetMouseOffset();
    if (std::abs(offset.x) + std::abs(offset.y) < 0.001f)
        return;
    CCameraManager* cameras = m_engine->GetCameraManager();
    CVector2 const cursor = controls->GetCursorPosition();
    float const y = static_cast<float>(cameras->GetViewport()[3]) - cursor.y - 1.0f;
    CVector3 const nearPoint = cameras->GetUnprojectedPoint(m_camera, CVector3(cursor.x, y, -1.0f));
    CVector3 const farPoint = cameras->GetUnprojectedPoint(m_camera, CVector3(cursor.x, y, 1.0f));
    Startle(CRay(nearPoint, farPoint - nearPoint),
            controls->IsKeyPressed("MOUSE1") ? ButtonStartle : MouseStartle, now);
}

void CFishSchool::Startle(CRay const& ray, float factor, float now)
{
    for (unsigned int i = 0; i < m_fishesCount; ++i) {
        CModel* model = m_fishes[i].GetModel();
        if (model && model->GetBoundingBox().GetRayIntersection(ray))
            m_fishes[i].Startle(factor, now);
    }
}
