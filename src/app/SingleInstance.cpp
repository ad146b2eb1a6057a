#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QStandardPaths>

namespace stanzary {

QString instanceLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/stanzary.lock");
}

SingleInstance::SingleInstance(const QString &lockPath, QObject *parent)
    : QObject(parent), m_lockPath(lockPath.isEmpty() ? instanceLockPath() : lockPath),
      m_requestPath(m_lockPath + QStringLiteral(".show"))
{}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // No age limit: a long-running program keeps its lock, while a lock left
    // by a process that no longer runs is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        watchForRequests();
        return Claim::First;
    }
    switch (m_lock->error()) {
    case QLockFile::LockFailedError: return Claim::AlreadyRunning;
    case QLockFile::PermissionError: m_error = QStringLiteral("the folder cannot be written"); break;
    case QLockFile::NoError:
    case QLockFile::UnknownError: m_error = QStringLiteral("the lock file cannot be created"); break;
    }
    return Claim::Unavailable;
}

void SingleInstance::watchForRequests()
{
    QFile::remove(m_requestPath); // one left from an earlier run
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(QFileInfo(m_lockPath).absolutePath());
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &SingleInstance::takeRequest);
}

void SingleInstance::takeRequest()
{
    if (QFile::remove(m_requestPath))
        emit showRequested();
}

bool SingleInstance::askRunningToShow() const
{
    QFile request(m_requestPath);
    return request.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

} // namespace stanzary
