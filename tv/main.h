#pragma once

#include <QString>
#include <QWidget>

#include <random>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class TMakerHeader;
class TMediaPlayer;

// The window's caption as designed, saved at creation; every channel's caption is
// built on it, so the channel names never pile up.
extern QString BaseCaption;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    explicit TMainFrm(QWidget* parent = nullptr);

    QToolButton* StarSB;
    TMediaPlayer* WMP;
    QPlainTextEdit* Memo1;
    QMenu* StartPopupMenu;

    void StarSBClick();
    // Plays the channel of the chosen menu item; every channel item is routed here.
    void N4Click(QAction* item);

    TMakerHeader* Header() const { return FHeader; }

private:
    void CreateChannelMenu();
    void FormCreate();

    // The program's one pseudo-random generator; the maker header's button re-seeds it.
    std::mt19937 FRandom;
    TMakerHeader* FHeader = nullptr;
};
