#include "tv/catchupplay.h"

#include "tv/catchup.h"
#include "tv/main.h"
#include "tv/mediaplayer.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Times as the viewer reads them: in the viewer's own zone.
QString Shown(const QDateTime& when, const QString& format) {
    return when.toLocalTime().toString(format);
}

} // namespace

TCatchupPlay::TCatchupPlay(TMainFrm& frm) : QObject(&frm), FFrm(frm) {
    connect(frm.WMP, &TMediaPlayer::statusChanged, this, &TCatchupPlay::StatusChanged);
}

QList<TStreamAddress> TCatchupPlay::Live(const TPlaylistChannel& channel) {
    FProgramme.reset();
    if (std::exchange(FSaid, false))
        FFrm.ShowListStatus(FGuideLine);
    return channel.addresses;
}

QList<TStreamAddress> TCatchupPlay::Archive(const TPlaylistChannel& channel,
                                            const TProgramme& programme, const QDateTime& now) {
    QList<TStreamAddress> archive = ArchiveAddresses(channel, programme, now);
    FSaid = true;
    if (archive.isEmpty()) {
        FFrm.ShowListStatus(u"“%1”没有回看"_s.arg(programme.title));
        return archive;
    }
    FProgramme = programme;
    FFrm.ShowListStatus(u"正在回看：%1（%2–%3）"_s.arg(programme.title,
                                                       Shown(programme.start, u"MM-dd HH:mm"_s),
                                                       Shown(programme.stop, u"HH:mm"_s)));
    return archive;
}

QString TCatchupPlay::Caption(const QString& name) const {
    if (!FProgramme)
        return name;
    return u"%1（回看 %2）"_s.arg(name, Shown(FProgramme->start, u"MM-dd HH:mm"_s));
}

void TCatchupPlay::GuideSaid(const QString& text) {
    FGuideLine = text;
    if (!FProgramme)
        FFrm.ShowListStatus(text);
}

void TCatchupPlay::StatusChanged() {
    // The end of a programme played again is its end: the caption stays, and the
    // status line says so.
    if (FProgramme && FFrm.WMP->Status() == TStreamStatus::Ended)
        FFrm.ShowListStatus(u"回看已播完：%1"_s.arg(FProgramme->title));
}
