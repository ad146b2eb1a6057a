#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <memory>
#include <optional>

class QWidget;

namespace stanzary {

// The application title, used by every box that has no title of its own.
inline QString applicationTitle()
{
    return QStringLiteral("Tunewright Stanzary");
}

enum class MessageIcon { Critical, Question, Information };
enum class Answer { Yes, No, Cancel };

// Every message box, question, text input box, folder chooser, beep and shell
// "open" of the program goes through this one interface, so that tests can
// answer in advance and see what was shown. Boxes are modal. An empty title
// becomes the application title before an implementation sees it.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // A notice with an OK button.
    void message(MessageIcon icon, const QString &title, const QString &text);
    void critical(const QString &title, const QString &text) { message(MessageIcon::Critical, title, text); }
    void information(const QString &title, const QString &text) { message(MessageIcon::Information, title, text); }

    // Yes and No buttons; Yes or No (closing the box counts as No).
    Answer askYesNo(const QString &title, const QString &text, MessageIcon icon = MessageIcon::Question);
    // Yes, No and Cancel buttons; closing the box counts as Cancel.
    Answer askYesNoCancel(const QString &title, const QString &text, MessageIcon icon = MessageIcon::Question);

    // A question with a button for each of buttons ("&Yes", "&No",
    // "&Print..."), the first the default one: the index of the button
    // pressed. Escape or closing the box counts as the button at escape.
    int askChoice(const QString &title, const QString &text, const QStringList &buttons, int escape,
                  MessageIcon icon = MessageIcon::Question);

    // A one-line text input box; nullopt when cancelled.
    std::optional<QString> inputText(const QString &title, const QString &prompt, const QString &defaultText = {});

    // A folder chooser (folders only); the chosen folder, or empty when cancelled.
    QString chooseFolder(const QString &title, const QString &startFolder = {});
    // A chooser of one existing file, offering the files that filter names
    // ("MP3 files (*.mp3)"); the chosen file, or empty when cancelled.
    QString chooseFile(const QString &title, const QString &startFolder, const QString &filter);
    // A chooser of a file to write, offering the files that filter names and
    // starting at suggested (a folder and a file name); the chosen file, or
    // empty when cancelled. It asks nothing about an existing file: the caller
    // does.
    QString chooseSaveFile(const QString &title, const QString &suggested, const QString &filter);
    // One of several items (a list to pick from); its index, or -1 when
    // cancelled.
    int chooseItem(const QString &title, const QString &prompt, const QStringList &items);

    virtual void beep() = 0;

    // The desktop's "open" action on a web address or a file. False when the
    // desktop could not do it (the caller tells the user). A failure that
    // comes later (the desktop's opener started, but could not open it) is
    // told by the dialogs themselves, as "Error opening in browser".
    virtual bool openInShell(const QUrl &target) = 0;

protected:
    virtual void showMessage(MessageIcon icon, const QString &title, const QString &text) = 0;
    virtual Answer showQuestion(bool withCancel, MessageIcon icon, const QString &title, const QString &text) = 0;
    // The index of the button pressed; escape when the box was closed.
    virtual int showChoice(MessageIcon icon, const QString &title, const QString &text, const QStringList &buttons,
                           int escape) = 0;
    virtual std::optional<QString> showInput(const QString &title, const QString &prompt,
                                             const QString &defaultText) = 0;
    virtual QString showFolderChooser(const QString &title, const QString &startFolder) = 0;
    virtual QString showFileChooser(const QString &title, const QString &startFolder, const QString &filter) = 0;
    virtual QString showSaveFileChooser(const QString &title, const QString &suggested, const QString &filter) = 0;
    virtual int showItemChooser(const QString &title, const QString &prompt, const QStringList &items) = 0;
};

// OpenInShell: the desktop's "open" action on a web address; "Error opening
// in browser" (title "Error") when it is no http or https address with a
// host (addresses come from downloaded files) or the desktop refuses.
void OpenInShell(UserDialogs &dialogs, const QString &address);
// The same on a file the program made (a joined-lyrics file).
void OpenFileInShell(UserDialogs &dialogs, const QString &path);

// The real boxes: QMessageBox, QInputDialog, QFileDialog, QApplication::beep
// and the desktop's opener (openWithDesktop). Boxes belong to the active window, else to the
// window given here (which may be null; it is not owned).
class WidgetUserDialogs : public UserDialogs
{
public:
    explicit WidgetUserDialogs(QWidget *parent = nullptr);

    void beep() override;
    bool openInShell(const QUrl &target) override;

protected:
    void showMessage(MessageIcon icon, const QString &title, const QString &text) override;
    Answer showQuestion(bool withCancel, MessageIcon icon, const QString &title, const QString &text) override;
    int showChoice(MessageIcon icon, const QString &title, const QString &text, const QStringList &buttons,
                   int escape) override;
    std::optional<QString> showInput(const QString &title, const QString &prompt, const QString &defaultText) override;
    QString showFolderChooser(const QString &title, const QString &startFolder) override;
    QString showFileChooser(const QString &title, const QString &startFolder, const QString &filter) override;
    QString showSaveFileChooser(const QString &title, const QString &suggested, const QString &filter) override;
    int showItemChooser(const QString &title, const QString &prompt, const QStringList &items) override;

private:
    QWidget *owner() const;
    QPointer<QWidget> m_parent;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0); // expires with this object
};

// For tests: nothing is shown. Answers are queued in advance and used in
// order; every box is recorded with its kind, icon, title and text; beeps
// are counted and shell requests recorded. A box that finds no fitting
// answer queued gets the cautious one (No, Cancel, cancelled input, no
// folder or file) and is noted in scriptErrors(), so a test can tell.
class ScriptedUserDialogs : public UserDialogs
{
public:
    enum class Kind { Message, YesNo, YesNoCancel, Choice, Input, Folder, File, SaveFile, Item };
    struct Shown
    {
        Kind kind;
        MessageIcon icon;
        QString title;
        QString text;        // the message, question or prompt
        QString defaultText; // input box: its default text; folder and file chooser: the start folder;
                             // a file to write: the suggested file; a choice: its buttons, one a line
    };

    void queueAnswer(Answer answer); // for askYesNo and askYesNoCancel
    void queueInput(const std::optional<QString> &text);
    void queueFolder(const QString &folder); // empty = cancelled
    void queueFile(const QString &file);     // empty = cancelled
    void queueSaveFile(const QString &file); // empty = cancelled
    void queueChoice(int button);            // for askChoice; -1 = the box closed
    void queueItem(int index);               // -1 = cancelled
    void queueShellResult(bool opened);      // default when none queued: true

    const QList<Shown> &shown() const { return m_shown; }
    // Only the notices (Kind::Message).
    QList<Shown> messages() const;
    const Shown &last() const { return m_shown.constLast(); }
    int beeps() const { return m_beeps; }
    const QList<QUrl> &openedInShell() const { return m_opened; }
    const QStringList &scriptErrors() const { return m_errors; }
    // Queued answers nobody asked for yet.
    int pendingAnswers() const;
    void clearRecord();

    void beep() override { ++m_beeps; }
    bool openInShell(const QUrl &target) override;

protected:
    void showMessage(MessageIcon icon, const QString &title, const QString &text) override;
    Answer showQuestion(bool withCancel, MessageIcon icon, const QString &title, const QString &text) override;
    int showChoice(MessageIcon icon, const QString &title, const QString &text, const QStringList &buttons,
                   int escape) override;
    std::optional<QString> showInput(const QString &title, const QString &prompt, const QString &defaultText) override;
    QString showFolderChooser(const QString &title, const QString &startFolder) override;
    QString showFileChooser(const QString &title, const QString &startFolder, const QString &filter) override;
    QString showSaveFileChooser(const QString &title, const QString &suggested, const QString &filter) override;
    int showItemChooser(const QString &title, const QString &prompt, const QStringList &items) override;

private:
    // The next queued answer, or fallback with missing noted among the
    // script's errors when none is left.
    template <typename T, typename Fallback>
    T takeQueued(std::deque<T> &queue, Fallback fallback, const QString &missing)
    {
        if (queue.empty()) {
            m_errors.append(missing);
            return T(fallback);
        }
        T next = queue.front();
        queue.pop_front();
        return next;
    }

    std::deque<Answer> m_answers;
    std::deque<int> m_items;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<QString> m_folders;
    std::deque<QString> m_files;
    std::deque<QString> m_saveFiles;
    std::deque<int> m_choices;
    std::deque<bool> m_shellResults;
    QList<Shown> m_shown;
    QList<QUrl> m_opened;
    QStringList m_errors;
    int m_beeps = 0;
};

} // namespace stanzary
