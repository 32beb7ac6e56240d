#include "CSecretClipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

const char CSecretClipboard::kHintFormat[] = "x-kde-passwordManagerHint";

CSecretClipboard* CSecretClipboard::Instance() {
    static QPointer<CSecretClipboard> instance;
    if (!instance)
        instance = new CSecretClipboard(QCoreApplication::instance());
    return instance;
}

CSecretClipboard::CSecretClipboard(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDefaultClearDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &CSecretClipboard::ClearNow);
}

void CSecretClipboard::Copy(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QLatin1String(kHintFormat), QByteArrayLiteral("secret"));
    m_offered = data;
    QGuiApplication::clipboard()->setMimeData(data); // the clipboard owns it from here
    m_timer.start();
}

void CSecretClipboard::SetClearDelay(int milliseconds) {
    m_timer.setInterval(milliseconds);
}

void CSecretClipboard::ClearNow() {
    m_timer.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Something copied since then replaced (and deleted) our data: that copy stays.
    if (m_offered && clipboard->mimeData() == m_offered)
        clipboard->clear();
    m_offered = nullptr;
}
