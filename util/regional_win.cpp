#include "util/regional.h"

#include <windows.h>

#include <cstring>

namespace {
void SetStringValue(HKEY key, const char* name, const char* data) {
    // The length includes the terminating NUL. The result is not examined: a
    // value that cannot be written stays as it was and the others still go.
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(std::strlen(data) + 1));
}
} // namespace

void SetRegionalFormats() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    SetStringValue(key, "sShortDate", "yyyy-MM-dd");
    SetStringValue(key, "sTimeFormat", "HH:mm:ss");
    SetStringValue(key, "sShortTime", "HH:mm");
    RegCloseKey(key);
}
