#pragma once
// The daily error log: ERROR_LOG/YYYYMMDD-프로시져오류.LOG under the program
// folder, one CP949 line per trapped error, ended by CR LF.

#include <QDateTime>
#include <QString>

// Appends "procName  description  YYYY-MM-DD  HH:NN:SS" CR LF to today's
// file, creating ERROR_LOG (one level) and the file when missing. The file
// is opened and closed for each entry. Every failure is silent: the entry is
// lost and the caller goes on with its own handling. Characters that CP949
// cannot hold are written as '?'. A file this account creates is readable
// and writable by the group of ERROR_LOG (the operator group), so that every
// operator account appends to the same day's file; only a plain file is
// appended to (see util/safefile.h), one that exists keeps its mode.
void WriteErrorLog(const QString& procName, const QString& description);

// The same, with the local time of the entry given (it picks the day's file
// and the date and time fields); tests use it to cross midnight.
void WriteErrorLog(const QString& procName, const QString& description, const QDateTime& at);
