#include "util/medialibraries.h"

QStringList MissingCameraLibraries() {
    return {};
}
