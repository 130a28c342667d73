// Turns one of the window's XPM pictures into a PNG for the desktop's icon theme.
//   xpm_to_png IN.xpm OUT.png

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: xpm_to_png IN.xpm OUT.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "xpm_to_png: cannot turn %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
