#include "common/appshell.h"

#include <QDesktopServices>
#include <QHelpEvent>
#include <QMessageBox>
#include <QToolTip>
#include <QWidget>

#include <exception>

using namespace Qt::Literals::StringLiterals;

namespace {

QString g_title;
int g_hintHidePause = -1; // -1: the toolkit's own delay

App::UrlOpener& Opener() {
    static App::UrlOpener opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return opener;
}

void ShowBox(const QString& text, QMessageBox::Icon icon, const char* name) {
    QMessageBox box(icon, TApplication::Title(), text, QMessageBox::Ok);
    box.setObjectName(QString::fromLatin1(name));
    box.exec();
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString TApplication::Title() {
    return g_title;
}

void TApplication::SetTitle(const QString& title) {
    g_title = title;
}

void TApplication::SetIdentity(const QString& title, const QString& name, const QString& version) {
    SetTitle(title);
    setApplicationName(name);
    setApplicationVersion(version);
    setDesktopFileName(name);
}

int TApplication::HintHidePause() {
    return g_hintHidePause;
}

void TApplication::SetHintHidePause(int msecs) {
    g_hintHidePause = msecs;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        // Qt picks the hint's display time from its length; the application's own
        // hide delay replaces that for every widget that has a hint.
        if (event->type() == QEvent::ToolTip && g_hintHidePause >= 0 && receiver->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(receiver);
            if (!widget->toolTip().isEmpty()) {
                auto* help = static_cast<QHelpEvent*>(event);
                QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {},
                                   g_hintHidePause);
                return true;
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        App::ShowErrorReport(QString::fromUtf8(e.what()));
    } catch (...) {
        App::ShowErrorReport(u"Unknown error"_s);
    }
    return true;
}

namespace App {

void ShowMessage(const QString& text) {
    ShowBox(text, QMessageBox::NoIcon, MessageBoxName);
}

QString ErrorReportText(const QString& text) {
    if (!text.isEmpty() && text.back() > u'.')
        return text + u'.';
    return text;
}

void ShowErrorReport(const QString& text) {
    ShowBox(ErrorReportText(text), QMessageBox::Critical, ErrorReportName);
}

void OpenUrl(const QString& address) {
    Opener()(QUrl(address));
}

UrlOpener SetUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

} // namespace App
