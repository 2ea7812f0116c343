#include "util/programfonts.h"

// The package depends on fonts-nanum: fontconfig already offers them.
QStringList LoadProgramFonts() {
    return {};
}
