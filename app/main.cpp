// The station's program: the registration screen carries out the start-up
// and is the one window that stays open.

#include "app/registrationscreen.h"
#include "components/odbc/odbc.h"
#include "components/odbc/utf8locale.h"
#include "util/pluginpaths.h"
#include "util/programfonts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    RestrictPluginPaths();
    QApplication app(argc, argv);
    LoadProgramFonts();
    // Before the first ODBC call: narrow-text drivers convert through it.
    UseUtf8CharacterLocale();
    QCoreApplication::setApplicationVersion(QStringLiteral(STATION_VERSION));

    FrmPOS_판매 screen;
    if (!screen.Form_Load()) {
        return OdbcConnection::beforeExit(0);
    }
    screen.show();
    return OdbcConnection::beforeExit(QApplication::exec());
}
