#include "util/regional.h"

// No per-user regional registry here; the error log formats its own dates.
void SetRegionalFormats() {}
