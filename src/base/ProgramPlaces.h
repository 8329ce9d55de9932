#pragma once

#include <QString>

// Where the program keeps its settings file (Config.ini) and writes its player page
// (main.html). Both live beside the executable, unless the user may not write there (an
// installed program in /usr/local/bin): then the settings go to $XDG_CONFIG_HOME/kvelto and the
// page to $XDG_DATA_HOME/kvelto.
struct ProgramPlaces {
    QString configDir;
    QString pageDir;

    // The places for an executable in `executableDir`; the user's folders are made when needed.
    [[nodiscard]] static ProgramPlaces forExecutable(const QString& executableDir);
    [[nodiscard]] static ProgramPlaces forExecutable(const QString& executableDir,
                                                     bool executableDirWritable);
    // The user's own folders for the program: $XDG_CONFIG_HOME/kvelto, $XDG_DATA_HOME/kvelto.
    [[nodiscard]] static QString userConfigDir();
    [[nodiscard]] static QString userDataDir();

    // Started from the desktop menu, the program works in the user's data folder, which
    // receives a copy of the sample catalog the first time (looked for in share/kvelto of the
    // installed program or of the build folder, then in the system's data folders). False when the folder
    // cannot be made or entered.
    static bool enterUserDataDir(const QString& executableDir);
};
