#pragma once
// The settings file 환경설정.CFG in the program folder: nine CP949 lines
// ended by CR LF, each a key text followed by its value, identified by
// position only. The reader fills `StationSettings` (at start-up, the
// program-wide `StationConfig`); the writer takes the nine field texts of the
// settings screen.
//
//   line  key text                value written                read into
//   1     "매장코드 = "           trimmed                      StoreCode
//   2     "점서버_IP = "          trimmed                      ServerIp
//   3     "점서버_포트 = "        trimmed                      ServerPort
//   4     "점서버_DB종류 = "      trimmed                      DbKind
//   5     "점서버_DB명 = "        trimmed                      DbName
//   6     "점서버_LOGIN_ID = "    trimmed, then EnCoding       LoginId (DeCoding)
//   7     "점서버_LOGIN_PW = "    trimmed, then EnCoding       LoginPassword (DeCoding)
//   8     "POSID  = "             trimmed, then formatted "00" PosId
//   9     "사업자번호  = "        trimmed                      (never read)
//
// "Trimmed" removes leading and trailing U+0020 only; tabs stay. The login
// lines use `CredentialKey`.

#include "util/programwide.h"

#include <QString>

// The file's name, and its path in `folder`.
inline const QString SettingsFileName = QStringLiteral("환경설정.CFG");
QString SettingsFilePath(const QString& folder);

// ---- Reading ----------------------------------------------------------------

enum class SettingsReadResult {
    Ok,          // eight lines were read; the settings are filled
    Missing,     // no such file, or an empty one (a folder of that name
                 // counts as missing)
    TooFewLines, // fewer than eight lines; the settings are left as they were
    Unreadable,  // the file exists but could not be opened or read (no
                 // permission, not a plain file: a link is never
                 // followed), a line read is longer
                 // than 4096 bytes, or holds a NUL: not a text file; or a
                 // save stopped midway that cannot be finished
};

// Reads the first eight lines of the file at `path` into `out`.
// A line ends at CR or CR LF; a bare LF stays inside the line, so a file with
// LF line ends is one line. The value is what follows the first "=" (the
// whole line when there is none), trimmed; lines 6 and 7 are passed through
// DeCoding, which logs its own failures under "DeCoding" and gives "".
// Key texts are never compared; reading stops after the eighth line, so the
// rest of a file of any size is never read. A line over 4096 bytes makes the
// file Unreadable rather than being cut.
// `out` is changed only on Ok; otherwise `error` gets the file's path and
// the reason. The file is not changed in any case.
SettingsReadResult ReadSettingsFile(const QString& path, StationSettings& out,
                                    QString* error = nullptr);

// Start-up's reading: the program folder's file into `StationConfig`.
SettingsReadResult LoadStationConfig(QString* error = nullptr);

// ---- Writing ----------------------------------------------------------------

// The nine field texts of the settings screen, as typed.
struct SettingsFields {
    QString StoreCode;
    QString ServerIp;
    QString ServerPort;
    QString DbKind;
    QString DbName;
    QString LoginId;
    QString LoginPassword;
    QString PosId;
    QString BusinessNumber;
};

// Writes all nine lines (see the table above) to the file at `path`,
// replacing an existing file or creating it. The write is atomic
// (RewriteSharedFile): on Unix the lines go to a temporary file in the same
// folder that replaces the old file only once complete, so on any failure an
// existing file stays byte for byte as it was (a link under the name is
// replaced, never written through); on Windows, where operators may change
// the installer's file but not replace it, a complete journal beside it is
// written first, and the reader finishes a save that stopped midway. The file is readable and
// writable by its owner and readable by the group of its folder (the operator group of an installed
// station), by no one else: it holds the store-server login. When this account cannot give the file
// that group, the file is its owner's alone. Returns false with a description in `error` when:
//  - the folder or file cannot be written (the system's description);
//  - a line would be longer than the reader takes (4096 bytes);
//  - a value holds a character CP949 cannot hold, a CR or a NUL, which would
//    not read back (a CR would end the line early, a NUL makes the file
//    unreadable);
//  - a login value cannot be encoded (EnCoding has logged it already).
// It neither logs nor shows anything itself: the settings screen writes the
// description to the error log under "저장_PROC" and shows it.
// Login values that do not read back because of trimming (see
// LoginReadsBack) are written as they are; refusing them is the screen's job.
bool WriteSettingsFile(const QString& path, const SettingsFields& fields, QString* error);

// The settings screen's save: the program folder's file.
bool SaveSettingsFile(const SettingsFields& fields, QString* error);

// ---- Helpers for the settings screen -----------------------------------------

// Leading and trailing U+0020 removed; other white space stays.
QString TrimSpaces(const QString& text);

// The number format "00": an integer text (ASCII digits, optionally signed)
// gets at least two digits, with leading zeros ("5" -> "05", "007" -> "07",
// "-5" -> "-05"); any other text comes back unchanged.
QString FormatPosNumber(const QString& text);

// Whether a login field's text would read back from the file as it will be
// written, i.e. trimmed: it is encoded, written, read, trimmed and decoded
// exactly as the writer and reader do, without logging anything. False for a
// value that starts or ends with the character that encodes to a space (','
// with the station's key), for characters CP949 cannot hold, and for
// characters whose shifted code names no character (control characters).
bool LoginReadsBack(const QString& fieldText);
