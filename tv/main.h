#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolButton;
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

private:
    void CreateChannelMenu();
    void FormCreate();
};
