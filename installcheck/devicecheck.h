#pragma once
// Cameras and serial ports for the installer's check. Missing devices are
// warnings: the station saves members without a photo, and only the serial
// test program uses a port.

#include "installcheck/checkreport.h"

void CheckDevices(CheckReport& report);
