// SPDX-License-Identifier: Apache-2.0
// demo-grab-window: saves what the X server shows of one window as a PNG.
// Usage: demo-grab-window WINDOW_ID OUT.png   (WINDOW_ID as xdotool prints it)
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW_ID OUT.png\n", argv[0]);
        return 2;
    }
    bool isNumber = false;
    const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&isNumber, 0);
    if (!isNumber) {
        std::fprintf(stderr, "not a window id: %s\n", argv[1]);
        return 2;
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "could not grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("%s: %dx%d\n", argv[2], shot.width(), shot.height());
    return 0;
}
