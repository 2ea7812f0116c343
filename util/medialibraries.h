#pragma once
// The system libraries Qt's camera plugin imports on Windows (Media
// Foundation). Windows N and KN editions lack them until the Media Feature
// Pack is installed, and Qt then falls back to a backend that ends the
// process at the first camera call: they are checked before any.

#include <QStringList>

// Those of the libraries that do not load, by file name; empty where all do
// (and always on Linux, whose camera backend needs none of them).
QStringList MissingCameraLibraries();
