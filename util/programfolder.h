#pragma once
// Where the station's files lie: the settings file, the door file, the
// background picture, ERROR_LOG and the photo folder.

#include <QString>

// The program folder: `ProgramFolder` when set (tests point it at a scratch
// folder), otherwise the folder that holds the executable. Every path to a
// file of the station starts here.
QString ProgramFolderPath();
