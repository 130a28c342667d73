#include "frm_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvaniconv"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));

    frmMain window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
