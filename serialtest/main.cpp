// The serial-port test program: the test screen alone, centred on the
// screen (there is no registration screen to centre over).

#include "serialtest/serialtestscreen.h"
#include "util/pluginpaths.h"
#include "util/programfonts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    RestrictPluginPaths();
    QApplication app(argc, argv);
    LoadProgramFonts();
    QApplication::setApplicationName(QStringLiteral("serial-test"));
    auto* screen = new FrmPOS_씨리얼테스트; // deletes itself when closed
    screen->show();
    return QApplication::exec();
}
