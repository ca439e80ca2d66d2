#pragma once

// A fresh directory under the system's temporary folder, removed with its contents.
#include "platform/os/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class CTestDirectory
{
public:
    CTestDirectory()
    {
        char pattern[] = "/tmp/tidewell-files-XXXXXX";
        char const* made = ::mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~CTestDirectory() { platform::RemoveTree(m_path); }
    CTestDirectory(CTestDirectory const&) = delete;
    CTestDirectory& operator=(CTestDirectory const&) = delete;

    std::string const& Path() const { return m_path; }

    // Writes a file at a '/'-separated path below the directory, creating folders.
    std::string Write(std::string const& relative, std::vector<std::uint8_t> const& bytes) const
    {
        std::string const full = m_path + "/" + relative;
        for (std::size_t at = m_path.size() + 1; at < full.size(); ++at) {
            if (full[at] == '/')
                platform::MakeDirectory(full.substr(0, at));
        }
        std::FILE* file = std::fopen(full.c_str(), "wb");
        if (file) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        return full;
    }

    std::string Write(std::string const& relative, std::string const& text) const
    {
        return Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    std::vector<std::uint8_t> Read(std::string const& relative) const
    {
        std::vector<std::uint8_t> bytes;
        std::FILE* file = std::fopen((m_path + "/" + relative).c_str(), "rb");
        if (!file)
            return bytes;
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<std::uint8_t>(c));
        std::fclose(file);
        return bytes;
    }

private:
    std::string m_path;
};
