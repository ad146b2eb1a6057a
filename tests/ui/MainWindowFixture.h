#pragma once

// A started Stanzary on a fake installation, for the main window's tests.

#include "FakeInstallation.h"
#include "FindControl.h"
#include "ui/ElidedLabel.h"
#include "ui/NodeTreeModel.h"
#include "ui/StanzaryApp.h"
#include "ui/UserDialogs.h"
#include "ui/frmMain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace stanzary::test {

class StartedApp
{
public:
    // prepare fills the installation before the program starts; the
    // installation is the temporary folder, or its subfolder rootName.
    explicit StartedApp(const std::function<void(FakeInstallation &)> &prepare, const QStringList &arguments = {},
                        const QString &lockPath = {}, const QString &rootName = {})
        : install(rootName.isEmpty() ? dir.path() : dir.path() + u'/' + rootName)
    {
        install.writeExecutable();
        install.writeSettings("[SingleDir]=0\r\n");
        prepare(install);
        app = std::make_unique<StanzaryApp>(dialogs);
        StartOptions options;
        options.programDir = install.root();
        options.programBaseName = QStringLiteral("stanzary");
        options.arguments = arguments;
        options.lockPath = lockPath;
        started = app->Main(options);
        if (started)
            QVERIFY(QTest::qWaitForWindowExposed(window()));
    }

    frmMain *window() const { return app->mainWindow(); }
    basMain &state() const { return app->state(); }
    // A control of the main window by its name, as automation finds it.
    template <typename T>
    T *child(const char *name) const
    {
        return findControl<T>(window(), name);
    }
    QTreeView *tree() const { return child<QTreeView>("lista"); }
    QLineEdit *searchBox() const { return child<QLineEdit>("txtSearch"); }
    QLabel *countLine() const { return child<QLabel>("lblSearchResults"); }
    QPlainTextEdit *lyricsBox() const { return child<QPlainTextEdit>("lyrics"); }

    QModelIndex indexOf(const QString &key) const
    {
        const auto *model = static_cast<const NodeTreeModel *>(tree()->model());
        return model->indexOfPosition(state().nodes.positionOf(key));
    }
    // A mouse click on the node with key, as a user makes it.
    void click(const QString &key) const
    {
        const QModelIndex index = indexOf(key);
        tree()->scrollTo(index);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualRect(index).center());
    }
    // Expands the artist and clicks the song with key.
    void clickSong(const QString &key) const
    {
        const QModelIndex index = indexOf(key);
        tree()->expand(index.parent());
        click(key);
    }
    // A label's whole text (a value label may show it cut short).
    QString label(const char *name) const
    {
        auto *l = child<QLabel>(name);
        if (auto *elided = qobject_cast<ElidedLabel *>(l))
            return elided->fullText();
        return l->text();
    }
    QAction *button(const char *key) const { return child<QAction>(key); }

    QTemporaryDir dir;
    FakeInstallation install;
    ScriptedUserDialogs dialogs;
    std::unique_ptr<StanzaryApp> app;
    bool started = false;
};

} // namespace stanzary::test
