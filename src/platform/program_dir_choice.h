#pragma once

#include <QString>

namespace platform {

// What decides the folder of the settings file, the log and the single-instance guard.
struct ProgramDirFacts {
    QString program_dir;      // the executable's folder
    bool holds_ini = false;   // it already has "azelrot.ini"
    bool installed = false;   // it is the bin folder of an installed copy (menu entry beside)
    bool writable = false;    // the user may create files in it
    QString xdg_config_home;  // $XDG_CONFIG_HOME as found, possibly empty
    QString home;             // the user's home folder
};

// A station folder (the executable's own) keeps everything when it already holds the
// settings or the user may write there; an installed copy, and a folder the user cannot
// write, use the per-user settings folder instead. An installed copy counts as such even
// for root, who may write anywhere.
QString choose_program_dir(const ProgramDirFacts& facts);

// $XDG_CONFIG_HOME/azelrot, or ~/.config/azelrot when that is unset, empty or relative.
QString user_settings_dir(const QString& xdg_config_home, const QString& home);

}  // namespace platform
