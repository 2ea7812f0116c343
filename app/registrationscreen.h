#pragma once
// The registration screen FrmPOS_판매: the window the station opens with and
// keeps open while it runs. Its load carries out the whole start-up; its
// handlers look members up, save them and act on their photos.

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

class Composition;
class HotSpot;
class MyLabel;
class MyText;
class PhotoView;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class SingleInstance;

class FrmPOS_판매 : public QWidget {
public:
    explicit FrmPOS_판매(QWidget* parent = nullptr);
    ~FrmPOS_판매() override;

    // The start-up sequence. False when the program is to end; the reason
    // has been shown by then.
    bool Form_Load();

    // Empties the entry: the four fields, the focus back in the phone field,
    // the picture cleared.
    void ClearEntry();

    // The program has been ended (a failed start-up or save check, or the
    // exit item).
    bool ended() const { return m_ended; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    void endProgram();

    void Form_MouseDown(Qt::MouseButton button, const QPoint& at);
    void 메뉴_프로그램종료_Click();
    void 휴대폰번호_KeyUp();
    void 휴대폰번호_LostFocus();
    void 사원정보표시_PROC(const QString& memberPhone);
    void 버튼확인_MouseUp();
    void 버튼사진찍기_Click();
    void 버튼사진삭제_Click();

    std::unique_ptr<SingleInstance> m_instance;
    QImage m_background;
    bool m_ended = false;

    MyLabel* m_폰구분 = nullptr;
    MyText* m_휴대폰번호 = nullptr;
    MyText* m_성명 = nullptr;
    MyText* m_남여구분 = nullptr;
    MyText* m_주소 = nullptr;
    HotSpot* m_버튼남 = nullptr;
    HotSpot* m_버튼여 = nullptr;
    HotSpot* m_버튼확인 = nullptr;
    PhotoView* m_회원사진 = nullptr;
    QPushButton* m_버튼사진찍기 = nullptr;
    QPushButton* m_버튼사진삭제 = nullptr;
    QLabel* m_라벨버전 = nullptr;
    QMenu* m_메뉴_메인 = nullptr;
    QAction* m_메뉴_프로그램종료 = nullptr;
    Composition* m_composition = nullptr;
};

// The version as the screen shows it: major, minor and revision without
// leading zeros ("24.12.0024" shows 24.12.24).
QString VersionCaption(const QString& version);
