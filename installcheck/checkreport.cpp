#include "installcheck/checkreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString verdictKey(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return QStringLiteral("ok");
    case Verdict::Warning:
        return QStringLiteral("warning");
    case Verdict::Failure:
        return QStringLiteral("failure");
    case Verdict::Skipped:
        return QStringLiteral("skipped");
    }
    return {};
}

QString seconds(qint64 ms) {
    return QStringLiteral("%1초").arg(double(ms) / 1000.0, 0, 'f', 2);
}

} // namespace

QString VerdictLabel(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return QStringLiteral("OK");
    case Verdict::Warning:
        return QStringLiteral("경고");
    case Verdict::Failure:
        return QStringLiteral("실패");
    case Verdict::Skipped:
        return QStringLiteral("건너뜀");
    }
    return {};
}

CheckLine& CheckReport::add(const QString& id, CheckArea area, const QString& title,
                            Verdict verdict, const QString& reason, const QString& action) {
    m_lines.append(CheckLine{id, area, title, verdict, reason, action, -1});
    return m_lines.last();
}

const CheckLine* CheckReport::line(const QString& id) const {
    for (const CheckLine& l : m_lines) {
        if (l.id == id) {
            return &l;
        }
    }
    return nullptr;
}

int CheckReport::count(Verdict verdict) const {
    return int(std::count_if(m_lines.begin(), m_lines.end(),
                             [verdict](const CheckLine& l) { return l.verdict == verdict; }));
}

bool CheckReport::hasFailureIn(CheckArea area) const {
    return std::any_of(m_lines.begin(), m_lines.end(), [area](const CheckLine& l) {
        return l.area == area && l.verdict == Verdict::Failure;
    });
}

int CheckReport::exitStatus() const {
    int first = 0;
    for (const CheckLine& l : m_lines) {
        if (l.verdict == Verdict::Failure && (first == 0 || int(l.area) < first)) {
            first = int(l.area);
        }
    }
    return first;
}

QString CheckReport::text() const {
    QString out = QStringLiteral("회원등록 스테이션 설치 점검: %1\n").arg(m_folder);
    for (const CheckLine& l : m_lines) {
        // Hangul takes two columns: "OK" is padded to the width of "경고".
        const QString label =
            l.verdict == Verdict::Ok ? QStringLiteral("OK  ") : VerdictLabel(l.verdict);
        QString row = label + QStringLiteral(" ") + l.title;
        if (l.elapsedMs >= 0) {
            row += QStringLiteral(" (%1)").arg(seconds(l.elapsedMs));
        }
        row += QStringLiteral(": ") + l.reason;
        if (!l.action.isEmpty()) {
            row += QStringLiteral(" → ") + l.action;
        }
        out += row + QStringLiteral("\n");
    }
    out += QStringLiteral("요약: OK %1, 경고 %2, 실패 %3, 건너뜀 %4 — ")
               .arg(count(Verdict::Ok))
               .arg(count(Verdict::Warning))
               .arg(count(Verdict::Failure))
               .arg(count(Verdict::Skipped));
    if (stationWorks()) {
        out += QStringLiteral("스테이션이 시작하고 회원을 저장할 수 있습니다.\n");
    } else {
        const auto first = std::find_if(m_lines.begin(), m_lines.end(), [](const CheckLine& l) {
            return l.verdict == Verdict::Failure;
        });
        out += QStringLiteral("스테이션이 동작하지 않습니다. 먼저 고칠 것: %1\n").arg(first->title);
    }
    return out;
}

QByteArray CheckReport::json() const {
    QJsonArray lines;
    for (const CheckLine& l : m_lines) {
        QJsonObject o{{QStringLiteral("id"), l.id},
                      {QStringLiteral("title"), l.title},
                      {QStringLiteral("verdict"), verdictKey(l.verdict)},
                      {QStringLiteral("reason"), l.reason},
                      {QStringLiteral("action"), l.action}};
        if (l.elapsedMs >= 0) {
            o.insert(QStringLiteral("elapsedMs"), l.elapsedMs);
        }
        lines.append(o);
    }
    const QJsonObject summary{{QStringLiteral("ok"), count(Verdict::Ok)},
                              {QStringLiteral("warnings"), count(Verdict::Warning)},
                              {QStringLiteral("failures"), count(Verdict::Failure)},
                              {QStringLiteral("skipped"), count(Verdict::Skipped)},
                              {QStringLiteral("stationWorks"), stationWorks()},
                              {QStringLiteral("exitStatus"), exitStatus()}};
    const QJsonObject root{{QStringLiteral("programFolder"), m_folder},
                           {QStringLiteral("checks"), lines},
                           {QStringLiteral("summary"), summary}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
