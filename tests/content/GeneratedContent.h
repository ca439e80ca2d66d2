#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

// Two runs of the builder program (with the pack) into fresh folders, made once per test
// process and removed at its end.
class CGeneratedContent
{
public:
    using Tree = std::map<std::string, std::vector<std::uint8_t>>;

    static CGeneratedContent const& Get()
    {
        static CGeneratedContent const content;
        return content;
    }

    std::filesystem::path const& GetRoot() const { return m_root; }
    std::filesystem::path GetFirst() const { return m_root / "first"; }
    std::vector<int> const& GetResults() const { return m_results; }
    Tree const& GetFirstTree() const { return m_first; }
    Tree const& GetSecondTree() const { return m_second; }
    bool Has(std::string const& path) const { return m_first.count(path) != 0; }
    std::vector<std::uint8_t> const& File(std::string const& path) const
    {
        static std::vector<std::uint8_t> const none;
        auto const found = m_first.find(path);
        return found == m_first.end() ? none : found->second;
    }

    static std::vector<std::uint8_t> ReadFile(std::filesystem::path const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>());
    }

private:
    CGeneratedContent()
        : m_root(std::filesystem::temp_directory_path() /
                 ("coralume-content-test-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(m_root);
        for (char const* name : {"first", "second"}) {
            std::string const command = std::string("\"") + CORALUME_CONTENT_BUILDER + "\" \"" +
                                        (m_root / name).string() + "\" --pack > /dev/null";
            m_results.push_back(std::system(command.c_str()));
        }
        m_first = ReadTree(m_root / "first");
        m_second = ReadTree(m_root / "second");
    }
    ~CGeneratedContent() { std::filesystem::remove_all(m_root); }

    static Tree ReadTree(std::filesystem::path const& root)
    {
        Tree files;
        if (!std::filesystem::exists(root)) {
            return files;
        }
        for (auto const& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                files[std::filesystem::relative(entry.path(), root).generic_string()] =
                    ReadFile(entry.path());
            }
        }
        return files;
    }

    std::filesystem::path m_root;
    std::vector<int> m_results;
    Tree m_first, m_second;
};
