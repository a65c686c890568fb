#pragma once

#include <QApplication>
#include <QString>
#include <QUrl>

#include <functional>

// The application object of both programs. Every event passes through notify(),
// so this is the one place where an error thrown by an event handler is caught
// and shown as the default error report, after which the program goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // The application title: the task-bar text and the title of every message box.
    static QString Title();
    static void SetTitle(const QString& title);
    // A program's identity at start-up: its title, its name (which also names its
    // desktop entry) and its version.
    static void SetIdentity(const QString& title, const QString& name, const QString& version);

    // How long a hint stays on screen, in milliseconds, for every widget of the application.
    static int HintHidePause();
    static void SetHintHidePause(int msecs);

    bool notify(QObject* receiver, QEvent* event) override;
};

namespace App {

// How long hints stay on screen once a main window is created: both main windows
// set it in their creation handler, before the maker header's set-up.
inline constexpr int MainWindowHintHidePause = 30000;

// Object names of the two kinds of modal box, so tests can tell them apart.
inline constexpr auto MessageBoxName = "MessageBox";
inline constexpr auto ErrorReportName = "ErrorReport";

// A message to the player: modal, centred on the screen, titled with the application
// title, no icon, one OK button.
void ShowMessage(const QString& text);

// The default error report: like a message but with the error icon; the text gets a
// "." appended when its last character sorts after ".".
void ShowErrorReport(const QString& text);
QString ErrorReportText(const QString& text);

// Opens a web address in the system's default browser. Tests replace the opener.
using UrlOpener = std::function<void(const QUrl&)>;
void OpenUrl(const QString& address);
UrlOpener SetUrlOpener(UrlOpener opener); // returns the previous opener

} // namespace App
