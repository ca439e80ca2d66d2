#include "TextLines.h"

#include <fstream>

#include "platform/os/FileSystem.h"

bool ReadTextLines(std::string const& path, std::vector<std::string>* lines, std::size_t maxBytes)
{
    lines->clear();
    if (!platform::IsRegularFile(path))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    std::size_t bytes = 0;
    while (bytes < maxBytes && std::getline(in, line)) {
        bytes += line.size() + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines->push_back(line);
    }
    return true;
}
