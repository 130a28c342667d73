#include "frm_main.h"

#include <orvani/version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

constexpr int kUsage = 2; // a wrong command line, as for orvaniconv-cli

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Tool for converting the different Orvani transcription standards"));
    parser.addHelpOption();
    parser.addVersionOption();
}

// Qt's own window-system options, which QApplication and its platform plugin take off the
// command line themselves. Qt reads each with one dash or two.
constexpr QLatin1StringView kQtOptionsWithValue[] = {"platform"_L1,
                                                     "platformpluginpath"_L1,
                                                     "platformtheme"_L1,
                                                     "plugin"_L1,
                                                     "display"_L1,
                                                     "geometry"_L1,
                                                     "qwindowgeometry"_L1,
                                                     "title"_L1,
                                                     "qwindowtitle"_L1,
                                                     "icon"_L1,
                                                     "qwindowicon"_L1,
                                                     "session"_L1,
                                                     "style"_L1,
                                                     "stylesheet"_L1,
                                                     "name"_L1,
                                                     "visual"_L1,
                                                     "ncols"_L1,
                                                     "fn"_L1,
                                                     "font"_L1,
                                                     "bg"_L1,
                                                     "background"_L1,
                                                     "fg"_L1,
                                                     "foreground"_L1,
                                                     "btn"_L1,
                                                     "button"_L1,
                                                     "im"_L1,
                                                     "inputstyle"_L1,
                                                     "graphicssystem"_L1,
                                                     "qmljsdebugger"_L1};
constexpr QLatin1StringView kQtFlags[] = {"reverse"_L1, "nograb"_L1,      "dograb"_L1,
                                          "sync"_L1,    "widgetcount"_L1, "cmap"_L1};
// These also come as -name=value, in one argument.
constexpr QLatin1StringView kQtJoinedValueOptions[] = {"style"_L1, "stylesheet"_L1,
                                                       "qmljsdebugger"_L1};

template <std::size_t N>
bool IsOneOf(QStringView name, const QLatin1StringView (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// `arguments` without Qt's own options and their values, for our parser to judge the rest.
QStringList WithoutQtOptions(const QStringList& arguments) {
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QStringView name = arguments[i];
        if (name.startsWith(u'-')) {
            name = name.sliced(name.startsWith(u"--") ? 2 : 1);
        } else {
            name = {};
        }
        if (IsOneOf(name, kQtOptionsWithValue)) {
            ++i; // and its value
        } else if (!IsOneOf(name, kQtFlags) &&
                   !(name.contains(u'=') &&
                     IsOneOf(name.first(name.indexOf(u'=')), kQtJoinedValueOptions))) {
            kept << arguments[i];
        }
    }
    return kept;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("orvaniconv"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(orvani::kVersion));

    // The command line is judged before the window's application, which needs a display, is
    // made: help, the version and mistakes are answered without one. Qt's own options are
    // passed over here and left for that application.
    {
        QCoreApplication probe(argc, argv);
        QCommandLineParser parser;
        Describe(parser);
        const QStringList arguments = WithoutQtOptions(QCoreApplication::arguments());
        if (!parser.parse(arguments)) {
            std::fputs(
                QStringLiteral("orvaniconv: %1\nTry 'orvaniconv --help' for more information.\n")
                    .arg(parser.errorText())
                    .toLocal8Bit()
                    .constData(),
                stderr);
            return kUsage;
        }
        parser.process(arguments); // answers --help and --version, and ends the program there
        if (!parser.positionalArguments().isEmpty()) {
            std::fputs("orvaniconv: the window opens no files; orvaniconv-cli converts files\n",
                       stderr);
            return 1;
        }
    }

    QApplication app(argc, argv);
    // Wayland compositors match the window to its desktop entry, and so to its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.orvani.Converter"));
    frmMain window;
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
