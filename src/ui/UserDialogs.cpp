#include "ui/UserDialogs.h"

#include "app/SongCommands.h"
#include "ui/DesktopOpener.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace stanzary {

namespace {

QString effectiveTitle(const QString &title)
{
    return title.isEmpty() ? applicationTitle() : title;
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: break;
    }
    return QMessageBox::Information;
}

void reportShellFailure(UserDialogs &dialogs)
{
    dialogs.critical(QStringLiteral("Error"), QStringLiteral("Error opening in browser"));
}

} // namespace

void OpenInShell(UserDialogs &dialogs, const QString &address)
{
    const std::optional<QUrl> url = webAddress(address);
    if (!url || !dialogs.openInShell(*url))
        reportShellFailure(dialogs);
}

void OpenFileInShell(UserDialogs &dialogs, const QString &path)
{
    if (!dialogs.openInShell(QUrl::fromLocalFile(path)))
        reportShellFailure(dialogs);
}

// ---- UserDialogs ------------------------------------------------------------

void UserDialogs::message(MessageIcon icon, const QString &title, const QString &text)
{
    showMessage(icon, effectiveTitle(title), text);
}

Answer UserDialogs::askYesNo(const QString &title, const QString &text, MessageIcon icon)
{
    const Answer a = showQuestion(false, icon, effectiveTitle(title), text);
    return a == Answer::Yes ? Answer::Yes : Answer::No;
}

Answer UserDialogs::askYesNoCancel(const QString &title, const QString &text, MessageIcon icon)
{
    return showQuestion(true, icon, effectiveTitle(title), text);
}

int UserDialogs::askChoice(const QString &title, const QString &text, const QStringList &buttons, int escape,
                           MessageIcon icon)
{
    const int chosen = showChoice(icon, effectiveTitle(title), text, buttons, escape);
    return chosen >= 0 && chosen < buttons.size() ? chosen : escape;
}

std::optional<QString> UserDialogs::inputText(const QString &title, const QString &prompt, const QString &defaultText)
{
    return showInput(effectiveTitle(title), prompt, defaultText);
}

QString UserDialogs::chooseFolder(const QString &title, const QString &startFolder)
{
    return showFolderChooser(effectiveTitle(title), startFolder);
}

QString UserDialogs::chooseFile(const QString &title, const QString &startFolder, const QString &filter)
{
    return showFileChooser(effectiveTitle(title), startFolder, filter);
}

QString UserDialogs::chooseSaveFile(const QString &title, const QString &suggested, const QString &filter)
{
    return showSaveFileChooser(effectiveTitle(title), suggested, filter);
}

int UserDialogs::chooseItem(const QString &title, const QString &prompt, const QStringList &items)
{
    return showItemChooser(effectiveTitle(title), prompt, items);
}

// ---- WidgetUserDialogs ------------------------------------------------------

WidgetUserDialogs::WidgetUserDialogs(QWidget *parent) : m_parent(parent) {}

QWidget *WidgetUserDialogs::owner() const
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_parent.data();
}

void WidgetUserDialogs::showMessage(MessageIcon icon, const QString &title, const QString &text)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText); // names from files are never markup
    box.exec();
}

Answer WidgetUserDialogs::showQuestion(bool withCancel, MessageIcon icon, const QString &title, const QString &text)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(boxIcon(icon), title, text, buttons, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return withCancel ? Answer::Cancel : Answer::No;
    }
}

int WidgetUserDialogs::showChoice(MessageIcon icon, const QString &title, const QString &text,
                                  const QStringList &buttons, int escape)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::NoButton, owner());
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton *> pressable;
    for (qsizetype i = 0; i < buttons.size(); ++i)
        pressable.append(box.addButton(buttons.at(i), i == escape ? QMessageBox::RejectRole : QMessageBox::ActionRole));
    if (pressable.isEmpty())
        return escape;
    box.setDefaultButton(pressable.constFirst());
    if (escape >= 0 && escape < pressable.size())
        box.setEscapeButton(pressable.at(escape));
    box.exec();
    const qsizetype pressed = pressable.indexOf(box.clickedButton());
    return pressed >= 0 ? int(pressed) : escape;
}

std::optional<QString> WidgetUserDialogs::showInput(const QString &title, const QString &prompt,
                                                    const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString WidgetUserDialogs::showFolderChooser(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner(), title, startFolder, QFileDialog::ShowDirsOnly);
}

QString WidgetUserDialogs::showFileChooser(const QString &title, const QString &startFolder, const QString &filter)
{
    return QFileDialog::getOpenFileName(owner(), title, startFolder, filter);
}

QString WidgetUserDialogs::showSaveFileChooser(const QString &title, const QString &suggested, const QString &filter)
{
    return QFileDialog::getSaveFileName(owner(), title, suggested, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

int WidgetUserDialogs::showItemChooser(const QString &title, const QString &prompt, const QStringList &items)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(owner(), title, prompt, items, 0, false, &ok);
    return ok ? int(items.indexOf(item)) : -1;
}

void WidgetUserDialogs::beep()
{
    QApplication::beep();
}

bool WidgetUserDialogs::openInShell(const QUrl &target)
{
    if (!target.isValid() || target.isEmpty())
        return false;
    // The opener may fail after it started: told as a refusal would be, with
    // the reason, unless these dialogs are gone by then.
    return openWithDesktop(target, [this, alive = std::weak_ptr<int>(m_alive)](const QString &reason) {
        if (!alive.expired())
            critical(QStringLiteral("Error"), QStringLiteral("Error opening in browser\n\n") + reason + u'.');
    });
}

// ---- ScriptedUserDialogs ----------------------------------------------------

void ScriptedUserDialogs::queueAnswer(Answer answer)
{
    m_answers.push_back(answer);
}

void ScriptedUserDialogs::queueInput(const std::optional<QString> &text)
{
    m_inputs.push_back(text);
}

void ScriptedUserDialogs::queueFolder(const QString &folder)
{
    m_folders.push_back(folder);
}

void ScriptedUserDialogs::queueFile(const QString &file)
{
    m_files.push_back(file);
}

void ScriptedUserDialogs::queueSaveFile(const QString &file)
{
    m_saveFiles.push_back(file);
}

void ScriptedUserDialogs::queueChoice(int button)
{
    m_choices.push_back(button);
}

void ScriptedUserDialogs::queueItem(int index)
{
    m_items.push_back(index);
}

void ScriptedUserDialogs::queueShellResult(bool opened)
{
    m_shellResults.push_back(opened);
}

QList<ScriptedUserDialogs::Shown> ScriptedUserDialogs::messages() const
{
    QList<Shown> out;
    for (const Shown &s : m_shown) {
        if (s.kind == Kind::Message)
            out.append(s);
    }
    return out;
}

int ScriptedUserDialogs::pendingAnswers() const
{
    return static_cast<int>(m_answers.size() + m_inputs.size() + m_folders.size() + m_files.size() + m_saveFiles.size()
                            + m_choices.size() + m_items.size() + m_shellResults.size());
}

void ScriptedUserDialogs::clearRecord()
{
    m_shown.clear();
    m_opened.clear();
    m_errors.clear();
    m_beeps = 0;
}

void ScriptedUserDialogs::showMessage(MessageIcon icon, const QString &title, const QString &text)
{
    m_shown.append({Kind::Message, icon, title, text, {}});
}

Answer ScriptedUserDialogs::showQuestion(bool withCancel, MessageIcon icon, const QString &title, const QString &text)
{
    m_shown.append({withCancel ? Kind::YesNoCancel : Kind::YesNo, icon, title, text, {}});
    const Answer cautious = withCancel ? Answer::Cancel : Answer::No;
    if (m_answers.empty()) {
        m_errors.append(QStringLiteral("no answer queued for: ") + text);
        return cautious;
    }
    const Answer a = m_answers.front();
    m_answers.pop_front();
    if (a == Answer::Cancel && !withCancel) {
        m_errors.append(QStringLiteral("Cancel queued for a Yes/No question: ") + text);
        return cautious;
    }
    return a;
}

int ScriptedUserDialogs::showChoice(MessageIcon icon, const QString &title, const QString &text,
                                    const QStringList &buttons, int escape)
{
    m_shown.append({Kind::Choice, icon, title, text, buttons.join(u'\n')});
    return takeQueued(m_choices, escape, QStringLiteral("no choice queued for: ") + text);
}

std::optional<QString> ScriptedUserDialogs::showInput(const QString &title, const QString &prompt,
                                                      const QString &defaultText)
{
    m_shown.append({Kind::Input, MessageIcon::Question, title, prompt, defaultText});
    // Not through takeQueued: GCC 12 then warns of an uninitialised QString.
    if (m_inputs.empty()) {
        m_errors.append(QStringLiteral("no input queued for: ") + prompt);
        return std::nullopt;
    }
    const std::optional<QString> text = m_inputs.front();
    m_inputs.pop_front();
    return text;
}

QString ScriptedUserDialogs::showFolderChooser(const QString &title, const QString &startFolder)
{
    m_shown.append({Kind::Folder, MessageIcon::Question, title, QString(), startFolder});
    return takeQueued(m_folders, QString(), QStringLiteral("no folder queued for: ") + title);
}

QString ScriptedUserDialogs::showFileChooser(const QString &title, const QString &startFolder, const QString &filter)
{
    m_shown.append({Kind::File, MessageIcon::Question, title, filter, startFolder});
    return takeQueued(m_files, QString(), QStringLiteral("no file queued for: ") + title);
}

QString ScriptedUserDialogs::showSaveFileChooser(const QString &title, const QString &suggested, const QString &filter)
{
    m_shown.append({Kind::SaveFile, MessageIcon::Question, title, filter, suggested});
    return takeQueued(m_saveFiles, QString(), QStringLiteral("no file to write queued for: ") + title);
}

int ScriptedUserDialogs::showItemChooser(const QString &title, const QString &prompt, const QStringList &items)
{
    m_shown.append({Kind::Item, MessageIcon::Question, title, prompt, items.join(u'\n')});
    const int index = takeQueued(m_items, -1, QStringLiteral("no item queued for: ") + title);
    return index < items.size() ? index : -1;
}

bool ScriptedUserDialogs::openInShell(const QUrl &target)
{
    m_opened.append(target);
    if (m_shellResults.empty())
        return true;
    const bool result = m_shellResults.front();
    m_shellResults.pop_front();
    return result;
}

} // namespace stanzary
