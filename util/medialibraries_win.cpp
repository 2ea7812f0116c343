#include "util/medialibraries.h"

#include <windows.h>

QStringList MissingCameraLibraries() {
    // The imports of Qt 6.4's windowsmediaplugin.dll that only the Media
    // Feature Pack brings (its other imports are in every edition).
    static const wchar_t* const kLibraries[] = {L"mfplat.dll", L"mf.dll", L"mfreadwrite.dll",
                                                L"evr.dll"};
    QStringList missing;
    for (const wchar_t* name : kLibraries) {
        // From the system folder only: a file of that name planted beside
        // the program proves nothing.
        if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            FreeLibrary(module);
        } else {
            missing << QString::fromWCharArray(name);
        }
    }
    return missing;
}
