#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The address history of the browser windows, most recent first. One list serves every
// browser window, so a save never drops what another window added. It is kept in "h.dat" in
// the program's data folder: one address a line, oldest first, UTF-8.
class BrowserHistory : public QObject {
    Q_OBJECT
public:
    explicit BrowserHistory(QObject* parent = nullptr);

    // The list every browser window shows; read from the data folder on first use.
    static BrowserHistory* Shared();
    // Forgets the shared list, so that the next Shared() reads the file again.
    static void ResetShared();

    const QStringList& Entries() const { return m_entries; }

    // Replaces the list with the file's lines: whole lines, oldest first, each without line
    // feeds, carriage returns and spaces; empty lines and lines over 64 KiB are skipped. A file
    // that is not valid UTF-8 is read as Windows-1252. A missing file leaves the list empty.
    void Load(const QString& path);
    // Writes the list through a temporary file, readable by the owner only. False (and the old
    // file kept) when it could not be written.
    bool Save(const QString& path) const;

    // Enter in the address box with text: the entry to keep ("http://" put in front when no
    // known scheme appears in it), moved or added to the top. Returns the entry.
    QString AddEntered(const QString& text);
    // An item chosen from the list goes to the top, its earlier copy removed.
    void AddChosen(const QString& url);

    // "h.dat" in the program's data folder; empty when the program has none.
    static QString FilePath();
    // Load or save the shared list at FilePath(); without a data folder nothing is read or
    // written (the list starts empty, a save returns false).
    void LoadFromDataFolder();
    bool SaveToDataFolder() const;

signals:
    void changed();

private:
    QStringList m_entries;
};
