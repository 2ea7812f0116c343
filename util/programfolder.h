#pragma once
// Where the station's files lie: the settings file, the door file, the
// background picture, ERROR_LOG and the photo folder.

#include <QString>

// The program folder: always the folder that holds the executable, whatever
// the working folder is. Every path to a file of the station starts here;
// nothing can point it elsewhere, so tests run their executable from a
// scratch folder of its own (tests/support/in-program-folder.sh).
QString ProgramFolderPath();

// A file or folder directly in the program folder.
QString ProgramFilePath(const QString& name);
