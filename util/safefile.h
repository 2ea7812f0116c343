#pragma once
// Files in folders other accounts can write (the program folder, ERROR_LOG,
// 회원사진). Whatever another account put under a name there (a link, a
// pipe, a device, a huge file) is never followed, never blocks the station,
// never receives its data and never gets its permissions: every open,
// append and replace of such a file goes through these routines. A failure
// names the file and the reason. On Windows the folders' access rules
// apply besides, and a name is opened without following a reparse point,
// its type and place checked on the open handle.

#include "util/groupaccess.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Far above a camera JPEG (about 50 KB): a bound on what a read takes in.
inline constexpr qint64 MaxSharedFileBytes = 16 * 1024 * 1024;

// Opens `path` for reading into `file` (closed first) when it is a plain
// file of at most `maxBytes` (-1: any size). False otherwise, with the
// reason in `error`; `missing` says whether there was no file of that name.
bool OpenSharedFile(QFile& file, const QString& path, qint64 maxBytes, QString* error,
                    bool* missing = nullptr);

// The whole of a plain file of at most `maxBytes`; none on any failure.
std::optional<QByteArray> ReadSharedFile(const QString& path, qint64 maxBytes, QString* error,
                                         bool* missing = nullptr);

// Appends `bytes` to the plain file `path`, creating it when missing. Only a
// file created here gets the folder's group and `access` for it; an
// existing one keeps its owner and mode.
bool AppendToSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                        QString* error = nullptr);

// Replaces `path` whole (or not at all): a new file in the same folder, with
// the folder's group and `access` for it, renamed over the name. What lay
// under the name (a link included) is replaced, never written through; on
// failure the new file goes and the old stays.
bool ReplaceSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                       QString* error = nullptr);

// Removes the file `path` (true when there was none). On Windows a file
// another program holds for a moment is tried again for about half a second.
bool RemoveSharedFile(const QString& path, QString* error = nullptr);

// For a file every operator keeps up to date in the sticky program folder,
// where no one may rename over another's file: a plain file of another
// account that this one may write (group-writable, no other name) is
// rewritten in place; anything else is replaced as above, read and write
// for the group.
bool UpdateSharedFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Rewrites `path` whole where this account may change the file but need not
// be able to create or rename one beside it (on Windows the program folder,
// whose files the installer made). On Unix a replace as above. On Windows
// the bytes go first to `path`.journal (made by the installer too), flushed
// and marked complete, then into the file in place, then the journal is
// emptied: a stop anywhere leaves the old file whole or a complete journal.
bool RewriteSharedFile(const QString& path, const QByteArray& bytes, GroupAccess access,
                       QString* error = nullptr);

// Before reading a file RewriteSharedFile writes: finishes a rewrite that
// stopped after its journal was complete. False, with the reason, when one
// is pending and cannot be finished (the file may be torn: read it as
// damaged). Nothing to do on Unix, where the rewrite is a rename.
bool RecoverSharedFile(const QString& path, QString* error = nullptr);
