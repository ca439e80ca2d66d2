#pragma once

#include <string>

// The per-user folders of the XDG base directory conventions, each with the program's own
// sub-folder. Environment values that are not absolute paths are ignored, as the conventions ask.
namespace platform
{
// $HOME, else the password database's home of the user.
std::string GetHomeFolder();

// $XDG_CONFIG_HOME/coralume, else ~/.config/coralume: the user's settings.
std::string GetUserConfigFolder();
// $XDG_CACHE_HOME/coralume, else ~/.cache/coralume: what can be made again.
std::string GetUserCacheFolder();
// $XDG_STATE_HOME/coralume, else ~/.local/state/coralume: logs.
std::string GetUserStateFolder();
// $XDG_PICTURES_DIR/Coralume (from the environment or ~/.config/user-dirs.dirs), else
// ~/Pictures/Coralume: screenshots and recordings.
std::string GetUserPicturesFolder();
} // namespace platform
