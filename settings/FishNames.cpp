#include "FishNames.h"

#include <fstream>

namespace
{
constexpr std::size_t MaxNameLength = 40;
}

std::string ReadFishName(std::string const& packsFolder, SFishPack const& pack, int index)
{
    std::string const path = packsFolder + "/" + pack.name + "/Fish " + std::to_string(index) + "/name.txt";
    std::ifstream file(path);
    std::string name;
    std::getline(file, name);
    // Only printable characters, and not more than a list row holds.
    std::string clean;
    for (char c : name) {
        if (c >= ' ' && c < 127 && clean.size() < MaxNameLength)
            clean.push_back(c);
    }
    return clean.empty() ? "Fish " + std::to_string(index + 1) : clean;
}
