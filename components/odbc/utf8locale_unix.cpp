#include "components/odbc/utf8locale.h"

#include <clocale>
#include <cstring>
#include <initializer_list>
#include <langinfo.h>

namespace {

bool currentIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

} // namespace

bool UseUtf8CharacterLocale() {
    if (currentIsUtf8()) {
        return true;
    }
    // The user's own setting first, when it is a UTF-8 one.
    if (std::setlocale(LC_CTYPE, "") != nullptr && currentIsUtf8()) {
        return true;
    }
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "ko_KR.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr && currentIsUtf8()) {
            return true;
        }
    }
    std::setlocale(LC_CTYPE, "C");
    return false;
}
