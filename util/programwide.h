#pragma once
// The program-wide values of the station, all in one place. Nothing else in
// the program keeps state beyond a handler; everything here is touched only
// from the user-interface thread.

#include <QByteArray>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <optional>

// The program folder (the settings, the door file, the background picture,
// ERROR_LOG and the photo folder) is not kept here: util/programfolder.h
// derives it from the executable every time.

// Settings read once at start-up from the settings file.
struct StationSettings {
    QString StoreCode;
    QString ServerIp;
    QString ServerPort;
    QString DbKind;
    QString DbName;
    QString LoginId;
    QString LoginPassword;
    QString PosId;
};

inline StationSettings StationConfig;

// The registration screen, and whether its start-up has finished (boxes
// centre over it from then on).
inline QPointer<QWidget> MainScreen;
inline bool MainScreenReady = false;

// The last statement text built for the store server.
inline QString SqlText;

// A camera as chosen in the camera settings: the system's id for it and
// the resolution (empty: the camera's own default).
struct CameraSetting {
    QByteArray Id;
    QSize Resolution;

    bool operator==(const CameraSetting&) const = default;
};

// The camera chosen in this run; until one is chosen, the camera settings
// file of the program folder says (photo/camerachoice.h).
inline std::optional<CameraSetting> ChosenCamera;

// The yes/no dialog's answer.
inline QString DialogAnswer;

// Shift of the login obfuscation. Printable ASCII (32..126) minus the key
// must stay above 0 and never hit LF (10) or CR (13): key < 32 keeps it
// positive, and 32 - key > 13 keeps it clear of both, so key <= 18; two
// digits gives 10..18. With 12 the character that encodes to a space is ','
// (rare in logins), the one the settings screen must refuse at either end.
inline constexpr qint16 CredentialKey = 12;
