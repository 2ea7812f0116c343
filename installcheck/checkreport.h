#pragma once
// The installer's check report: one line per check, in the order the
// station meets them, with a verdict, the reason and what to do. Printed as
// Korean text for a person or as JSON for a script.

#include <QByteArray>
#include <QList>
#include <QString>

enum class Verdict {
    Ok,
    Warning, // the station works, but something deserves a look
    Failure, // the station would not start, or not save a member
    Skipped, // an earlier failure makes the check meaningless
};

// The areas in start-up order; the exit status names the first failing one.
enum class CheckArea {
    Settings = 1,
    DoorFile = 2,
    Driver = 3,
    Server = 4,
    MemberTable = 5,
    ProgramFolder = 6,
    Devices = 7,
};

struct CheckLine {
    QString id; // stable key for scripts, e.g. "server.login"
    CheckArea area = CheckArea::Settings;
    QString title;
    Verdict verdict = Verdict::Ok;
    QString reason;
    QString action;        // what to do; empty when nothing is needed
    qint64 elapsedMs = -1; // how long the check took, where timing matters
};

class CheckReport {
public:
    explicit CheckReport(const QString& programFolder = {}) : m_folder(programFolder) {}

    CheckLine& add(const QString& id, CheckArea area, const QString& title, Verdict verdict,
                   const QString& reason, const QString& action = {});
    const QList<CheckLine>& lines() const { return m_lines; }
    const CheckLine* line(const QString& id) const;
    QString programFolder() const { return m_folder; }

    int count(Verdict verdict) const;
    bool hasFailureIn(CheckArea area) const;
    // True when nothing failed: the station would start and save a member.
    bool stationWorks() const { return count(Verdict::Failure) == 0; }
    // 0 when the station works, else the number of the first failing area.
    int exitStatus() const;

    QString text() const;
    QByteArray json() const;

private:
    QString m_folder;
    QList<CheckLine> m_lines;
};

QString VerdictLabel(Verdict verdict);
