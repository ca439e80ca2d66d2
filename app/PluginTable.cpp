#include "PluginTable.h"

#include "Lagoonix.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <cstdint>
#include <cstdio>

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

CPluginTable::CPluginTable()
{
    for (int i = 0; i < Capacity; ++i) {
        m_instances[i] = nullptr;
        m_libraries[i] = UnloadedLibrary;
    }
}

void CPluginTable::FindAndLoad(CEngine* engine)
{
    char installPath[CFileManager::NameLength];
    std::snprintf(installPath, sizeof(installPath), "%s", engine->GetConfig()->GetValue("g_install_path"));
    m_count = 0;
    m_startedCount = 0;
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
        LoadPlugin(engine, path.c_str());
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

void CPluginTable::LoadPlugin(CEngine* engine, char const* path)
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

    platform::HMODULE const library = platform::LoadDynamicLibrary(path);
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
    CLagoonix* const instance = create();
    if (!instance) {
        messages->WriteError("cannot create plugin %s instance", path);
        platform::FreeDynamicLibrary(library);
        return;
    }
    m_instances[m_count] = instance;
    m_libraries[m_count] = library;
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
        pairs[i] = SPriority{priority(), i};
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
    for (int i = 0; i < m_count; ++i) {
        instances[i] = m_instances[pairs[i].index];
        libraries[i] = m_libraries[pairs[i].index];
    }
    for (int i = 0; i < m_count; ++i) {
        m_instances[i] = instances[i];
        m_libraries[i] = libraries[i];
    }
}

void CPluginTable::Start(CEngine* engine)
{
    for (int i = 0; i < m_count; ++i) {
        m_startedCount = i + 1;
        m_instances[i]->Create(engine, engine->GetCameraManager()->GetCamera(0));
    }
}

void CPluginTable::Restart(CEngine* engine)
{
    for (int i = 0; i < m_startedCount; ++i)
        m_instances[i]->Destroy();
    m_startedCount = 0;
    Start(engine);
}

void CPluginTable::RefreshAll()
{
    for (int i = 0; i < m_count; ++i) {
        if (m_instances[i])
            m_instances[i]->Refresh();
    }
}

void CPluginTable::UnloadAll()
{
    for (int i = 0; i < m_count; ++i) {
        if (m_instances[i]) {
            if (i < m_startedCount)
                m_instances[i]->Destroy();
            if (auto const destroy = FindExport<DestroyFunction>(m_libraries[i], DestroyExport))
                destroy(m_instances[i]);
            m_instances[i] = nullptr;
        }
        platform::FreeDynamicLibrary(m_libraries[i]);
        m_libraries[i] = UnloadedLibrary;
    }
    m_count = 0;
    m_startedCount = 0;
}
