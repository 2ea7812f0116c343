#pragma once
// Copying a member photo between a file and the photo column of a result
// set's current row. Whole files, bytes unchanged; neither routine ever
// reports a failure (callers check the file or the column afterwards).

#include "components/odbc.h"

#include <QString>

// The field's value becomes the file's whole content. A missing or
// unreadable file leaves the field as it was.
void LoadFileIntoField(const QString& path, OdbcField field);

// The file is created, or replaced completely, with the field's bytes. A
// null value, a missing folder (none is created) or any write failure
// writes nothing and leaves an existing file as it was.
void SaveFieldToFile(const QString& path, const OdbcField& field);
