#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

// One window per user and display: a second start while the window is up raises that window
// and ends, instead of stacking an identical one over it. The first start to get here owns the
// window; the check and the taking over happen under a lock, so two starts at once cannot both
// miss each other.
class SingleWindow : public QObject
{
    Q_OBJECT
public:
    // `displayKey` names the display the window goes to; with the user's runtime folder (or the
    // temporary folder and the user id) it names the meeting point.
    explicit SingleWindow(const QByteArray &displayKey);
    ~SingleWindow() override;

    // True when another start holds the window and has raised it: this one should end.
    // Otherwise this start now holds it, and a later one will find it.
    bool raiseOther();
    // The window to raise when a later start asks.
    void setWindow(QWidget *window) { m_window = window; }

private:
    void answer();

    QString m_path;
    QLocalServer *m_server = nullptr;
    QWidget *m_window = nullptr;
};

// The part of the display's name that tells one display from another (":1.0" and "unix:1" are
// ":1"); other names stay as they are.
QByteArray sameDisplayKey(const QByteArray &platform, const QByteArray &x11Display,
                          const QString &waylandSocket);
