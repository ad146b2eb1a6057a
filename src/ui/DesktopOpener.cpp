#include "ui/DesktopOpener.h"

#include <QDesktopServices>
#include <QList>
#include <QProcess>
#include <QStandardPaths>

namespace stanzary {

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)

// What xdg-open's exit codes mean.
QString exitReason(int code)
{
    switch (code) {
    case 1: return QStringLiteral("the desktop's opener did not understand the address");
    case 2: return QStringLiteral("the file does not exist");
    case 3: return QStringLiteral("the desktop has no program to open it");
    case 4: return QStringLiteral("the program that was to open it failed");
    default: break;
    }
    return QStringLiteral("the desktop's opener ended with code %1").arg(code);
}

// Openers still running. They are never deleted while they run: deleting a
// QProcess kills its program, and with it perhaps the browser it waits for.
// A root of its own keeps them reachable until the program ends.
QList<QProcess *> *runningOpeners()
{
    static auto *running = new QList<QProcess *>;
    return running;
}

bool runOpener(const QString &opener, const QUrl &target, const std::function<void(const QString &)> &onFailure)
{
    auto *process = new QProcess;
    process->setProgram(opener);
    process->setArguments({target.isLocalFile() ? target.toLocalFile() : target.toString(QUrl::FullyEncoded)});
    // No pipes: the browser the opener starts may write for as long as it
    // runs, and would block on a pipe nobody reads any more.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const auto done = [process] {
        runningOpeners()->removeOne(process);
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, onFailure, done](int code, QProcess::ExitStatus status) {
                         done();
                         if (status == QProcess::CrashExit)
                             onFailure(QStringLiteral("the desktop's opener stopped unexpectedly"));
                         else if (code != 0)
                             onFailure(exitReason(code));
                     });
    runningOpeners()->append(process);
    process->start();
    if (!process->waitForStarted()) {
        runningOpeners()->removeOne(process);
        delete process;
        return false;
    }
    return true;
}

#endif

} // namespace

bool openWithDesktop(const QUrl &target, const std::function<void(const QString &reason)> &onFailure)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return runOpener(opener, target, onFailure);
#else
    Q_UNUSED(onFailure);
#endif
    return QDesktopServices::openUrl(target);
}

} // namespace stanzary
