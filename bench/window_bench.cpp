// How long the window takes to paste, convert and copy large texts, and how much of Convert
// is the conversion itself. Runs on the offscreen platform unless told otherwise.
//   window_bench [MEGABYTES...]     (default 1 10 20)

#include "corpus.h"
#include "frm_main.h"

#include <orvani/pipeline.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// The median of three runs of `action`, with the events it leaves (layout, painting) handled.
double MedianSeconds(const std::function<void()>& action) {
    std::vector<double> seconds;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        action();
        QApplication::processEvents();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[1];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::vector<int> megabytes;
    for (int i = 1; i < argc; ++i) {
        megabytes.push_back(std::atoi(argv[i]));
    }
    if (megabytes.empty()) {
        megabytes = {1, 10, 20};
    }

    std::printf("%-8s %10s %10s %10s %14s\n", "text", "Paste s", "Convert s", "Copy s",
                "of it core s");
    for (const int size : megabytes) {
        const std::string utf8 =
            orvani::bench::MakeCorpus(orvani::Standard::Old, static_cast<std::size_t>(size) << 20);
        const QString text = QString::fromStdString(utf8);
        frmMain window;
        window.show();
        QApplication::processEvents();
        auto* paste = window.findChild<QPushButton*>(QStringLiteral("cmdPaste"));
        auto* convert = window.findChild<QPushButton*>(QStringLiteral("cmdConv"));
        auto* copy = window.findChild<QPushButton*>(QStringLiteral("cmdCopy"));

        QApplication::clipboard()->setText(text);
        const double pasteSeconds = MedianSeconds([&] { paste->click(); });
        const double convertSeconds = MedianSeconds([&] { convert->click(); });
        const double copySeconds = MedianSeconds([&] { copy->click(); });
        const std::u32string source = text.toStdU32String();
        const double coreSeconds = MedianSeconds([&] {
            const std::u32string result =
                orvani::ConvertText(source, orvani::Standard::Old, orvani::Standard::New, {});
            (void)result;
        });
        std::printf("%5d MB %10.3f %10.3f %10.3f %14.3f\n", size, pasteSeconds, convertSeconds,
                    copySeconds, coreSeconds);
    }
    return 0;
}
