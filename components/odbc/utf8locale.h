#pragma once
// Character locale for the ODBC driver manager. Drivers that only speak
// narrow text (the SQLite ODBC driver) get Hangul converted through the
// process's LC_CTYPE; in the "C" locale identifiers and values break. Call
// this before the first ODBC call: it switches LC_CTYPE to a UTF-8 locale
// when the process has none and leaves a UTF-8 locale alone. Harmless to
// call again. Returns true when LC_CTYPE is UTF-8 afterwards (always on
// platforms whose ODBC layer is UTF-16 throughout).
bool UseUtf8CharacterLocale();
