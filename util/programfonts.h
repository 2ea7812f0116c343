#pragma once
// The fonts the screens name (NanumGothic, NanumBarunGothic, NanumSquare,
// NanumGothicCoding), so that they look the same on every PC.

#include <QStringList>

// Loads the fonts shipped with the program where the system does not
// provide them: Windows takes every font file of the fonts/ folder beside
// the program (put there by the build and the installer); on Linux the
// package depends on the system's fonts-nanum and nothing is loaded.
// Returns the families loaded. Call once, after the application object.
QStringList LoadProgramFonts();
