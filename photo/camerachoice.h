#pragma once
// The camera and resolution chosen in the camera settings, kept for the
// rest of the run (ChosenCamera) and across restarts in the file
// 카메라설정.CFG of the program folder: CP949 lines ended by CR LF,
//
//   카메라 = <the camera's id, percent-encoded>
//   해상도 = <width>x<height>        (empty: the camera's own default)
//
// The camera screen's preview starts with that camera while the system
// lists it, else with the default camera; at that resolution while the
// camera offers it, else at the camera's default.

#include "util/programwide.h"

#include <QString>

#include <optional>

class FrameSource;

inline const QString CameraChoiceFileName = QStringLiteral("카메라설정.CFG");

// The last choice: this run's, else the file's; none when no choice was
// made or the file holds no camera.
std::optional<CameraSetting> RememberedCamera();

// Keeps the choice for this run and writes it to the file: in place when the
// file is another account's that the operator group may write (as the
// package leaves it, so that every operator's choice holds), otherwise
// replaced whole. False, with the reason in `error`, when the file could not be
// written; the choice still holds for this run.
bool RememberCamera(const CameraSetting& choice, QString* error = nullptr);

// Switches source to the remembered camera and resolution, as far as the
// system still offers them; otherwise leaves it as it is.
void UseRememberedCamera(FrameSource& source);
