#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

// Asks for the list to open, or the programme guide of the list open: a file, picked
// with "浏览…" or typed, or an http(s) address.
class TOpenPlaylistFrm : public QDialog {
    Q_OBJECT
public:
    enum class TAsked { Playlist, Guide };
    TOpenPlaylistFrm(QWidget* parent, TAsked asked);

    QLineEdit* LocationEdt;
    QPushButton* BrowseBtn;
    QPushButton* OKBtn;

    // What was given, or nothing when the dialog was cancelled.
    static QString Ask(QWidget* parent, TAsked asked = TAsked::Playlist);
    // Lets a test answer in place of the dialog; empty is the dialog. Returns the one before.
    using TAsker = std::function<QString(QWidget* parent, TAsked asked)>;
    static TAsker SetAsker(TAsker asker);

private:
    void BrowseBtnClick();

    TAsked FAsked;
};
