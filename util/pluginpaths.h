#pragma once
// Where Qt may load plugins from. Called by every program's main before its
// application object exists, so that Qt never looks anywhere else.

// Unix: only Qt's own installed plugin folder. Qt would otherwise also search
// the program's folder (and its subfolders such as platforms/), which every
// operator account of an installed station may write, so one operator could
// plant code that root or another operator then runs; QT_PLUGIN_PATH is not
// followed either. Windows: Qt's default, since a deployed program's plugins
// lie beside it in a folder only administrators may write.
void RestrictPluginPaths();
