#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Asks for the list to open: a file, picked with "浏览…" or typed, or an http(s) address.
class TOpenPlaylistFrm : public QDialog {
    Q_OBJECT
public:
    explicit TOpenPlaylistFrm(QWidget* parent);

    QLineEdit* LocationEdt;
    QPushButton* BrowseBtn;
    QPushButton* OKBtn;

    // What was given, or nothing when the dialog was cancelled.
    static QString Ask(QWidget* parent);

private:
    void BrowseBtnClick();
};
