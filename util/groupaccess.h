#pragma once
// Files of the program folder that every operator account must reach (the
// settings, the error log, the running-copy lock): an installed station's
// folder belongs to the operator group, and such a file gets that group and
// access for it, none for other accounts. On Windows the folder's own access
// rules apply and this does nothing.

#include <QString>

enum class GroupAccess { Read, ReadWrite };

// For the open file `fd`, which this process has just created (never one
// that was there before: its owner chose its mode): the group of `folder`,
// read and write for the owner, `access` for the group, nothing for others.
// When this account cannot give it that group (not a member), the group gets
// no access either. False when the file's permissions could not be set.
bool ShareNewFileWithFolderGroup(int fd, const QString& folder, GroupAccess access);

// For a folder this account has made: read, write
// and search for the owner and the group, nothing for others, and the
// setgid bit so that what is made inside keeps the group. False when that
// could not be set.
bool ShareFolderWithGroup(const QString& path);
