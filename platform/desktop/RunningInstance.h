#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
namespace FileSystem {
class FolderHold;
}

// One Torvane per program folder and user: two windows would fight over the torvane.ini beside
// the program. A Torvane started while another of its program folder runs hands it the files
// it was given, and ends. The one that runs listens on a local socket in the user's runtime
// folder, named after its program folder, so that two program folders never meet; it holds a
// lock beside it from the start, so that of two started at the same instant one serves and
// the other hands over to it, and a socket left by one that was killed is known for dead.
class RunningInstance : public QObject
{
    Q_OBJECT

public:
    explicit RunningInstance(const QString& programFolder, QObject* parent = nullptr);
    ~RunningInstance() override;

    enum class Start {
        HandedOver, // a running Torvane took the files: this one ends
        First,      // none runs: this one is to serve, once it has a window to give files to
        Alone,      // none could be reached nor made: this one runs on its own
    };
    // Hands the absolute paths (none: only come to the front) to the running Torvane of the
    // program folder, or makes this one the one that will listen. One that holds the lock but
    // does not listen yet is starting: it is waited for, a few seconds at most.
    Start handOver(const QStringList& paths);

    // Takes the paths of later starts, after handOver said First; false when it cannot.
    bool listen();
    // Takes no more: the window they went to is gone.
    void close();

    // The socket's full path; empty without a runtime folder.
    const QString& serverName() const { return mName; }

signals:
    // What a later start was given, in its event loop; empty when it was given no file.
    void received(const QStringList& paths);

private:
    enum class Delivery { Taken, NotTaken };
    Delivery deliver(const QByteArray& message) const;
    void accept();
    void take(QLocalSocket* peer);

    QString mName;
    QString mLockFolder;
    std::unique_ptr<FileSystem::FolderHold> mHold;
    QLocalServer* mServer = nullptr;
};
