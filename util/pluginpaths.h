#pragma once
// Where Qt may load plugins from. Called by every program's main before its
// application object exists, so that Qt never looks anywhere else.

// Unix: only Qt's own installed plugin folder. Qt would otherwise also search
// the program's folder (and its subfolders such as platforms/), which every
// operator account of an installed station may write, so one operator could
// plant code that root or another operator then runs; QT_PLUGIN_PATH is not
// followed either. Windows: only the program's own folder, where the build
// and the installer put the plugins (no qt.conf beside the program, no
// QT_PLUGIN_PATH, no plugin folder next to the program's folder), and
// libraries loaded by name only from the program's folder and System32,
// never from the working folder or PATH.
void RestrictPluginPaths();
