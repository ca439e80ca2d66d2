#pragma once

#include <string>

#include "FishSelection.h"

// The name of fish `index` of a pack, from "<pack folder>/Fish <index>/name.txt" (its first
// line, written by the content builder); "Fish <index + 1>" when the file is missing or empty.
std::string ReadFishName(std::string const& packsFolder, SFishPack const& pack, int index);
