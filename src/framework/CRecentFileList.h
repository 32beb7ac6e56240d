#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The most-recently-used files, newest first, kept in the settings under one section with
// the values File1..FileN.
class CRecentFileList {
public:
    CRecentFileList(const QString& section, const QString& entryFormat, int size);

    int GetSize() const { return m_size; }
    int GetCount() const { return m_files.size(); }
    QString operator[](int index) const { return m_files.value(index); }
    const QStringList& Files() const { return m_files; }

    // Moves path to the front, dropping the oldest entry beyond the size.
    void Add(const QString& path);
    void Remove(int index);

    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;

private:
    QString EntryName(int index) const;

    QString m_section;
    QString m_entryFormat;
    int m_size;
    QStringList m_files;
};
