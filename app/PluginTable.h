#pragma once

#include "core/Config.h"
#include "platform/os/DynamicLibrary.h"

#include <functional>
#include <string>
#include <utility>

class CEngine;
class CLagoonix;
class CMessageManager;

// The plug-ins found in the installation's Plugins folder: each instance with the library
// it came from, kept at the same index, in update order once ordered. A plug-in whose call
// throws anything but the engine's fatal error is logged, unloaded and left out from then on.
// What a plug-in registers in the configuration during its calls belongs to it and is removed
// when it is unloaded, before its object is deleted and its library freed. Each library is
// first tried by the probe program in a process of its own.
class CPluginTable
{
public:
    static constexpr int Capacity = 128;

    static constexpr char const* TypeExport = "?GetAquariumPluginType@@YAHXZ";
    static constexpr char const* CreateExport = "?CreateObject@@YAPAVCLagoonix@@XZ";
    static constexpr char const* PriorityExport = "?GetAquariumPluginPriority@@YAHXZ";
    static constexpr char const* DestroyExport = "?DestroyObject@@YAXPAVCLagoonix@@@Z";

    // The probe program's name, looked for beside the running program.
    static constexpr char const* ProbeProgramName = "coralume-plugin-probe";
    // The user's record of the libraries that passed their trial load, in the cache folder.
    static constexpr char const* TrialRecordName = "plugin-trials";

    CPluginTable();
    CPluginTable(CPluginTable const&) = delete;
    CPluginTable& operator=(CPluginTable const&) = delete;

    // Another probe program (a host that does not lie beside it); "" loads untried.
    void SetProbeProgram(std::string path) { m_probeProgram = std::move(path); }

    // Loads every enabled library of "<g_install_path>\Plugins"; a failure skips that file.
    void FindAndLoad(CEngine* engine);
    // Highest priority first; equal priorities keep their order. A library without a priority
    // function is fatal.
    void OrderByPriority(CEngine* engine);
    // Create(engine, camera 0) on every instance.
    void Start(CEngine* engine);
    // Destroy, then Create again, on every started instance: for a host whose settings changed.
    // The instances and their libraries stay, so what they registered stays valid; one whose
    // Destroy throws is unloaded.
    void Restart(CEngine* engine);
    void RefreshAll();
    // Destroy (for started instances), delete through the library and free it, for every instance.
    void UnloadAll();

    int GetCount() const { return m_count; }
    CLagoonix* GetInstance(int index) const { return m_instances[index]; }
    platform::HMODULE GetLibrary(int index) const { return m_libraries[index]; }

private:
    void LoadPlugin(CEngine* engine, char const* path, platform::SLibraryProbe const* probe);
    // The probe for this run; null (with a warning) when its program is missing.
    bool PrepareProbe(platform::SLibraryProbe* probe);
    bool IsEnabledByDescriptor(CEngine* engine, char const* libraryPath);
    // Runs `call` on behalf of plug-in `index`; false when it threw (the fatal error passes).
    bool Guard(int index, char const* what, std::function<void()> const& call);
    // Destroys (when started and `callDestroy`), deletes and frees plug-in `index` and closes
    // the gap.
    void Drop(int index, bool callDestroy = true);
    void Release(int index, bool callDestroy = true);

    CMessageManager* m_messages = nullptr;
    CConfig* m_config = nullptr;
    std::string m_probeProgram;
    CLagoonix* m_instances[Capacity];
    platform::HMODULE m_libraries[Capacity];
    std::string m_paths[Capacity];
    CConfig::Owner m_owners[Capacity];
    int m_count = 0;
    int m_startedCount = 0; // instances whose Create was called, from index 0
};
