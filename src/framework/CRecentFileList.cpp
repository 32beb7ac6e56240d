#include "CRecentFileList.h"

#include <QSettings>

CRecentFileList::CRecentFileList(const QString& section, const QString& entryFormat, int size)
    : m_section(section), m_entryFormat(entryFormat), m_size(qMax(size, 0)) {}

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty() || m_size == 0)
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_size)
        m_files.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

QString CRecentFileList::EntryName(int index) const {
    return m_section + QLatin1Char('/') + m_entryFormat.arg(index + 1);
}

void CRecentFileList::ReadList(QSettings& settings) {
    m_files.clear();
    for (int i = 0; i < m_size; ++i) {
        const QString path = settings.value(EntryName(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files.append(path);
    }
}

void CRecentFileList::WriteList(QSettings& settings) const {
    for (int i = 0; i < m_size; ++i) {
        if (i < m_files.size())
            settings.setValue(EntryName(i), m_files.at(i));
        else
            settings.remove(EntryName(i));
    }
}
