#pragma once

#include <QString>

// Per-user folders of the desktop: XDG variables first, then the usual
// places under the home folder.
QString HomeFolder();
QString UserConfigFolder(); // $XDG_CONFIG_HOME, else ~/.config
QString UserMusicFolder();  // $XDG_MUSIC_DIR, else ~/Music
