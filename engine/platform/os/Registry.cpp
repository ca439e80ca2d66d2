#include "platform/os/Registry.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"

#include <cstdlib>
#include <fstream>
#include <strings.h>

namespace platform
{
namespace
{
constexpr char const* NumberPrefix = "dword:";

bool SameName(std::string const& a, std::string const& b)
{
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Separators of a key path compare alike whatever their number or kind.
std::string NormaliseKeyPath(std::string const& path)
{
    std::string result;
    for (char c : path) {
        char const normal = c == '/' ? '\\' : c;
        if (normal == '\\' && (result.empty() || result.back() == '\\'))
            continue;
        result += normal;
    }
    while (!result.empty() && result.back() == '\\')
        result.pop_back();
    return result;
}

std::string TrimLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

bool MakeParentDirectories(std::string const& path)
{
    std::size_t const slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    std::string const directory = path.substr(0, slash);
    if (IsDirectory(directory))
        return true;
    return MakeParentDirectories(directory) && MakeDirectory(directory);
}
} // namespace

std::string Registry::GetDefaultPath()
{
    if (char const* path = std::getenv("CORALUME_REGISTRY"); path && path[0])
        return path;
    std::string const beside = GetExecutableDirectory() + "/registry";
    if (PathExists(beside))
        return beside;
    if (char const* config = std::getenv("XDG_CONFIG_HOME"); config && config[0])
        return std::string(config) + "/coralume/registry";
    char const* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/coralume/registry";
}

bool Registry::Load(std::string const& path)
{
    m_keys.clear();
    if (!IsRegularFile(path))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    Key* key = nullptr;
    std::string line;
    while (std::getline(file, line)) {
        line = TrimLineEnd(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            std::size_t const end = line.rfind(']');
            std::string const name = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
            key = &AddKey(name);
            continue;
        }
        std::size_t const equals = line.find('=');
        if (!key || equals == std::string::npos || equals == 0)
            continue;
        std::string const name = line.substr(0, equals);
        std::string const text = line.substr(equals + 1);
        RegistryValue value;
        if (text.compare(0, 6, NumberPrefix) == 0) {
            value.type = RegistryValueType::Number;
            value.number = static_cast<std::uint32_t>(std::strtoul(text.c_str() + 6, nullptr, 0));
        } else {
            value.text = text;
        }
        SetValue(key->path, name, value);
    }
    return true;
}

bool Registry::Save(std::string const& path) const
{
    if (!MakeParentDirectories(path))
        return false;
    std::string text;
    for (Key const& key : m_keys) {
        text += '[' + key.path + "]\n";
        for (auto const& [name, value] : key.values) {
            if (value.type == RegistryValueType::Number)
                text += name + '=' + NumberPrefix + std::to_string(value.number) + '\n';
            else
                text += name + '=' + value.text + '\n';
        }
    }
    return WriteFileAtomically(path, text.data(), text.size(), nullptr);
}

bool Registry::HasKey(std::string const& key) const
{
    return FindKey(key) != nullptr;
}

RegistryValue const* Registry::FindValue(std::string const& key, std::string const& name) const
{
    Key const* found = FindKey(key);
    if (!found)
        return nullptr;
    for (auto const& [valueName, value] : found->values) {
        if (SameName(valueName, name))
            return &value;
    }
    return nullptr;
}

void Registry::SetString(std::string const& key, std::string const& name, std::string const& text)
{
    RegistryValue value;
    value.text = text;
    SetValue(key, name, value);
}

void Registry::SetNumber(std::string const& key, std::string const& name, std::uint32_t number)
{
    RegistryValue value;
    value.type = RegistryValueType::Number;
    value.number = number;
    SetValue(key, name, value);
}

Registry::Key* Registry::FindKey(std::string const& path)
{
    std::string const normal = NormaliseKeyPath(path);
    for (Key& key : m_keys) {
        if (SameName(key.path, normal))
            return &key;
    }
    return nullptr;
}

Registry::Key const* Registry::FindKey(std::string const& path) const
{
    return const_cast<Registry*>(this)->FindKey(path);
}

Registry::Key& Registry::AddKey(std::string const& path)
{
    if (Key* key = FindKey(path))
        return *key;
    m_keys.push_back(Key{NormaliseKeyPath(path), {}});
    return m_keys.back();
}

void Registry::SetValue(std::string const& key, std::string const& name, RegistryValue const& value)
{
    Key& target = AddKey(key);
    for (auto& [valueName, existing] : target.values) {
        if (SameName(valueName, name)) {
            existing = value;
            return;
        }
    }
    target.values.emplace_back(name, value);
}
} // namespace platform
