#include "components/odbc/utf8locale.h"

// The Windows driver manager passes UTF-16 to the drivers' W functions and
// converts for narrow drivers with the ANSI code page: nothing to set.
bool UseUtf8CharacterLocale() {
    return true;
}
