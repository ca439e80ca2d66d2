#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

// Two runs of the builder program (with the pack) into fresh folders. The result is kept
// in the working directory for the builder binary it came from, so the test processes
// that ctest starts one per test share one generation.
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
    {
        namespace fs = std::filesystem;
        std::error_code error;
        auto const stamp = fs::last_write_time(CORALUME_CONTENT_BUILDER, error).time_since_epoch().count();
        std::string const name = "generated-content-" +
                                 std::to_string(fs::file_size(CORALUME_CONTENT_BUILDER, error)) + "-" +
                                 std::to_string(stamp);
        m_root = fs::absolute(name);
        if (!fs::exists(m_root / "done")) {
            fs::path const scratch = fs::absolute(name + "-" + std::to_string(::getpid()));
            fs::remove_all(scratch);
            std::vector<int> results;
            for (char const* run : {"first", "second"}) {
                std::string const command = std::string("\"") + CORALUME_CONTENT_BUILDER + "\" \"" +
                                            (scratch / run).string() + "\" --pack > /dev/null";
                results.push_back(std::system(command.c_str()));
            }
            std::ofstream(scratch / "done") << results[0] << " " << results[1] << "\n";
            fs::rename(scratch, m_root, error); // another process may have finished first
            fs::remove_all(scratch, error);
            // Generations of earlier builder binaries are no longer needed.
            for (auto const& entry : fs::directory_iterator(m_root.parent_path(), error)) {
                std::string const other = entry.path().filename().string();
                if (other.rfind("generated-content-", 0) == 0 && entry.path() != m_root &&
                    fs::exists(entry.path() / "done")) {
                    fs::remove_all(entry.path(), error);
                }
            }
        }
        std::ifstream done(m_root / "done");
        int first = -1, second = -1;
        done >> first >> second;
        m_results = {first, second};
        m_first = ReadTree(m_root / "first");
        m_second = ReadTree(m_root / "second");
    }

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
