#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FishSchool.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "support/EngineFixture.h"
#include "support/FakeDirect3D8.h"

// An engine on the scripted device (or the OpenGL one) whose files are the generated
// aquarium data. The school's installation folder is the stage or a private folder that a
// test fills with its own selection and packs.
class FishFixture : public CEngineFixture
{
protected:
    static constexpr unsigned int MaxAreas = 4;

    explicit FishFixture(bool useFakeDevice = true) : CEngineFixture("Fish", useFakeDevice)
    {
        engineDirectory = CORALUME_STAGE_DIR;
    }

    void SetUp() override
    {
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::filesystem::create_directories(directory / "Data" / "FishPacks");
        UseInstallPath(CORALUME_STAGE_DIR);
        camera = engine.GetCameraManager()->GetCamera(0);
        if (camera->IsFree())
            camera =
                engine.GetCameraManager()->GetCamera(engine.GetCameraManager()->AddCamera(CT_PERSPECTIVE));
    }

    void TearDown() override
    {
        school.Destroy();
        CEngineFixture::TearDown();
    }

    void UseInstallPath(std::string const& path)
    {
        // Registered once, as the program does; later paths go straight into its storage.
        if (!installPathRegistered)
            engine.GetConfig()->CreateCommand("g_install_path", CCT_STRING, true, false, installPath, "");
        installPathRegistered = true;
        std::snprintf(installPath, sizeof installPath, "%s", path.c_str());
    }
    void UsePrivateInstallPath() { UseInstallPath(directoryText); }

    // Registers the area variables the way the program's configuration provides them.
    void SetAreas(std::vector<std::pair<CVector3, CVector3>> const& areas)
    {
        CConfig* config = engine.GetConfig();
        areasCount = static_cast<int>(areas.size());
        config->CreateCommand("g_fish_areas_count", CCT_INT, false, false, &areasCount, "0");
        areasCount = static_cast<int>(areas.size());
        char const* const corners[2] = {"min", "max"};
        char const* const axes[3] = {"x", "y", "z"};
        for (std::size_t i = 0; i < areas.size() && i < MaxAreas; ++i) {
            for (int corner = 0; corner < 2; ++corner) {
                for (int axis = 0; axis < 3; ++axis) {
                    char name[64];
                    std::snprintf(name, sizeof name, "g_fish_area_%zu_%s_%s", i, corners[corner], axes[axis]);
                    float* storage = &areaValues[i][corner * 3 + axis];
                    config->CreateCommand(name, CCT_FLOAT, false, false, storage, "0");
                    *storage = corner == 0 ? areas[i].first[axis] : areas[i].second[axis];
                }
            }
        }
    }

    static void AppendInt(std::vector<std::uint8_t>& bytes, std::int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
    }

    // Ten slots of (kind, number), the unique flag and the packs the file was written for.
    static std::vector<std::uint8_t> MakeSelection(std::vector<std::pair<int, int>> const& slots, bool unique,
                                                   std::vector<std::uint8_t> const& packsEnabled)
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < 10; ++i) {
            AppendInt(bytes, i < slots.size() ? slots[i].first : 0);
            AppendInt(bytes, i < slots.size() ? slots[i].second : 0);
        }
        bytes.push_back(unique ? 1 : 0);
        AppendInt(bytes, static_cast<std::int32_t>(packsEnabled.size()));
        bytes.insert(bytes.end(), packsEnabled.begin(), packsEnabled.end());
        return bytes;
    }

    void WritePrivateFile(std::string const& relative, std::vector<std::uint8_t> const& bytes)
    {
        std::filesystem::create_directories((directory / relative).parent_path());
        std::ofstream out(directory / relative, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // A private installation holding the stage's "Reef" pack and the given selection.
    void UseReefOnly(std::vector<std::pair<int, int>> const& slots)
    {
        UsePrivateInstallPath();
        std::filesystem::copy_file(std::filesystem::path(CORALUME_STAGE_DIR) / "Data" / "FishPacks" /
                                       "Reef.fsp",
                                   directory / "Data" / "FishPacks" / "Reef.fsp");
        WritePrivateFile("Data/fishes.dat", MakeSelection(slots, true, {1}));
    }

    bool HasMessage(EMessageType type, char const* text)
    {
        CMessageManager* messages = engine.GetMessageManager();
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
            if (messages->GetMessageType(i) == type && std::strstr(messages->GetMessageText(i), text))
                return true;
        }
        return false;
    }

    CCamera* camera = nullptr;
    char installPath[256] = {};
    bool installPathRegistered = false;
    int areasCount = 0;
    float areaValues[MaxAreas][6] = {};
    CFishSchool school;
};
