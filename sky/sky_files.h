// Where the sky's data files are read from: the sky map, its mask and the star table ship in
// the program folder, and a user who draws the sky over their own place keeps copies in a
// data folder of their own, which win file by file.
#pragma once

#include <string>

namespace sky {

// The user's sky folder, ending in "/": "$XDG_DATA_HOME/Lumivane/", or
// "$HOME/.local/share/Lumivane/" when XDG_DATA_HOME is unset, empty or not an absolute path
// (the desktop's folder conventions ignore a relative one). Empty when HOME is not an
// absolute path either: a folder relative to wherever the program was started is no one's.
std::string UserSkyFolder();

// The file `name` to read: the user's copy when the user's sky folder holds a regular file of
// that name, otherwise `name` in `programFolder` (which ends in "/", or is empty for the
// current folder). Each file is chosen on its own, so a user may replace one and keep the
// others; without the folder the shipped sky comes back.
std::string SkyFilePath(const std::string& programFolder, const std::string& name);

}  // namespace sky
