#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace stanzary::test {

// Builds a fake Tunewright installation inside a folder the test owns (a
// QTemporaryDir), so that a test states only what it needs. Paths returned
// end with "/" for folders. Contents are bytes: text in Windows-1252 unless a
// test encodes otherwise (cp1252() below helps).
class FakeInstallation
{
public:
    explicit FakeInstallation(const QString &root);

    QString root() const { return m_root; }
    QString hostPath() const { return m_root; } // "<root>/"
    QString lyricsPath() const { return m_root + QStringLiteral("lyrics/"); }

    // The host's executable placeholder "Tunewright.exe".
    void writeExecutable();
    // "settings.txt" with the given bytes.
    void writeSettings(const QByteArray &content);
    // A lyrics file at key, relative to the lyrics folder ("S/Some Band - X.txt"
    // or "Some Band - X.txt"); missing folders are made. Returns its full path.
    QString addLyrics(const QString &key, const QByteArray &content = QByteArrayLiteral("la la\r\n"));
    // A timestamp file beside the lyrics file at key (".txt" becomes ".kas").
    QString addKas(const QString &key, const QByteArray &content = QByteArrayLiteral(";\r\n"));
    // "kl.dbx" with the given bytes.
    void writeKaraokeIndex(const QByteArray &bytes);
    // Any file below the root, folders made as needed; returns its full path.
    QString writeFile(const QString &relativePath, const QByteArray &content);

private:
    QString m_root;
};

// Text in Windows-1252 bytes (every character must fit).
QByteArray cp1252(const QString &text);

// Reads a whole file; empty when it cannot be read.
QByteArray readAll(const QString &path);

// Makes a file read-only (owner write bit cleared) or writable again.
void setReadOnly(const QString &path, bool readOnly);

// Files and folders made by their names' bytes, which need not be valid in
// the file-system encoding (so no listing can name them), and removed again
// by the same names when this goes.
class RawNamedFiles
{
public:
    ~RawNamedFiles();
    void file(const QByteArray &path); // an empty one
    void folder(const QByteArray &path);

private:
    QList<QByteArray> m_made;
};

} // namespace stanzary::test
