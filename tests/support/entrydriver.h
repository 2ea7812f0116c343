#pragma once
// Drives a started registration screen as an operator does: typing, Tab out
// of the phone field, clicks delivered through the window (so the focus
// moves as a real click moves it), presses on the hot spots, the boxes that
// come up answered and their texts handed back.

#include "support/stationfixture.h"

#include "components/widgets/hotspot.h"
#include "components/widgets/mytext.h"

#include <QLabel>
#include <QPushButton>

namespace stationtest {

class EntryDriver {
public:
    explicit EntryDriver(Station& station)
        : m_station(station), phone(station.widget<MyText>("휴대폰번호")),
          name(station.widget<MyText>("성명")), gender(station.widget<MyText>("남여구분")),
          address(station.widget<MyText>("주소")), photo(station.widget<QLabel>("회원사진")) {}

    static void click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* window = target->window();
        const QPoint at = target->mapTo(window, target->rect().center());
        QTest::mouseClick(window->windowHandle(), button, {}, at);
    }

    void press(const char* spot) { click(m_station.widget<HotSpot>(spot)); }
    QPushButton* button(const char* name) const { return m_station.widget<QPushButton>(name); }

    // Focus in the phone field, the digits typed, then Tab to the name.
    void lookUp(const QString& digits) {
        phone->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), phone);
        phone->clear();
        QTest::keyClicks(phone, digits);
        QTest::keyClick(phone, Qt::Key_Tab);
    }

    // Presses the confirm strip; every message box is closed with Escape
    // and the question, when one comes, answered by `answerQuestion`.
    // Returns the texts in the order they came.
    QStringList confirm(ModalAnswer::Action answerQuestion = nullptr) {
        QStringList seen;
        std::unique_ptr<ModalAnswer> question;
        if (answerQuestion) {
            question = std::make_unique<ModalAnswer>(answerQuestion, ModalAnswer::Once,
                                                     QStringLiteral("Frm_다이얼로그"));
            question->onSeen([&seen](QWidget* w) {
                auto* panel = w->findChild<QWidget*>(QStringLiteral("메세지"));
                seen << (panel != nullptr ? panel->property("caption").toString() : QString());
            });
        }
        ModalAnswer messages =
            ModalAnswer::key(Qt::Key_Escape, ModalAnswer::Every, QStringLiteral("Frm_메세지"));
        messages.onSeen([&seen](QWidget* w) {
            auto* panel = w->findChild<QWidget*>(QStringLiteral("메세지"));
            seen << (panel != nullptr ? panel->property("caption").toString() : QString());
        });
        press("버튼확인");
        if (!seen.isEmpty()) {
            m_station.reactivate();
        }
        return seen;
    }

private:
    Station& m_station;

public:
    MyText* const phone;
    MyText* const name;
    MyText* const gender;
    MyText* const address;
    QLabel* const photo;
};

inline QString box(const QString& text) {
    return QStringLiteral("\r\n") + text;
}

} // namespace stationtest
