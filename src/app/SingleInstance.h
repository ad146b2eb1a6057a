#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QFileSystemWatcher;
class QLockFile;

namespace stanzary {

// One running program per user: a lock file in the per-user runtime folder.
// The first start holds the lock for its whole run; a later start finds it
// held, asks the running program to come to the front (through a request
// file beside the lock, which the running program watches) and ends. A lock
// that cannot be made at all (a read-only or full folder) does not stop the
// program: it then runs without knowing about others.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        First,          // this run holds the lock
        AlreadyRunning, // another running program holds it
        Unavailable,    // no lock could be made; see error()
    };

    // lockPath: the lock file; empty for the default (instanceLockPath()).
    explicit SingleInstance(const QString &lockPath = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    Claim claim();
    // Why the lock could not be made (Unavailable).
    QString error() const { return m_error; }
    QString lockPath() const { return m_lockPath; }

    // For a second start: asks the program that holds the lock to show its
    // window. False when the request could not be written.
    bool askRunningToShow() const;

signals:
    // A later start asked this (first) run to show its window.
    void showRequested();

private:
    void watchForRequests();
    void takeRequest();

    QString m_lockPath;
    QString m_requestPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QFileSystemWatcher *m_watcher = nullptr;
};

// The default lock: "stanzary.lock" in the per-user runtime folder (the
// temporary folder where there is none).
QString instanceLockPath();

} // namespace stanzary
