#include "app/SingleInstance.h"

#include "FakeInstallation.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace stanzary;

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    // Tests run with a runtime folder of their own, which Qt accepts only
    // when no one else may enter it; otherwise they would share the
    // system's, and a running program's lock.
    void testsHaveTheirOwnRuntimeFolder()
    {
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                 qEnvironmentVariable("XDG_RUNTIME_DIR"));
    }

    void secondStartAsksTheFirstToShow()
    {
        QTemporaryDir tmp;
        const QString lock = tmp.path() + QStringLiteral("/stanzary.lock");
        SingleInstance first(lock);
        QCOMPARE(first.claim(), SingleInstance::Claim::First);
        QSignalSpy shown(&first, &SingleInstance::showRequested);

        SingleInstance second(lock);
        QCOMPARE(second.claim(), SingleInstance::Claim::AlreadyRunning);
        QVERIFY(second.askRunningToShow());
        QVERIFY(shown.wait(5000));
        QCOMPARE(shown.size(), 1);
    }

    void aLockThatCannotBeMadeDoesNotStopTheProgram()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString notAFolder = inst.writeFile(QStringLiteral("file"), "x");
        SingleInstance instance(notAFolder + QStringLiteral("/stanzary.lock"));
        QCOMPARE(instance.claim(), SingleInstance::Claim::Unavailable);
        QVERIFY(!instance.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
