#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The system registry as a text file: "[key path]" lines open a key, "name=text" lines give
// it a string value and "name=dword:N" a number. Key and value names ignore case.
namespace platform
{
enum class RegistryValueType
{
    String,
    Number,
};

struct RegistryValue
{
    RegistryValueType type = RegistryValueType::String;
    std::string text;
    std::uint32_t number = 0;
};

class Registry
{
public:
    // The file named by CORALUME_REGISTRY; else "registry" beside the program when it exists
    // (an installation that carries its own); else $XDG_CONFIG_HOME/coralume/registry, with
    // ~/.config standing in for an unset XDG_CONFIG_HOME.
    static std::string GetDefaultPath();

    // False when the file cannot be read; the registry is then empty.
    bool Load(std::string const& path);
    // Writes every key through a temporary file, creating the file's directory when needed;
    // on failure the file stays as it was.
    bool Save(std::string const& path) const;

    bool HasKey(std::string const& key) const;
    // Null when the key or the value does not exist.
    RegistryValue const* FindValue(std::string const& key, std::string const& name) const;

    void SetString(std::string const& key, std::string const& name, std::string const& text);
    void SetNumber(std::string const& key, std::string const& name, std::uint32_t number);

private:
    struct Key
    {
        std::string path;
        std::vector<std::pair<std::string, RegistryValue>> values;
    };

    Key* FindKey(std::string const& path);
    Key const* FindKey(std::string const& path) const;
    Key& AddKey(std::string const& path);
    void SetValue(std::string const& key, std::string const& name, RegistryValue const& value);

    std::vector<Key> m_keys;
};
} // namespace platform
