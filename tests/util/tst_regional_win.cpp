// The regional formats land in the current user's registry, where Windows
// programs read them.

#include "util/regional.h"

#include <QTest>

#include <windows.h>

#include <optional>
#include <string>

namespace {

const wchar_t kKey[] = L"Control Panel\\International";

std::optional<std::wstring> readValue(const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD bytes = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

void writeValue(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

class TestRegional : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsLandInTheUsersRegistry() {
        const wchar_t* names[] = {L"sShortDate", L"sTimeFormat", L"sShortTime"};
        std::optional<std::wstring> before[3];
        for (int i = 0; i < 3; ++i) {
            before[i] = readValue(names[i]);
            writeValue(names[i], L"d/M/yy"); // anything else
        }

        SetRegionalFormats();
        const std::optional<std::wstring> after[] = {readValue(names[0]), readValue(names[1]),
                                                     readValue(names[2])};

        // The PC's own settings back as they were, whatever was found.
        for (int i = 0; i < 3; ++i) {
            if (before[i]) {
                writeValue(names[i], *before[i]);
            } else {
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, names[i]);
            }
        }
        QCOMPARE(after[0], std::optional<std::wstring>(L"yyyy-MM-dd"));
        QCOMPARE(after[1], std::optional<std::wstring>(L"HH:mm:ss"));
        QCOMPARE(after[2], std::optional<std::wstring>(L"HH:mm"));
    }
};

QTEST_GUILESS_MAIN(TestRegional)
#include "tst_regional_win.moc"
