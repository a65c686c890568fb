#include "common/appshell.h"
#include "tv/allocator.h"
#include "tv/instancehandover.h"
#include "tv/main.h"
#include "tv/playlistloader.h"

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    SetAllocatorPolicy();
    TApplication app(argc, argv);
    TApplication::SetIdentity(u"晴棠网络电视"_s, u"viewdial"_s, QStringLiteral(PROGRAM_VERSION));
    // The maker's name, as the version resource gives it; the remembered list is kept under it.
    QCoreApplication::setOrganizationName(u"晴棠软件"_s);
    // viewdial [FILE|ADDRESS]: a channel list to open.
    const QStringList arguments = QCoreApplication::arguments();
    const QString given =
        arguments.size() > 1 ? TPlaylistLoader::LocationOf(arguments[1]) : QString();
    if (!given.isEmpty() && TInstanceHandOver::HandOver(given))
        return 0;
    TMainFrm mainFrm;
    QApplication::setWindowIcon(mainFrm.windowIcon());
    TInstanceHandOver handOver;
    QObject::connect(&handOver, &TInstanceHandOver::received, &mainFrm,
                     [&mainFrm](const QString& location) {
                         mainFrm.OpenPlaylist(location);
                         mainFrm.setWindowState(mainFrm.windowState() & ~Qt::WindowMinimized);
                         mainFrm.raise();
                         mainFrm.activateWindow();
                     });
    handOver.Listen();
    mainFrm.show();
    if (!given.isEmpty())
        mainFrm.OpenPlaylist(given);
    return app.exec();
}
