#pragma once

#include "tv/recording.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class QWidget;
class TControlBar;
class TMpvEngine;

// Recording the channel playing, and snapshots of its picture: what the user asks for
// (the bar's buttons, Ctrl+R, Ctrl+P) or the player's own calls, carried out by the
// engine, which has libmpv write the files, under the rules of their names and messages
// (tv/recording.h). Nothing here waits on a file or the network: libmpv writes, and the
// engine says when it is done. A recording goes on in a new part when its stream is
// opened again, and ends when the player says so or a fault stops it.
class TRecorder : public QObject {
    Q_OBJECT
public:
    TRecorder(TMpvEngine& engine, TControlBar& bar, QWidget* player);

    // The channel's name for the files the buttons and the keys make.
    void SetChannelName(const QString& name) { FChannel = name; }
    QString ChannelName() const { return FChannel; }
    void Start(const QString& path);
    void Stop();
    void Snapshot(const QString& path);
    bool Recording() const { return FWanted; }

signals:
    // A file of the recording begins: the first, or the next part.
    void recordingStarted(const QString& path);
    // The recording is over and its last file closed; error is empty when nothing failed.
    void recordingEnded(const QString& path, const QString& error);
    void snapshotTaken(const QString& path, const QString& error);
    // What the bar says of a file written or of what failed, for the window's status line.
    void said(const QString& text);

private:
    void Say(const QString& text);
    void Toggle();
    void SnapshotNow();
    void StartPart();
    void DumpEnded(int error);
    void WriterSaid(const QString& line);
    void Finish();
    void ShowTime();

    TMpvEngine& FEngine;
    TControlBar& FBar;
    QString FChannel;
    QString FFirst;     // where the first part goes
    QStringList FParts; // the parts begun and written, the last perhaps still being
    bool FWanted = false;
    bool FDumping = false;
    // Each load the engine opens, counted: when a part ends after the next load has
    // opened, the next part begins at once, else with the next load.
    int FLoads = 0;
    int FPartLoad = 0;
    std::optional<TRecordingFault> FFault;
    QElapsedTimer FClock;
    QTimer FTicker;
};
