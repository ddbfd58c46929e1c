#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

// Saves the whole screen to the PNG file named by the first argument.
int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: daypane-screenshot FILE.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "daypane-screenshot: cannot grab the screen\n");
        return 1;
    }
    return 0;
}
