#pragma once
// Copying a member photo between a file and the photo column of a result
// set's current row. Whole files, bytes unchanged. The photo folder is
// shared by every operator account: files there are read and written only
// as plain files, never through a link (util/safefile.h).

#include "components/odbc/odbc.h"

#include <QString>

// The field's value becomes the file's whole content. A missing file leaves
// the field as it was. A file that is there but cannot be read (not a plain
// file, larger than any photo, a read error) throws std::runtime_error
// naming the file and the reason, the field left as it was: a save must not
// go on without the photo the operator saw.
void LoadFileIntoField(const QString& path, OdbcField field);

// The file is created, or replaced completely, with the field's bytes. A
// null value, a missing folder (none is created) or any write failure
// writes nothing and leaves an existing file as it was.
void SaveFieldToFile(const QString& path, const OdbcField& field);
