#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One viewer per user for the lists it is given: a start with a list to open hands it
// to the viewer already running, which opens it and comes to the front.
class TInstanceHandOver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // False when no viewer of this user runs to take the list.
    static bool HandOver(const QString& location);
    // Starts taking the lists that later starts hand over.
    void Listen();
    // Lets a test use a name of its own, apart from any viewer running; returns the one before.
    static QString SetServerName(const QString& name);

signals:
    void received(const QString& location);

private:
    void Accept();

    QLocalServer FServer;
};
