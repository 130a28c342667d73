#include "frm_main.h"

#include <orvani/version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Tool for converting the different Orvani transcription standards"));
    parser.addHelpOption();
    parser.addVersionOption();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("orvaniconv"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(orvani::kVersion));

    // --help and --version answer without a display: they are read before the window's
    // application, which needs one, is made. Anything else is judged once that application
    // has taken its own options (such as -platform) off the command line.
    {
        QCoreApplication probe(argc, argv);
        QCommandLineParser parser;
        Describe(parser);
        if (parser.parse(QCoreApplication::arguments()) &&
            (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
             parser.isSet(QStringLiteral("version")))) {
            parser.process(probe);
        }
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    Describe(parser);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fputs("orvaniconv: the window opens no files; orvaniconv-cli converts files\n",
                   stderr);
        return 1;
    }

    frmMain window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
