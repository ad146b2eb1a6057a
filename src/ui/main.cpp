#include "app/Manifest.h"
#include "app/ProgramArguments.h"
#include "audio/AudioBackend.h"
#include "platform/DurableFile.h"
#include "ui/StanzaryApp.h"
#include "ui/UserDialogs.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = stanzary::answerInfoRequest(argc, argv))
        return *status;
    // A file-size limit then makes a write fail with an error that the writer
    // handles (tagging puts the old tail back) instead of ending the program
    // in the middle of it.
    stanzary::ignoreFileSizeSignal();
    QApplication app(argc, argv);
    stanzary::setApplicationIdentity();
    stanzary::startAudio(); // before any window makes a player

    stanzary::WidgetUserDialogs dialogs;
    stanzary::StanzaryApp stanzaryApp(dialogs);
    stanzary::StartOptions options;
    options.programDir = QCoreApplication::applicationDirPath();
    options.programBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    options.arguments = QCoreApplication::arguments().mid(1);
    options.windowsVersion = stanzary::GetWindowsVersion();
    if (!stanzaryApp.Main(options))
        return 0;
    QObject::connect(stanzaryApp.mainWindow(), &stanzary::frmMain::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    app.setQuitOnLastWindowClosed(false);
    return app.exec();
}
