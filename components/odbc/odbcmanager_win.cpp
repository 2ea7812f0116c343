#include "components/odbc/odbcmanager.h"

// clang-format off
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
// clang-format on

QString OdbcDriverManagerFile() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&SQLAllocHandle), &module)) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return QString::fromWCharArray(path, int(length));
}
