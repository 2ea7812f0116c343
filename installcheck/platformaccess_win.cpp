#include "installcheck/platformaccess.h"

#include "app/singleinstance.h"

#include <QDir>

#include <windows.h>

QString TryLoadLibrary(const QString& name, QString* loadedFrom) {
    if (loadedFrom != nullptr) {
        *loadedFrom = name;
    }
    const std::wstring file = QDir::toNativeSeparators(name).toStdWString();
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, 0);
    if (module != nullptr) {
        FreeLibrary(module);
        return {};
    }
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = text != nullptr ? QString::fromWCharArray(text).trimmed()
                                      : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return message;
}

QString CurrentUserName() {
    return qEnvironmentVariable("USERNAME");
}

bool CurrentUserIsAdministrator() {
    return false;
}

// Windows stations run under one desktop account; there is no operator group.
QString OperatorGroupProblem(const QString&, bool) {
    return {};
}

QString StationLockPath(const QString&) {
    return SingleInstanceLockPath();
}
