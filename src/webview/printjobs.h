#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <vector>

class QPrinter;
class QThread;
class QTimer;

// One document for the print server: a file of the engine's output and where it goes.
struct PrintDocument
{
    QString file; // removed once the server has it, or has refused it
    QString printer;
    QString title;
    QList<QPair<QByteArray, QByteArray>> options; // the server's job options
};

// The options a printer's settings (page size, sides, orientation, copies) give a job.
QList<QPair<QByteArray, QByteArray>> jobOptionsOf(const QPrinter &printer);

// The side of PrintJobs that lives in the thread that talks to the print server.
class PrintServerLink : public QObject
{
    Q_OBJECT
public:
    void submit(const PrintDocument &document);

signals:
    void ended(const QString &printer, int job, bool printed, const QString &reason);

private:
    void poll();

    struct Job
    {
        int id;
        QString printer;
    };
    std::vector<Job> m_jobs;
    QTimer *m_timer = nullptr;
};

// Hands documents to the print server and follows each job to its end. Qt's own way hands the
// document over and drops the server's answer: a job the server refuses, or one that the printer
// fails after the server took it, would pass for printed. The server is asked from a thread of
// its own, so that a slow one never holds the window up.
class PrintJobs : public QObject
{
    Q_OBJECT
public:
    explicit PrintJobs(QObject *parent = nullptr);
    ~PrintJobs() override;

    void submit(const PrintDocument &document);

signals:
    // A job has ended: printed, or not, with the server's or the printer's reason. `job` is 0
    // when the server did not take the document.
    void ended(const QString &printer, int job, bool printed, const QString &reason);

private:
    QThread *m_thread;
    PrintServerLink *m_link; // lives in m_thread
};
