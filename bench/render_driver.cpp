// Plays one stream in the viewer's media-player control for the render benchmark
// (bench/render_bench.py): in a window of its own at the size the main window gives
// the control, or full screen. Each line on its standard input is answered with one
// line: the pictures shown so far, the control's size, and the X window that holds
// it. It ends when its standard input closes, so it never outlives the benchmark.
//
//     render_driver [--full-screen] URL

#include "tv/mediaplayer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QSocketNotifier>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption fullScreen(u"full-screen"_s);
    parser.addOption(fullScreen);
    parser.addPositionalArgument(u"url"_s, u"the stream to play"_s);
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    // The control sits in a window exactly its size, as big as the viewer's main
    // window makes it, so that full screen is the control's own way there.
    QWidget host;
    host.setWindowTitle(u"render-bench-viewdial"_s);
    host.resize(441, 329);
    auto* player = new TMediaPlayer(&host);
    player->setGeometry(0, 0, 441, 329);
    host.show();
    if (parser.isSet(fullScreen)) {
        player->ToggleFullScreen();
        // With no window manager nobody answers the request for full screen with a
        // new size, so the window takes the screen's size itself, as one would give it.
        player->setGeometry(player->screen()->geometry());
    }

    std::uint64_t frames = 0;
    QObject::connect(player, &TMediaPlayer::frameRendered, [&frames] { ++frames; });
    QObject::connect(player, &TMediaPlayer::statusChanged, [](const QString& text) {
        std::fprintf(stderr, "status: %s\n", qUtf8Printable(text));
    });
    try {
        player->setURL(parser.positionalArguments().constFirst());
    } catch (const EMediaPlayerError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            QApplication::quit();
            return;
        }
        for (ssize_t i = 0; i < got; ++i)
            if (buffer[i] == '\n')
                std::printf("%llu %d %d %llu\n", static_cast<unsigned long long>(frames),
                            player->width(), player->height(),
                            static_cast<unsigned long long>(player->window()->winId()));
        std::fflush(stdout);
    });
    return QApplication::exec();
}
