// The Screen Lock Settings dialog, the welcome page and the About box, driven offscreen.
#include "ShellTestSupport.h"

#include "CAboutDlg.h"
#include "CEditorApp.h"
#include "CMainFrame.h"
#include "CScreenLockSettingsDlg.h"
#include "CWelcomeDlg.h"
#include "LockSettings.h"
#include "LockSettingsFile.h"
#include "resource.h"

#include "DialogScript.h"
#include "TickClock.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

quint32 g_now = 0;

// Runs the idle check at once instead of waiting for its timer.
template <class Dialog> class Idle : public Dialog {
public:
    using Dialog::Dialog;
    using Dialog::OnIdleCheck;
};

template <class T = QWidget> T* Item(QWidget* dialog, int id) {
    return qobject_cast<T*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
}

// Presses the button once the current step has returned, so that a message it opens is the
// script's next dialog.
void ClickLater(QAbstractButton* button) {
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

// Shows the dialog with the script answering; a watchdog ends whatever a failed step left
// open so that a fault fails the test instead of hanging it.
template <class Dialog> int Run(Dialog& dialog, DialogScript& /*answering*/) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        while (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            modal->done(-1);
    });
    watchdog.start(15000);
    return dialog.DoModal();
}

struct MessageSeen {
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    bool seen = false;
};

DialogScript::Step AnswerMessage(MessageSeen& seen) {
    return [&seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return;
        seen.seen = true;
        seen.text = box->text();
        seen.icon = box->icon();
        box->done(QMessageBox::Ok);
    };
}

struct Fields {
    bool lockEnabled = false;
    bool atStartup = false;
    bool passwordEnabled = false;
    int timeoutIndex = 0;
    QString password;
    QString confirm;
    QString prompt;
};

void Fill(QWidget* w, const Fields& f) {
    Item<QCheckBox>(w, IDC_LOCK_ENABLED)->setChecked(f.lockEnabled);
    Item<QCheckBox>(w, IDC_LOCK_AT_STARTUP)->setChecked(f.atStartup);
    Item<QCheckBox>(w, IDC_LOCK_PASSWORD_ENABLED)->setChecked(f.passwordEnabled);
    Item<QComboBox>(w, IDC_LOCK_TIMEOUT)->setCurrentIndex(f.timeoutIndex);
    Item<QLineEdit>(w, IDC_LOCK_PASSWORD)->setText(f.password);
    Item<QLineEdit>(w, IDC_LOCK_CONFIRM)->setText(f.confirm);
    Item<QLineEdit>(w, IDC_LOCK_PROMPT)->setText(f.prompt);
}

// A record with every field set and a marker in the reserved bytes.
LockSettings SampleRecord() {
    QByteArray bytes(LockSettings::kSize, '\0');
    bytes[7] = 'R';
    bytes[1000] = 'S';
    LockSettings record;
    record.FromBytes(bytes);
    record.setLockEnabled(1);
    record.setTimeoutIndex(2);
    record.setScreenPassword("old secret");
    record.setPasswordEnabled(1);
    record.setPromptText("Back soon");
    return record;
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestLockDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void enablingRules_data();
    void enablingRules();
    void okStoresEveryField_data();
    void okStoresEveryField();
    void savedFileIsOwnerOnly();
    void failedSaveSaysWhy_data();
    void failedSaveSaysWhy();
    void mismatchKeepsOpen();
    void textsCut_data();
    void textsCut();
    void refusedAtOk_data();
    void refusedAtOk();
    void idleTimeList_data();
    void idleTimeList();
    void damagedIndexShowsShortest();

    void welcomeSwitch_data();
    void welcomeSwitch();
    void welcomeWebStaysOpen();
    void aboutTexts();

    void lockClosesDialog_data();
    void lockClosesDialog();
    void lockClosesMessageWithDialog();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CActivityHost> m_host;
};

void TestLockDialogs::initTestCase() {
    TickClock::SetSource([] { return g_now; });
}

void TestLockDialogs::cleanupTestCase() {
    TickClock::SetSource({});
}

void TestLockDialogs::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
    g_now = 5000000;
    m_host = std::make_unique<CActivityHost>();
    m_host->m_timeoutSeconds = 60;
}

void TestLockDialogs::cleanup() {
    m_host.reset();
    m_dir.reset();
}

// ---- Screen Lock Settings

void TestLockDialogs::enablingRules_data() {
    QTest::addColumn<bool>("idleLock");
    QTest::addColumn<bool>("startupLock");
    QTest::addColumn<bool>("passwordOn");
    QTest::addColumn<bool>("listEnabled");
    QTest::addColumn<bool>("switchAndPromptEnabled");
    QTest::addColumn<bool>("passwordFieldsEnabled");
    QTest::newRow("nothing") << false << false << false << false << false << false;
    QTest::newRow("password only") << false << false << true << false << false << false;
    QTest::newRow("start-up") << false << true << false << false << true << false;
    QTest::newRow("start-up, password") << false << true << true << false << true << true;
    QTest::newRow("idle") << true << false << false << true << true << false;
    QTest::newRow("idle, password") << true << false << true << true << true << true;
    QTest::newRow("both") << true << true << false << true << true << false;
    QTest::newRow("both, password") << true << true << true << true << true << true;
}

void TestLockDialogs::enablingRules() {
    QFETCH(bool, idleLock);
    QFETCH(bool, startupLock);
    QFETCH(bool, passwordOn);
    QFETCH(bool, listEnabled);
    QFETCH(bool, switchAndPromptEnabled);
    QFETCH(bool, passwordFieldsEnabled);

    const auto check = [&](QWidget* w, const char* how) {
        const QString where = QString::fromLatin1(how);
        QVERIFY2(Item(w, IDC_LOCK_TIMEOUT)->isEnabled() == listEnabled, qPrintable(where));
        QVERIFY2(Item(w, IDC_LOCK_PASSWORD_ENABLED)->isEnabled() == switchAndPromptEnabled,
                 qPrintable(where));
        QVERIFY2(Item(w, IDC_LOCK_PROMPT)->isEnabled() == switchAndPromptEnabled,
                 qPrintable(where));
        QVERIFY2(Item(w, IDC_LOCK_PASSWORD)->isEnabled() == passwordFieldsEnabled,
                 qPrintable(where));
        QVERIFY2(Item(w, IDC_LOCK_CONFIRM)->isEnabled() == passwordFieldsEnabled,
                 qPrintable(where));
    };

    // As the record is shown.
    LockSettings shown;
    shown.setLockEnabled(idleLock);
    shown.setLockAtStartup(startupLock);
    shown.setPasswordEnabled(passwordOn);
    shown.setScreenPassword("pw");
    {
        CScreenLockSettingsDlg dlg(shown);
        DialogScript script;
        script.Then([&](QWidget* w) {
            check(w, "at start");
            QTest::keyClick(w, Qt::Key_Escape);
        });
        QCOMPARE(Run(dlg, script), int(IDCANCEL));
        QTRY_VERIFY(script.Finished());
    }

    // Reached by clicking, from the opposite lock state.
    LockSettings clicked;
    clicked.setLockEnabled(!idleLock);
    clicked.setLockAtStartup(!startupLock);
    clicked.setPasswordEnabled(passwordOn);
    CScreenLockSettingsDlg dlg(clicked);
    DialogScript script;
    script.Then([&](QWidget* w) {
        Item<QCheckBox>(w, IDC_LOCK_ENABLED)->click();
        Item<QCheckBox>(w, IDC_LOCK_AT_STARTUP)->click();
        check(w, "after clicks");
        QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(Run(dlg, script), int(IDCANCEL));
    QTRY_VERIFY(script.Finished());
    // Cancel leaves the record alone.
    QCOMPARE(clicked.lockEnabled(), quint32(!idleLock));
}

void TestLockDialogs::okStoresEveryField_data() {
    QTest::addColumn<bool>("idleLock");
    QTest::addColumn<bool>("startupLock");
    QTest::addColumn<bool>("passwordOn");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QByteArray>("passwordBytes");
    QTest::addColumn<QByteArray>("promptBytes");
    QTest::newRow("all on") << true << true << true << 7 << "s3cret"
                            << "Away" << QByteArray("s3cret") << QByteArray("Away");
    // Disabled fields keep and store what they hold.
    QTest::newRow("lock off, fields kept") << false << false << true << 4 << "kept"
                                           << "still" << QByteArray("kept") << QByteArray("still");
    QTest::newRow("password off, text kept") << true << false << false << 0 << "unused"
                                             << "" << QByteArray("unused") << QByteArray();
    QTest::newRow("code page text")
        << false << true << true << 3 << QString::fromUtf8("Gr\u00fc\u00dfe\u20ac")
        << QString::fromUtf8("Caf\u00e9 \u2013 back")
        << QByteArray("Gr\xfc\xdf"
                      "e\x80")
        << QByteArray("Caf\xe9 \x96 back");
}

void TestLockDialogs::okStoresEveryField() {
    QFETCH(bool, idleLock);
    QFETCH(bool, startupLock);
    QFETCH(bool, passwordOn);
    QFETCH(int, index);
    QFETCH(QString, password);
    QFETCH(QString, prompt);
    QFETCH(QByteArray, passwordBytes);
    QFETCH(QByteArray, promptBytes);

    CEditorApp app;
    const QString path = m_dir->filePath(QStringLiteral("locksettings.dat"));
    app.SetLockSettingsPath(path);
    LockSettings& record = app.GetLockSettings();
    record = SampleRecord();
    const QByteArray before = record.ToBytes();

    CScreenLockSettingsDlg dlg(record);
    DialogScript script;
    script.Then([&](QWidget* w) {
        Fill(w, {idleLock, startupLock, passwordOn, index, password, password, prompt});
        ClickLater(Item<QPushButton>(w, IDOK));
    });
    QCOMPARE(Run(dlg, script), int(IDOK));
    QTRY_VERIFY(script.Finished());

    QCOMPARE(record.lockEnabled(), quint32(idleLock));
    QCOMPARE(record.lockAtStartup(), quint32(startupLock));
    QCOMPARE(record.passwordEnabled(), quint32(passwordOn));
    QCOMPARE(record.timeoutIndex(), quint32(index));
    QVERIFY(record.IsScreenPassword(passwordBytes));
    QCOMPARE(record.promptText(), promptBytes);
    // The reserved ranges are not the dialog's business.
    QCOMPARE(record.ToBytes().left(284), before.left(284));
    QCOMPARE(record.ToBytes().mid(820), before.mid(820));

    // Through the file and back, and shown again: the password as its boxes left empty.
    QString reason;
    QVERIFY2(app.SaveLockSettings(&reason), qPrintable(reason));
    LockSettings reread;
    QVERIFY(LockSettingsFile::Read(path, reread));
    QCOMPARE(reread.ToBytes(), record.ToBytes());

    CScreenLockSettingsDlg again(reread);
    DialogScript second;
    QString shownPassword, shownConfirm, shownPrompt, shownPlaceholder;
    int shownIndex = -1;
    second.Then([&](QWidget* w) {
        shownPassword = Item<QLineEdit>(w, IDC_LOCK_PASSWORD)->text();
        shownConfirm = Item<QLineEdit>(w, IDC_LOCK_CONFIRM)->text();
        shownPrompt = Item<QLineEdit>(w, IDC_LOCK_PROMPT)->text();
        shownIndex = Item<QComboBox>(w, IDC_LOCK_TIMEOUT)->currentIndex();
        shownPlaceholder = Item<QLineEdit>(w, IDC_LOCK_PASSWORD)->placeholderText();
        ClickLater(Item<QPushButton>(w, IDOK));
    });
    QCOMPARE(Run(again, second), int(IDOK));
    QTRY_VERIFY(second.Finished());
    QVERIFY(shownPassword.isEmpty());
    QVERIFY(shownConfirm.isEmpty());
    QCOMPARE(shownPlaceholder, QStringLiteral("(unchanged)"));
    // OK with the boxes empty keeps the password set.
    QCOMPARE(reread.ToBytes(), record.ToBytes());
    QCOMPARE(shownPrompt, prompt);
    QCOMPARE(shownIndex, index);
}

void TestLockDialogs::savedFileIsOwnerOnly() {
    const QString path = m_dir->filePath(QStringLiteral("locksettings.dat"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("left by an older version");
    old.close();
    const auto wide = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther;
    QVERIFY(QFile::setPermissions(path, wide));
    QVERIFY(QFile::permissions(path) & QFileDevice::ReadOther);

    CEditorApp app;
    app.SetLockSettingsPath(path);
    app.GetLockSettings() = SampleRecord();
    QVERIFY(app.SaveLockSettings());
    const QFileDevice::Permissions mode = QFile::permissions(path);
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther |
                        QFileDevice::ExeOwner;
    QVERIFY(mode & QFileDevice::ReadOwner);
    QVERIFY(mode & QFileDevice::WriteOwner);
    QCOMPARE(mode & others, QFileDevice::Permissions());
    // No temporary file left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"locksettings.dat"});
    LockSettings reread;
    QVERIFY(LockSettingsFile::Read(path, reread));
    QCOMPARE(reread.ToBytes(), app.GetLockSettings().ToBytes());
}

void TestLockDialogs::failedSaveSaysWhy_data() {
    QTest::addColumn<QString>("relative");
    // A file where the folder should be, and a folder where the file should be.
    QTest::newRow("folder is a file") << "blocker/locksettings.dat";
    QTest::newRow("file is a folder") << "taken";
}

void TestLockDialogs::failedSaveSaysWhy() {
    QFETCH(QString, relative);
    QFile blocker(m_dir->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken")));
    const QString path = m_dir->filePath(relative);

    CEditorApp app;
    app.SetLockSettingsPath(path);
    app.GetLockSettings() = SampleRecord();
    QString reason;
    QVERIFY(!app.SaveLockSettings(&reason));
    QVERIFY2(reason.contains(QDir::toNativeSeparators(path)), qPrintable(reason));
    // Never the password it was saving.
    QVERIFY(!reason.contains(QStringLiteral("old secret")));
    QString why;
    QVERIFY(!LockSettingsFile::Write(path, app.GetLockSettings(), &why));
    QVERIFY(!why.isEmpty());
}

void TestLockDialogs::mismatchKeepsOpen() {
    LockSettings record = SampleRecord();
    const QByteArray before = record.ToBytes();
    CScreenLockSettingsDlg dlg(record);
    MessageSeen message;
    bool openAfter = false;
    DialogScript script;
    script
        .Then([&](QWidget* w) {
            Fill(w, {true, false, true, 5, QStringLiteral("first"), QStringLiteral("firsT"),
                     QStringLiteral("p")});
            ClickLater(Item<QPushButton>(w, IDOK));
        })
        .Then(AnswerMessage(message))
        .Then([&](QWidget* w) {
            openAfter = w == &dlg && w->isVisible();
            ClickLater(Item<QPushButton>(w, IDCANCEL));
        });
    QCOMPARE(Run(dlg, script), int(IDCANCEL));
    QTRY_VERIFY(script.Finished());
    QVERIFY(message.seen);
    QCOMPARE(message.text, QStringLiteral("Passwords don't match"));
    QCOMPARE(message.icon, QMessageBox::NoIcon);
    QVERIFY(openAfter);
    QCOMPARE(record.ToBytes(), before);
}

void TestLockDialogs::textsCut_data() {
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("258") << 258 << 258;
    QTest::newRow("259") << 259 << 259;
    QTest::newRow("260") << 260 << 259;
    QTest::newRow("1000") << 1000 << 259;
}

void TestLockDialogs::textsCut() {
    QFETCH(int, typed);
    QFETCH(int, stored);
    LockSettings record;
    CScreenLockSettingsDlg dlg(record);
    const QString password = QString(typed - 1, QLatin1Char('p')) + QLatin1Char('!');
    const QString prompt = QString(typed - 1, QLatin1Char('t')) + QLatin1Char('?');
    DialogScript script;
    script.Then([&](QWidget* w) {
        Fill(w, {true, false, true, 1, password, password, prompt});
        ClickLater(Item<QPushButton>(w, IDOK));
    });
    QCOMPARE(Run(dlg, script), int(IDOK));
    QTRY_VERIFY(script.Finished());
    QVERIFY(record.IsScreenPassword(password.left(stored).toLatin1()));
    QCOMPARE(record.promptText(), prompt.left(stored).toLatin1());
}

void TestLockDialogs::refusedAtOk_data() {
    QTest::addColumn<bool>("passwordOn");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("says");
    QTest::newRow("switched on, empty") << true << ""
                                        << "Locked"
                                        << "password"
                                        << "empty";
    QTest::newRow("not in code page") << true << QString::fromUtf8("\u5bc6\u7801") << ""
                                      << "password"
                                      << "code page";
    // Stored anyway when switched off, so refused as well.
    QTest::newRow("switched off, not in code page")
        << false << QString::fromUtf8("\u043f\u0430\u0440\u043e\u043b\u044c") << ""
        << "password"
        << "code page";
    QTest::newRow("prompt not in code page")
        << true << "fine" << QString::fromUtf8("\u3055\u3088\u3046\u306a\u3089") << "prompt"
        << "code page";
}

void TestLockDialogs::refusedAtOk() {
    QFETCH(bool, passwordOn);
    QFETCH(QString, password);
    QFETCH(QString, prompt);
    QFETCH(QString, field);
    QFETCH(QString, says);
    LockSettings record = SampleRecord();
    // Empty boxes keep a password already set: the rule is about none being set.
    if (password.isEmpty())
        record.setScreenPassword(QByteArray());
    const QByteArray before = record.ToBytes();
    CScreenLockSettingsDlg dlg(record);
    MessageSeen message;
    bool openAfter = false;
    bool focusBack = false;
    DialogScript script;
    script
        .Then([&](QWidget* w) {
            Fill(w, {true, false, passwordOn, 0, password, password, prompt});
            ClickLater(Item<QPushButton>(w, IDOK));
        })
        .Then(AnswerMessage(message))
        .Then([&](QWidget* w) {
            openAfter = w == &dlg && w->isVisible();
            const int id = field == QLatin1String("prompt") ? IDC_LOCK_PROMPT : IDC_LOCK_PASSWORD;
            focusBack = !Item(w, id)->isEnabled() || w->focusWidget() == Item(w, id);
            ClickLater(Item<QPushButton>(w, IDCANCEL));
        });
    QCOMPARE(Run(dlg, script), int(IDCANCEL));
    QTRY_VERIFY(script.Finished());
    QVERIFY(message.seen);
    QVERIFY2(message.text.contains(says), qPrintable(message.text));
    if (!password.isEmpty())
        QVERIFY(!message.text.contains(password));
    QVERIFY(openAfter);
    QVERIFY(focusBack);
    QCOMPARE(record.ToBytes(), before);
}

void TestLockDialogs::idleTimeList_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minutes");
    QTest::newRow("first") << 0 << "1 minute" << 1;
    QTest::newRow("2") << 1 << "2 minutes" << 2;
    QTest::newRow("3") << 2 << "3 minutes" << 3;
    QTest::newRow("5") << 3 << "5 minutes" << 5;
    QTest::newRow("10") << 4 << "10 minutes" << 10;
    QTest::newRow("15") << 5 << "15 minutes" << 15;
    QTest::newRow("30") << 6 << "30 minutes" << 30;
    QTest::newRow("last") << 7 << "60 minutes" << 60;
}

void TestLockDialogs::idleTimeList() {
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, minutes);
    LockSettings record;
    record.setLockEnabled(1);
    CScreenLockSettingsDlg dlg(record);
    bool editable = true;
    int count = 0;
    QString entry;
    DialogScript script;
    script.Then([&](QWidget* w) {
        auto* list = Item<QComboBox>(w, IDC_LOCK_TIMEOUT);
        editable = list->isEditable() || list->lineEdit();
        count = list->count();
        entry = list->itemText(index);
        // Chosen from the keyboard: from the top, Down index times.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        ClickLater(Item<QPushButton>(w, IDOK));
    });
    QCOMPARE(Run(dlg, script), int(IDOK));
    QTRY_VERIFY(script.Finished());
    QVERIFY(!editable);
    QCOMPARE(count, 8);
    QCOMPARE(entry, text);
    QCOMPARE(record.timeoutIndex(), quint32(index));
    QCOMPARE(CEditorApp::TimeoutMinutes(int(record.timeoutIndex())), minutes);
}

void TestLockDialogs::damagedIndexShowsShortest() {
    LockSettings record;
    record.setLockEnabled(1);
    record.setTimeoutIndex(9);
    CScreenLockSettingsDlg dlg(record);
    QString shown;
    DialogScript script;
    script.Then([&](QWidget* w) {
        shown = Item<QComboBox>(w, IDC_LOCK_TIMEOUT)->currentText();
        ClickLater(Item<QPushButton>(w, IDOK));
    });
    QCOMPARE(Run(dlg, script), int(IDOK));
    QTRY_VERIFY(script.Finished());
    QCOMPARE(shown, QStringLiteral("1 minute"));
    QCOMPARE(record.timeoutIndex(), 0u);
}

// ---- Welcome page and About box

enum class Close { Escape, CloseBox, New, Open, EnterOnNew };
Q_DECLARE_METATYPE(Close)

void TestLockDialogs::welcomeSwitch_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<Close>("close");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("showNext");
    QTest::newRow("untick, Esc") << 1 << true << Close::Escape << int(CWelcomeDlg::Cancelled) << 0;
    QTest::newRow("untick, close box")
        << 1 << true << Close::CloseBox << int(CWelcomeDlg::Cancelled) << 0;
    QTest::newRow("tick again, Esc")
        << 0 << true << Close::Escape << int(CWelcomeDlg::Cancelled) << 1;
    QTest::newRow("left ticked, New")
        << 1 << false << Close::New << int(CWelcomeDlg::NewDocument) << 1;
    QTest::newRow("untick, New") << 1 << true << Close::New << int(ID_FILE_NEW) << 0;
    QTest::newRow("left off, Open") << 0 << false << Close::Open << int(ID_FILE_OPEN) << 0;
    QTest::newRow("Enter on the first button")
        << 1 << false << Close::EnterOnNew << int(ID_FILE_NEW) << 1;
}

void TestLockDialogs::welcomeSwitch() {
    QFETCH(int, stored);
    QFETCH(bool, toggle);
    QFETCH(Close, close);
    QFETCH(int, result);
    QFETCH(int, showNext);
    {
        CEditorApp before;
        before.SetRegistryKey(QStringLiteral("Keystow"));
        before.SetShowWelcome(stored);
    }
    bool tickedAtStart = false;
    QString newTip;
    {
        CEditorApp app;
        app.SetRegistryKey(QStringLiteral("Keystow"));
        CWelcomeDlg dlg;
        DialogScript script;
        script.Then([&](QWidget* w) {
            auto* box = Item<QCheckBox>(w, IDC_WELCOME_SHOW);
            tickedAtStart = box->isChecked();
            newTip = Item(w, IDC_WELCOME_NEW)->toolTip();
            if (toggle)
                box->click();
            switch (close) {
            case Close::Escape:
                QTest::keyClick(w, Qt::Key_Escape);
                break;
            case Close::CloseBox:
                w->close();
                break;
            case Close::New:
                QTest::mouseClick(Item<QToolButton>(w, IDC_WELCOME_NEW), Qt::LeftButton);
                break;
            case Close::Open:
                Item<QToolButton>(w, IDC_WELCOME_OPEN)->setFocus();
                QTest::keyClick(Item(w, IDC_WELCOME_OPEN), Qt::Key_Space);
                break;
            case Close::EnterOnNew:
                // The page opens with the focus on "Create a new encrypted document...".
                QTest::keyClick(w->focusWidget(), Qt::Key_Return);
                break;
            }
        });
        QCOMPARE(Run(dlg, script), result);
        QTRY_VERIFY(script.Finished());
    }
    QCOMPARE(tickedAtStart, stored != 0);
    QCOMPARE(newTip, QStringLiteral("Create a new encrypted document..."));
    // The next start reads what the page left.
    CEditorApp next;
    next.SetRegistryKey(QStringLiteral("Keystow"));
    QCOMPARE(next.GetShowWelcome(), showNext);
}

void TestLockDialogs::welcomeWebStaysOpen() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    CWelcomeDlg dlg;
    bool openAfter = false;
    DialogScript script;
    script.Then([&](QWidget* w) {
        QTest::mouseClick(Item<QToolButton>(w, IDC_WELCOME_WEB), Qt::LeftButton);
        openAfter = w->isVisible();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    const int got = Run(dlg, script);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QTRY_VERIFY(script.Finished());
    QCOMPARE(got, int(CWelcomeDlg::Cancelled));
    QVERIFY(openAfter);
    QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QString::fromLatin1(CMainFrame::kWebSiteAddress))});
}

void TestLockDialogs::aboutTexts() {
    CAboutDlg dlg;
    QString version, build, link;
    DialogScript script;
    script.Then([&](QWidget* w) {
        version = Item<QLabel>(w, IDC_ABOUT_VERSION)->text();
        build = Item<QLabel>(w, IDC_ABOUT_BUILD)->text();
        link = Item<QLabel>(w, IDC_ABOUT_LINK)->text();
        QTest::keyClick(w, Qt::Key_Return);
    });
    QCOMPARE(Run(dlg, script), int(IDOK));
    QTRY_VERIFY(script.Finished());
    QCOMPARE(version, QStringLiteral("Version 2.5.6"));
    static const QRegularExpression stamp(
        QStringLiteral("^Build: [A-Z][a-z]{2} [ 123]\\d \\d{4} \\d\\d:\\d\\d:\\d\\d$"));
    QVERIFY2(stamp.match(build).hasMatch(), qPrintable(build));
    QVERIFY(link.contains(QString::fromLatin1(CMainFrame::kWebSiteAddress)));
}

// ---- The screen lock

enum class Kind { Settings, Welcome, About };
Q_DECLARE_METATYPE(Kind)

void TestLockDialogs::lockClosesDialog_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("resume");
    QTest::newRow("settings") << Kind::Settings << int(IDCANCEL) << int(ID_SCREEN_LOCK_OPTIONS);
    QTest::newRow("welcome") << Kind::Welcome << 0 << int(ID_WIZARD);
    QTest::newRow("about") << Kind::About << 0 << int(ID_APP_ABOUT);
}

void TestLockDialogs::lockClosesDialog() {
    QFETCH(Kind, kind);
    QFETCH(int, result);
    QFETCH(int, resume);
    CEditorApp app;
    app.SetRegistryKey(QStringLiteral("Keystow"));
    LockSettings record = SampleRecord();
    const QByteArray before = record.ToBytes();

    std::unique_ptr<QDialog> dialog;
    std::function<void()> idleCheck;
    std::function<int()> run;
    if (kind == Kind::Settings) {
        auto* dlg = new Idle<CScreenLockSettingsDlg>(record);
        dialog.reset(dlg);
        idleCheck = [dlg] { dlg->OnIdleCheck(); };
        run = [dlg] { return dlg->DoModal(); };
    } else if (kind == Kind::Welcome) {
        auto* dlg = new Idle<CWelcomeDlg>();
        dialog.reset(dlg);
        idleCheck = [dlg] { dlg->OnIdleCheck(); };
        run = [dlg] { return dlg->DoModal(); };
    } else {
        auto* dlg = new Idle<CAboutDlg>();
        dialog.reset(dlg);
        idleCheck = [dlg] { dlg->OnIdleCheck(); };
        run = [dlg] { return dlg->DoModal(); };
    }

    bool openWhileUnlocked = false;
    DialogScript script;
    script.Then([&](QWidget* w) {
        if (kind == Kind::Settings)
            Item<QCheckBox>(w, IDC_LOCK_ENABLED)->click();
        if (kind == Kind::Welcome)
            Item<QCheckBox>(w, IDC_WELCOME_SHOW)->click();
        // Idle but not locked: the dialog stays.
        m_host->m_lastActivity = g_now - 3600000u;
        idleCheck();
        openWhileUnlocked = w->isVisible();
        // Locked, and the idle time just exceeded in whole seconds.
        m_host->m_locked = 1;
        m_host->m_lastActivity = g_now - 61000u;
        idleCheck();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            modal->done(-1);
    });
    watchdog.start(15000);
    QCOMPARE(run(), result);
    QTRY_VERIFY(script.Finished());
    QVERIFY(openWhileUnlocked);
    QCOMPARE(m_host->ResumeRequests(), QList<int>{resume});
    // Closed by the lock counts as cancelled: the record stays as it was.
    QCOMPARE(record.ToBytes(), before);
    // The welcome page still writes its switch.
    if (kind == Kind::Welcome)
        QCOMPARE(app.GetShowWelcome(), 0);
}

void TestLockDialogs::lockClosesMessageWithDialog() {
    LockSettings record = SampleRecord();
    CScreenLockSettingsDlg dlg(record);
    bool boxSeen = false;
    DialogScript script;
    script
        .Then([&](QWidget* w) {
            Fill(w, {true, false, true, 0, QStringLiteral("a"), QStringLiteral("b"), QString()});
            ClickLater(Item<QPushButton>(w, IDOK));
        })
        .Then([&](QWidget* box) {
            boxSeen = qobject_cast<QMessageBox*>(box) != nullptr;
            // The person walks away with the message up; the dialog's own timer notices.
            m_host->m_locked = 1;
            m_host->m_lastActivity = g_now - 61000u;
        });
    QCOMPARE(Run(dlg, script), int(IDCANCEL));
    QTRY_VERIFY(script.Finished());
    QVERIFY(boxSeen);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(m_host->ResumeRequests(), QList<int>{ID_SCREEN_LOCK_OPTIONS});
}

std::unique_ptr<QObject> CreateLockDialogsTest() {
    return std::make_unique<TestLockDialogs>();
}

#include "tst_lockdialogs.moc"
