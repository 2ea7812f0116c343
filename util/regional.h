#pragma once

// Sets the current user's short date to "yyyy-MM-dd" and the time formats to
// the 24-hour clock, persistently, at every start. Failures are ignored and
// nothing is reported. Where the platform has no such per-user settings it
// does nothing; the station's own dates never depend on them.
void SetRegionalFormats();
