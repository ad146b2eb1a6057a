#pragma once

#include "platform/CodePage.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace stanzary {

// One list of song entries ("Artist - Song"), in insertion order; duplicates
// and empty entries are allowed, comparisons are exact (case-sensitive).
// Every change that really changes the list is announced by changed().
class SongList : public QObject
{
    Q_OBJECT

public:
    explicit SongList(QObject *parent = nullptr);

    QStringList entries() const { return m_entries; }
    int size() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // The entry at i, or an empty string outside 0..size()-1.
    QString at(int i) const { return m_entries.value(i); }
    bool contains(const QString &entry) const { return m_entries.contains(entry); }

    void append(const QString &entry);
    // Removes every entry equal to entry; returns how many went.
    int removeAll(const QString &entry);
    // Removes the entry at i; an index outside the list does nothing.
    void removeAt(int i);
    void clear();
    // Replaces the whole content (one changed()).
    void assign(const QStringList &entries);

signals:
    void changed(); // after every change (the list's file is rewritten then)

private:
    QStringList m_entries;
};

// The redownload and deleted lists and their files ("redownload.txt",
// "deleted.txt", entries each followed by CR LF, in the host's code page).
//
// After LoadLists every change of a list rewrites its file at once (through
// a safe write), so a crash loses nothing; an empty list deletes its file.
// A list file that exists but cannot be read is never written or deleted
// during the run, so its content is not lost. Not copyable (the lists'
// signals are connected to this object).
class SongLists
{
public:
    SongLists();
    SongLists(const SongLists &) = delete;
    SongLists &operator=(const SongLists &) = delete;

    SongList redownload; // "redownload.txt"
    SongList deleted;    // "deleted.txt"

    // programDir: the running program's folder. The lists live there when it
    // is writable and not a folder installed programs are put in (/usr/bin,
    // /usr/local/bin, ~/.local/bin and the like), else in the per-user data folder
    // (QStandardPaths::AppDataLocation, made when missing). A missing list
    // file is created empty.
    void LoadLists(const QString &programDir, const CodePage &codePage);
    // Writes both lists (an empty list deletes its file). Does nothing before
    // LoadLists.
    void SaveLists();
    // The folder the list files are in, ending with "/"; empty before LoadLists.
    QString folder() const { return m_folder; }

    // The folder LoadLists chooses for programDir.
    static QString listsFolderFor(const QString &programDir);

    // The list files the last LoadLists could not read ("deleted.txt: it is
    // not a regular file"). Such a file is kept as it is for the whole run.
    QStringList readErrors() const { return m_readErrors; }
    // Called on every failed write with the file's path and the reason.
    std::function<void(const QString &path, const QString &reason)> onWriteFailed;

private:
    struct ListFile
    {
        SongList *list;
        QString fileName;
        bool readable = true;
    };

    void loadList(ListFile &file);
    bool writeList(const ListFile &file); // false when it failed (reported)
    void reportFailure(const QString &path, const QString &reason);

    ListFile m_files[2];
    QString m_folder;
    CodePage m_codePage;
    bool m_loading = false;
    QStringList m_readErrors;
};

// The entries a list file's text holds: nothing when it is empty apart from
// spaces, else every line before the last line end (CR LF, or a bare LF),
// empty lines included.
QStringList parseListText(const QString &text);

// A list file's text: every entry followed by CR LF.
QString listFileText(const QStringList &entries);

} // namespace stanzary
