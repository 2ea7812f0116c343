#pragma once
// Kinds of the driver's column type codes (OdbcConnection's column lists
// give them as SQL_* numbers), so no code above the ODBC layer needs them.

// A character column, narrow or wide, of any length.
bool IsTextType(int dataType);
// A binary column of any length.
bool IsBinaryType(int dataType);
