#pragma once
// The settings screen 환경설정: asks the installer for the station's
// settings and writes 환경설정.CFG. Start-up opens it, modally, when the
// file is missing.

#include <QDialog>

class Composition;
class MyLabel;
class MyText;
class QKeyEvent;
class QPushButton;

class FrmPOS_초기설정 : public QDialog {
public:
    explicit FrmPOS_초기설정(QWidget* parent = nullptr);

    // True when the entries may be saved; otherwise the reason has been shown.
    bool 사전체크_FUNC();
    // Writes the settings file from the fields, says so and closes the
    // screen; on a write error logs and shows it and stays open.
    void 저장_PROC();

protected:
    // Escape does nothing here: a dialog would close on it and lose what was
    // typed, and the message boxes in front are closed with the same key.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void 버튼저장_Click();
    // An id or password that the settings file would not give back as typed.
    bool refuseLogin(const QString& typed, const QString& fieldCaption);

    MyText* m_매장코드 = nullptr;
    MyText* m_서버IP = nullptr;
    MyText* m_서버포트 = nullptr;
    MyText* m_DB종류 = nullptr;
    MyText* m_DB명 = nullptr;
    MyText* m_접속아이디 = nullptr;
    MyText* m_접속비번 = nullptr;
    MyText* m_POS번호 = nullptr;
    MyText* m_사업자번호 = nullptr;
    QPushButton* m_버튼저장 = nullptr;
    QPushButton* m_버튼나가기 = nullptr;
    Composition* m_composition = nullptr;
};
