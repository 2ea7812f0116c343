#pragma once

#include <QString>

// The dashed Korean form of a typed phone number: only the ASCII digits 0-9
// are kept, then grouped by their count (7: 3-4, 8: 4-4, 9: 2-3-4,
// 10: 2-4-4 after "02" else 3-3-4, 11: 3-4-4; 1-6 and 12 or more stay bare).
// Formatting a formatted number gives it back unchanged.
QString FormatPhoneNumber(const QString& input);

// What a paste into the number field keeps of a whole mobile number: text
// whose digits are prefix's digits followed by a local part of 7 or 8
// digits ("010-1234-5678", "01012345678", "010 1234 5678" with "010-")
// gives the local part's digits ("12345678"); any other text comes back
// unchanged.
QString LocalPartOfWholeNumber(const QString& text, const QString& prefix);
