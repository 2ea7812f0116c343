// Loaded into the station's own program with LD_PRELOAD by the start-up
// benchmark, never linked into it or installed: it watches the program from
// outside its code and tells the benchmark, through the pipe named by
// STATION_READY_FD, when the registration screen has been painted for the
// first time; then it closes the screen, which ends the program.
//
// One line, monotonic clock in nanoseconds:
//   "ready <application made> <screen begun> <screen shown> <painted>\n"
//   "box\n" when a message box appears instead (start-up failed).

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void tell(const QByteArray& line) {
    const int fd = qEnvironmentVariableIntValue("STATION_READY_FD");
    if (fd > 2) {
        const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
        Q_UNUSED(written);
    }
}

class ReadyProbe : public QObject {
public:
    explicit ReadyProbe(qint64 applicationMade) : m_applicationMade(applicationMade) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType() || m_painted != 0) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        const QString name = widget->objectName();
        if (name == QStringLiteral("FrmPOS_판매")) {
            // The screen names itself once its background art is drawn and
            // before it builds its widgets; its first event (the window
            // title) follows at once.
            if (m_begun == 0) {
                m_begun = monotonicNs();
            }
            if (event->type() == QEvent::Show && m_shown == 0) {
                m_shown = monotonicNs();
            } else if (event->type() == QEvent::Paint && m_shown != 0) {
                // Reported once this paint is over and the loop is idle.
                m_painted = -1;
                QTimer::singleShot(0, this, [this, widget] {
                    m_painted = monotonicNs();
                    tell(QStringLiteral("ready %1 %2 %3 %4\n")
                             .arg(m_applicationMade)
                             .arg(m_begun)
                             .arg(m_shown)
                             .arg(m_painted)
                             .toLatin1());
                    widget->close();
                });
            }
        } else if (name == QStringLiteral("Frm_메세지") && event->type() == QEvent::Show) {
            tell("box\n");
            std::fflush(nullptr);
            ::_exit(2);
        }
        return false;
    }

private:
    qint64 m_applicationMade;
    qint64 m_begun = 0;
    qint64 m_shown = 0;
    qint64 m_painted = 0;
};

void installProbe() {
    if (qEnvironmentVariableIsEmpty("STATION_READY_FD")) {
        return;
    }
    auto* probe = new ReadyProbe(monotonicNs());
    probe->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(probe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
