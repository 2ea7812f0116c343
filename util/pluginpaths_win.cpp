#include "util/pluginpaths.h"

void RestrictPluginPaths() {}
