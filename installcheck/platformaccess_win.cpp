#include "installcheck/platformaccess.h"

#include "util/cp949.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// A registry text value under HKEY_LOCAL_MACHINE, empty when absent.
QString machineRegistryText(const QString& key, const QString& name) {
    const std::wstring keyName = key.toStdWString();
    const std::wstring valueName = name.toStdWString();
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyName.c_str(), valueName.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS ||
        bytes == 0) {
        return {};
    }
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyName.c_str(), valueName.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr, value.data(),
                     &bytes) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return QString::fromStdWString(value);
}

// A full Windows path ("C:\...", "\\server\..."): only such a value names a
// file this check can look for; anything else is the driver manager's to
// resolve (under Wine the host's driver manager answers with its own paths).
bool isWindowsFullPath(const QString& path) {
    static const QRegularExpression full(QStringLiteral(R"(^([A-Za-z]:[\\/]|\\\\))"));
    return full.match(path).hasMatch();
}

void writeBytes(std::FILE* out, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}

} // namespace

DriverLibrary ProbeDriverLibrary(const QString& driverName, const QString& library) {
    // The system's registration of the driver names its file; the driver
    // list does not always say it.
    QString file = machineRegistryText(
        QStringLiteral("SOFTWARE\\ODBC\\ODBCINST.INI\\") + driverName, QStringLiteral("Driver"));
    if (file.isEmpty()) {
        file = library;
    }
    DriverLibrary result;
    result.file = file.isEmpty() ? QStringLiteral("(드라이버 관리자가 찾습니다)") : file;
    if (isWindowsFullPath(file) && !QFileInfo::exists(file)) {
        result.missing = true;
        result.error = QStringLiteral("ODBC 데이터 원본 관리자의 드라이버 목록에는 있으나 "
                                      "파일이 지워졌습니다");
        return result;
    }
    result.usable =
        QStringLiteral("%1 (드라이버 관리자가 로그인할 때 불러옵니다)").arg(result.file);
    return result;
}

QString CurrentUserName() {
    std::wstring name(256, L'\0');
    DWORD size = DWORD(name.size());
    if (!GetUserNameW(name.data(), &size) || size == 0) {
        return qEnvironmentVariable("USERNAME");
    }
    name.resize(size - 1); // without the terminating NUL
    return QString::fromStdWString(name);
}

bool CurrentUserIsAdministrator() {
    return false;
}

// Windows stations run under one desktop account; there is no operator group.
QString OperatorGroupProblem(const QString&, bool) {
    return {};
}

QString AdviceText(Advice topic, const QString& path) {
    // Users (S-1-5-32-545) by its SID: the group's name differs with the
    // language of Windows.
    switch (topic) {
    case Advice::DriverListed:
        return QStringLiteral("ODBC 데이터 원본 관리자(odbcad32.exe)의 드라이버 목록에 없음");
    case Advice::DriverMissing:
        return QStringLiteral("ODBC 데이터 원본 관리자(odbcad32.exe)의 [드라이버] 탭에 "
                              "\"SQL Server\" 가 있는지 보고, 없으면 SQL Server ODBC 드라이버를 "
                              "설치하세요");
    case Advice::DriverLibrary:
        return QStringLiteral("SQL Server ODBC 드라이버를 다시 설치하세요 (ODBC 데이터 원본 "
                              "관리자의 [드라이버] 탭에서 파일을 확인)");
    case Advice::SettingsUnreadable:
        return QStringLiteral("관리자 명령 프롬프트에서: icacls \"%1\" /grant *S-1-5-32-545:M")
            .arg(path);
    case Advice::FolderNotWritable:
        return QStringLiteral("설치 프로그램을 다시 실행하거나, 관리자 명령 프롬프트에서: "
                              "icacls \"%1\" /grant *S-1-5-32-545:(RX,WD,AD)")
            .arg(path);
    case Advice::SubfolderNotWritable:
        return QStringLiteral("관리자 명령 프롬프트에서: icacls \"%1\" /grant "
                              "*S-1-5-32-545:(OI)(CI)M")
            .arg(path);
    case Advice::NoCamera:
        return QStringLiteral("웹캠을 연결하고 장치 관리자의 [카메라] 와 Windows 설정의 카메라 "
                              "개인 정보(앱의 카메라 접근)를 확인하세요");
    case Advice::NoCameraBackend:
        return QStringLiteral("프로그램 폴더에 multimedia\\windowsmediaplugin.dll 이 없습니다: "
                              "설치 프로그램을 다시 실행하세요");
    case Advice::NoMediaFeatures:
        return QStringLiteral("Windows N/KN 에디션입니다: 설정 > 앱 > 선택적 기능 > 기능 추가에서 "
                              "\"미디어 기능 팩(Media Feature Pack)\"을 설치하고 PC 를 다시 "
                              "시작하세요");
    case Advice::NoSerialPort:
    case Advice::SerialDenied:
        return QStringLiteral("장치 관리자의 [포트(COM & LPT)] 에서 COM 번호와 드라이버를 "
                              "확인하세요");
    }
    return {};
}

void WriteReportText(const QString& text, bool toStandardError) {
    const HANDLE handle = GetStdHandle(toStandardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        // A console shows the characters themselves, whatever its code page.
        const std::wstring wide = text.toStdWString();
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    // Redirected: the bytes a Korean PC's programs read (the C library's
    // text mode ends the lines with CR LF).
    // Code page 949 has the horizontal bar, not the em dash of the summary.
    QString shown = text;
    shown.replace(QChar(0x2014), QChar(0x2015));
    writeBytes(toStandardError ? stderr : stdout, cp949::encode(shown));
}
