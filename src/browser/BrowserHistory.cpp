#include "BrowserHistory.h"

#include "CWinApp.h"
#include "FileAccess.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

#include <memory>

namespace {

constexpr qint64 kMaxLineBytes = 64 * 1024;

std::unique_ptr<BrowserHistory>& SharedSlot() {
    static std::unique_ptr<BrowserHistory> shared;
    return shared;
}

bool HasKnownScheme(const QString& text) {
    for (const char* scheme : {"http://", "https://", "ftp://", "file://", "res://"}) {
        if (text.contains(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString WithoutTrailingSlashes(QString text) {
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

int IndexOf(const QStringList& list, const QString& text) {
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString DecodeLine(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Older files were written in the 8-bit code page of their machine.
    QStringDecoder legacy("windows-1252");
    if (legacy.isValid())
        return legacy.decode(bytes);
    return QString::fromLatin1(bytes);
}

} // namespace

BrowserHistory::BrowserHistory(QObject* parent) : QObject(parent) {}

BrowserHistory* BrowserHistory::Shared() {
    std::unique_ptr<BrowserHistory>& slot = SharedSlot();
    if (!slot) {
        slot = std::make_unique<BrowserHistory>();
        slot->LoadFromDataFolder();
    }
    return slot.get();
}

void BrowserHistory::ResetShared() {
    SharedSlot().reset();
}

QString BrowserHistory::FilePath() {
    CWinApp* app = CWinApp::Current();
    const QString folder = app ? app->GetDataFolder() : QString();
    if (folder.isEmpty())
        return QString();
    return QDir(folder).filePath(QStringLiteral("h.dat"));
}

void BrowserHistory::LoadFromDataFolder() {
    const QString path = FilePath();
    if (path.isEmpty()) {
        m_entries.clear();
        emit changed();
        return;
    }
    Load(path);
}

bool BrowserHistory::SaveToDataFolder() const {
    // Without a data folder the list lives only as long as the program.
    const QString path = FilePath();
    return !path.isEmpty() && Save(path);
}

void BrowserHistory::Load(const QString& path) {
    QFile file(path);
    QStringList loaded;
    if (file.open(QIODevice::ReadOnly)) {
        // The file is oldest first; the list is built once, most recent first.
        QByteArray line;
        bool tooLong = false;
        const auto finishLine = [&] {
            if (!tooLong) {
                QString text = DecodeLine(line);
                text.remove(QLatin1Char('\n'));
                text.remove(QLatin1Char('\r'));
                text.remove(QLatin1Char(' '));
                if (!text.isEmpty())
                    loaded.append(text);
            }
            line.clear();
            tooLong = false;
        };
        char buffer[16384];
        qint64 got;
        while ((got = file.read(buffer, sizeof buffer)) > 0) {
            qint64 start = 0;
            for (qint64 i = 0; i < got; ++i) {
                if (buffer[i] != '\n')
                    continue;
                if (!tooLong)
                    line.append(buffer + start, i - start);
                if (line.size() > kMaxLineBytes)
                    tooLong = true;
                finishLine();
                start = i + 1;
            }
            if (!tooLong)
                line.append(buffer + start, got - start);
            if (line.size() > kMaxLineBytes) {
                tooLong = true;
                line.clear();
            }
        }
        finishLine();
    }
    std::reverse(loaded.begin(), loaded.end());
    m_entries = loaded;
    emit changed();
}

bool BrowserHistory::Save(const QString& path) const {
    QByteArray bytes;
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it) {
        bytes.append(it->toUtf8());
        bytes.append('\n');
    }
    WriteOptions ownerOnly;
    ownerOnly.keepAccess = false;
    return WriteWholeFile(path, bytes, nullptr, ownerOnly);
}

QString BrowserHistory::AddEntered(const QString& text) {
    const QString entry = HasKnownScheme(text) ? text : QStringLiteral("http://") + text;
    // One earlier copy goes, whether it was kept with a trailing '/' or without.
    const QString trimmed = WithoutTrailingSlashes(entry);
    int found = IndexOf(m_entries, trimmed);
    if (found < 0)
        found = IndexOf(m_entries, trimmed + QLatin1Char('/'));
    if (found >= 0)
        m_entries.removeAt(found);
    m_entries.prepend(entry);
    emit changed();
    return entry;
}

void BrowserHistory::AddChosen(const QString& url) {
    const int found = IndexOf(m_entries, url);
    if (found >= 0)
        m_entries.removeAt(found);
    m_entries.prepend(url);
    emit changed();
}
