#include "PluginTable.h"

#include "Lagoonix.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"
#include "platform/os/UserFolders.h"

#include <cstdint>
#include <cstdio>
#include <exception>

namespace
{
using CreateFunction = CLagoonix* (*)();
using DestroyFunction = void (*)(CLagoonix*);
using PriorityFunction = int (*)();

constexpr char const* LibraryMask = "*.so";

// A library handle after unloading: all bits set.
platform::HMODULE const UnloadedLibrary = reinterpret_cast<platform::HMODULE>(~std::uintptr_t{0});

template <typename Function> Function FindExport(platform::HMODULE library, char const* name)
{
    return reinterpret_cast<Function>(platform::FindLibraryExport(library, name));
}
} // namespace

CPluginTable::CPluginTable() : m_probeProgram(platform::GetExecutableDirectory() + "/" + ProbeProgramName)
{
    for (int i = 0; i < Capacity; ++i) {
        m_instances[i] = nullptr;
        m_libraries[i] = UnloadedLibrary;
        m_owners[i] = CConfig::ProgramOwner;
    }
}

bool CPluginTable::PrepareProbe(platform::SLibraryProbe* probe)
{
    if (m_probeProgram.empty())
        return false;
    if (!platform::IsRegularFile(m_probeProgram)) {
        m_messages->WriteWarning("plugin probe %s is missing: plugins are loaded untried",
                                 m_probeProgram.c_str());
        return false;
    }
    probe->program = m_probeProgram;
    probe->recordPath = platform::GetUserCacheFolder() + "/" + TrialRecordName;
    for (char const* name : {TypeExport, CreateExport, PriorityExport, DestroyExport})
        probe->symbols.push_back(platform::ExportSymbolName(name));
    return true;
}

void CPluginTable::FindAndLoad(CEngine* engine)
{
    char installPath[CFileManager::NameLength];
    std::snprintf(installPath, sizeof(installPath), "%s", engine->GetConfig()->GetValue("g_install_path"));
    m_messages = engine->GetMessageManager();
    m_config = engine->GetConfig();
    m_count = 0;
    m_startedCount = 0;
    platform::SLibraryProbe probe;
    bool probing = false;
    std::string const folder = std::string(installPath) + "\\Plugins";
    std::string const nativeFolder = platform::ResolvePath(folder);
    for (platform::SDirectoryEntry const& entry : platform::ListDirectory(nativeFolder)) {
        if (entry.isDirectory || !platform::MatchesMask(entry.name.c_str(), LibraryMask))
            continue;
        std::string const path = folder + "\\" + entry.name;
        if (path.size() >= CFileManager::NameLength) {
            engine->GetMessageManager()->WriteError("plugin path %s is too long", path.c_str());
            continue;
        }
        if (!probing)
            probing = PrepareProbe(&probe);
        LoadPlugin(engine, path.c_str(), probing ? &probe : nullptr);
    }
}

bool CPluginTable::IsEnabledByDescriptor(CEngine* engine, char const* libraryPath)
{
    char path[CFileManager::NameLength];
    std::snprintf(path, sizeof(path), "%s", libraryPath);
    CFileManager::ReplaceFileExtension(path, "dat");
    CFile file;
    std::uint8_t firstByte = 0;
    std::uint8_t enabled = 0;
    engine->GetFileManager()->OpenFile(&file, path, FILE_READ_BINARY);
    file.Read(&firstByte, 1);
    file.Read(&enabled, 1);
    file.Close();
    return enabled != 0;
}

void CPluginTable::LoadPlugin(CEngine* engine, char const* path, platform::SLibraryProbe const* probe)
{
    CMessageManager* messages = engine->GetMessageManager();
    try {
        if (!IsEnabledByDescriptor(engine, path)) {
            messages->Write("plugin %s disabled", path);
            return;
        }
    } catch (CFileError const& error) {
        messages->WriteError("%s", error.GetText());
        return;
    }
    if (m_count >= Capacity) {
        messages->WriteError("plugin %s skipped: no room for more than %d plugins", path, Capacity);
        return;
    }

    platform::HMODULE const library = platform::LoadDynamicLibrary(path, probe);
    if (!library) {
        messages->WriteError("can not load plugin %s, error: %d", path, platform::GetLastLibraryError());
        messages->Write("...%s", platform::GetLastLibraryErrorText().c_str());
        return;
    }
    auto const create = FindExport<CreateFunction>(library, CreateExport);
    if (!platform::FindLibraryExport(library, TypeExport) || !create) {
        messages->WriteError("cannot find plugin %s entry point", path);
        platform::FreeDynamicLibrary(library);
        return;
    }
    CConfig::Owner const owner = m_config->CreateOwner();
    CLagoonix* instance = nullptr;
    try {
        CConfig::CRegistrationScope const scope(m_config, owner);
        instance = create();
    } catch (CFatalError const&) {
        m_config->RemoveEntriesOf(owner);
        throw;
    } catch (...) {
        instance = nullptr;
    }
    if (!instance) {
        messages->WriteError("cannot create plugin %s instance", path);
        m_config->RemoveEntriesOf(owner);
        platform::FreeDynamicLibrary(library);
        return;
    }
    m_instances[m_count] = instance;
    m_libraries[m_count] = library;
    m_paths[m_count] = path;
    m_owners[m_count] = owner;
    ++m_count;
}

void CPluginTable::OrderByPriority(CEngine* engine)
{
    struct SPriority
    {
        int priority;
        int index;
    };
    SPriority pairs[Capacity];
    for (int i = 0; i < m_count; ++i) {
        auto const priority = FindExport<PriorityFunction>(m_libraries[i], PriorityExport);
        if (!priority) {
            engine->GetMessageManager()->WriteFatalError(
                "some plugin is damaged: cannot find priority function in DLL. plugin index is %i", i);
        }
        int value = 0; // a priority function that throws ranks its plug-in at 0
        Guard(i, "GetAquariumPluginPriority", [&] { value = priority(); });
        pairs[i] = SPriority{value, i};
    }

    for (int position = 0; position + 1 < m_count; ++position) {
        int best = position;
        for (int candidate = position + 1; candidate < m_count; ++candidate) {
            if (pairs[candidate].priority > pairs[best].priority)
                best = candidate;
        }
        SPriority const swapped = pairs[position];
        pairs[position] = pairs[best];
        pairs[best] = swapped;
    }

    CLagoonix* instances[Capacity];
    platform::HMODULE libraries[Capacity];
    std::string paths[Capacity];
    CConfig::Owner owners[Capacity];
    for (int i = 0; i < m_count; ++i) {
        instances[i] = m_instances[pairs[i].index];
        libraries[i] = m_libraries[pairs[i].index];
        paths[i] = m_paths[pairs[i].index];
        owners[i] = m_owners[pairs[i].index];
    }
    for (int i = 0; i < m_count; ++i) {
        m_instances[i] = instances[i];
        m_libraries[i] = libraries[i];
        m_paths[i] = paths[i];
        m_owners[i] = owners[i];
    }
}

void CPluginTable::Start(CEngine* engine)
{
    m_messages = engine->GetMessageManager();
    m_config = engine->GetConfig();
    int i = 0;
    while (i < m_count) {
        m_startedCount = i + 1;
        CLagoonix* instance = m_instances[i];
        if (Guard(i, "Create", [&] { instance->Create(engine, engine->GetCameraManager()->GetCamera(0)); }))
            ++i;
        else
            Drop(i);
    }
}

void CPluginTable::Restart(CEngine* engine)
{
    int i = 0;
    while (i < m_startedCount) {
        CLagoonix* instance = m_instances[i];
        if (Guard(i, "Destroy", [&] { instance->Destroy(); }))
            ++i;
        else
            Drop(i, false);
    }
    m_startedCount = 0;
    Start(engine);
}

void CPluginTable::RefreshAll()
{
    int i = 0;
    while (i < m_count) {
        CLagoonix* instance = m_instances[i];
        if (!instance || Guard(i, "Refresh", [&] { instance->Refresh(); }))
            ++i;
        else
            Drop(i);
    }
}

void CPluginTable::UnloadAll()
{
    for (int i = 0; i < m_count; ++i)
        Release(i);
    m_count = 0;
    m_startedCount = 0;
}

bool CPluginTable::Guard(int index, char const* what, std::function<void()> const& call)
{
    // The text is copied out before the library that threw can be unloaded.
    std::string reason;
    try {
        CConfig::CRegistrationScope const scope(m_config, m_owners[index]);
        call();
        return true;
    } catch (CFatalError const&) {
        throw;
    } catch (CError const& error) {
        reason = error.GetText();
    } catch (std::exception const& error) {
        reason = error.what();
    } catch (...) {
        reason = "unknown exception";
    }
    if (m_messages)
        m_messages->WriteError("plugin %s failed in %s: %s", m_paths[index].c_str(), what, reason.c_str());
    return false;
}

void CPluginTable::Release(int index, bool callDestroy)
{
    if (CLagoonix* instance = m_instances[index]) {
        if (callDestroy && index < m_startedCount)
            Guard(index, "Destroy", [&] { instance->Destroy(); });
        // Nothing may reach the object's storage or the library's code through a name it
        // registered once they are gone.
        if (m_config)
            m_config->RemoveEntriesOf(m_owners[index]);
        if (auto const destroy = FindExport<DestroyFunction>(m_libraries[index], DestroyExport))
            Guard(index, "DestroyObject", [&] { destroy(instance); });
        m_instances[index] = nullptr;
    }
    platform::FreeDynamicLibrary(m_libraries[index]);
    m_libraries[index] = UnloadedLibrary;
    m_paths[index].clear();
    m_owners[index] = CConfig::ProgramOwner;
}

void CPluginTable::Drop(int index, bool callDestroy)
{
    Release(index, callDestroy);
    for (int i = index; i + 1 < m_count; ++i) {
        m_instances[i] = m_instances[i + 1];
        m_libraries[i] = m_libraries[i + 1];
        m_paths[i] = std::move(m_paths[i + 1]);
        m_owners[i] = m_owners[i + 1];
    }
    --m_count;
    m_instances[m_count] = nullptr;
    m_libraries[m_count] = UnloadedLibrary;
    if (index < m_startedCount)
        --m_startedCount;
}
