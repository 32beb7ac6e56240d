#include "CActivityHost.h"
#include "CDecryptFailedDlg.h"
#include "CFileChangedDlg.h"
#include "CNewDocumentDlg.h"
#include "CPasswordDlg.h"
#include "CReplaceFileDlg.h"
#include "CSaveChangesDlg.h"
#include "CSetPasswordDlg.h"
#include "CTimedFileDialog.h"
#include "DialogScript.h"
#include "TickClock.h"
#include "resource.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

quint32 g_now = 0;

using Action = std::function<void(QWidget*)>;

// Shows the dialog modally and answers it with the action, and a dialog the action opens with
// the second one. The script cancels whatever a faulty action left open, so that a fault ends
// the test instead of hanging it.
template <class Dialog> int Run(Dialog& dialog, Action action, Action inner = {}) {
    DialogScript script;
    script.Then(std::move(action));
    if (inner)
        script.Then(std::move(inner));
    const int result = dialog.DoModal();
    if (!script.Finished())
        QTest::qFail("a planned dialog never showed", __FILE__, __LINE__);
    return result;
}

// Runs the dialog's idle check once, at once, instead of waiting for its 100 ms timer.
struct ModalIdleCheck : CModalDialog {
    static void Run(CModalDialog* dialog) { (dialog->*&ModalIdleCheck::OnIdleCheck)(); }
};
struct FileIdleCheck : CTimedFileDialog {
    static void Run(CTimedFileDialog* dialog) { (dialog->*&FileIdleCheck::OnIdleCheck)(); }
};

void IdleCheck(QWidget* dialog) {
    if (auto* chooser = qobject_cast<CTimedFileDialog*>(dialog))
        FileIdleCheck::Run(chooser);
    else if (auto* modal = qobject_cast<CModalDialog*>(dialog))
        ModalIdleCheck::Run(modal);
    else
        QFAIL("not a dialog with an idle check");
}

// The timers the dialog and its helpers run; its idle check is one of them while it is on.
int ActiveTimers(QWidget* dialog) {
    int active = 0;
    for (QTimer* timer : dialog->findChildren<QTimer*>())
        active += timer->isActive() ? 1 : 0;
    return active;
}

// Types into the field: key by key where QtTest can, by insertion for other characters.
void Type(QLineEdit* edit, const QString& text) {
    bool ascii = true;
    for (QChar ch : text)
        ascii = ascii && ch.unicode() > 0x20 && ch.unicode() < 0x7F;
    if (ascii)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

QLineEdit* Edit(QWidget* dialog, int id) {
    return qobject_cast<QLineEdit*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
}

QPushButton* Button(QWidget* dialog, int id) {
    return qobject_cast<QPushButton*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
}

QString LabelText(QWidget* dialog, int id) {
    auto* label = qobject_cast<QLabel*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(id);
}

QLabel* ProblemLabel(QWidget* dialog) {
    return dialog->findChild<QLabel*>(QStringLiteral("passwordProblem"));
}

// How a test ends a dialog.
enum class End { Ok, Cancel, Escape, Enter, CloseBox, Yes, No, Passwords, Text, KeyY, KeyN };

void Finish(QWidget* dialog, End end) {
    switch (end) {
    case End::Ok:
    case End::Yes:
        if (QPushButton* button = Button(dialog, IDOK))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            Button(dialog, IDYES)->click();
        break;
    case End::Cancel:
        QTest::mouseClick(Button(dialog, IDCANCEL), Qt::LeftButton);
        break;
    case End::No:
        if (QPushButton* button = Button(dialog, IDNO))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::mouseClick(Button(dialog, IDCANCEL), Qt::LeftButton);
        break;
    case End::Escape:
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                        Qt::Key_Escape);
        break;
    case End::Enter:
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                        Qt::Key_Return);
        break;
    case End::CloseBox:
        dialog->close();
        break;
    case End::KeyY:
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                        Qt::Key_Y);
        break;
    case End::KeyN:
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                        Qt::Key_N, Qt::AltModifier);
        break;
    case End::Passwords:
        QTest::mouseClick(Button(dialog, IDC_NEW_PASSWORDS_DOCUMENT), Qt::LeftButton);
        break;
    case End::Text:
        QTest::mouseClick(Button(dialog, IDC_NEW_TEXT_DOCUMENT), Qt::LeftButton);
        break;
    }
}

// Holds a modal dialog of any kind for the lock tests.
struct AnyDialog {
    virtual ~AnyDialog() = default;
    virtual int Exec(Action action) = 0;
};

template <class Dialog> struct Holder : AnyDialog {
    Dialog dialog;
    template <class... Args> explicit Holder(Args&&... args) : dialog(args...) {}
    int Exec(Action action) override { return Run(dialog, action); }
};

} // namespace

Q_DECLARE_METATYPE(End)
Q_DECLARE_METATYPE(CFileChangedDlg::Question)

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void passwordResults_data();
    void passwordResults();
    void passwordOkFollowsField();
    void passwordScreenMode();
    void passwordCut();
    void passwordOutsideCodePage_data();
    void passwordOutsideCodePage();

    void setPasswordResults_data();
    void setPasswordResults();
    void setPasswordStartsWithGivenPassword();
    void setPasswordTypingEmptiesConfirmation();
    void setPasswordMismatch_data();
    void setPasswordMismatch();
    void setPasswordLongPasswordsStillMatch();
    void setPasswordOutsideCodePage();
    void setPasswordMismatchMessageClosedByLock();

    void decryptFailed_data();
    void decryptFailed();

    void saveChangesName_data();
    void saveChangesName();
    void saveChangesResults_data();
    void saveChangesResults();
    void replaceResults_data();
    void replaceResults();
    void fileChangedResults_data();
    void fileChangedResults();

    void newDocumentResults_data();
    void newDocumentResults();

    void fileFilter_data();
    void fileFilter();
    void fileDialogOpen();
    void fileDialogSaveAs();

    void fileDialogActivity();

    void keyboardOrder_data();
    void keyboardOrder();

    void idleClose_data();
    void idleClose();
    void idleCheckOffWhileLocked();
    void idleCheckNeedsLock();

private:
    std::unique_ptr<CActivityHost> m_host;
    QTemporaryDir m_dir;
};

void TestDialogs::initTestCase() {
    // The offscreen platform's notes about window hints say nothing about the dialogs.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not")))
                return;
            previous(type, context, message);
        });
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    TickClock::SetSource([] { return g_now; });
}

void TestDialogs::init() {
    g_now = 1000000;
    m_host = std::make_unique<CActivityHost>();
    m_host->m_timeoutSeconds = 60;
}

void TestDialogs::cleanup() {
    m_host.reset();
}

// ---- Enter Password

void TestDialogs::passwordResults_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("password");

    QTest::newRow("OK") << "s3cret" << End::Ok << int(IDOK) << "s3cret";
    QTest::newRow("Enter") << "s3cret" << End::Enter << int(IDOK) << "s3cret";
    QTest::newRow("Cancel keeps the text") << "abc" << End::Cancel << int(IDCANCEL) << "abc";
    QTest::newRow("Esc") << "abc" << End::Escape << int(IDCANCEL) << "abc";
    QTest::newRow("close box") << "abc" << End::CloseBox << int(IDCANCEL) << "abc";
    QTest::newRow("Enter on empty does nothing") << "" << End::Enter << int(IDCANCEL) << "";
    QTest::newRow("blanks are a password") << "  " << End::Ok << int(IDOK) << "  ";
    QTest::newRow("accented letters")
        << QString::fromUtf8("pässwörd€") << End::Ok << int(IDOK) << QString::fromUtf8("pässwörd€");
}

void TestDialogs::passwordResults() {
    QFETCH(QString, typed);
    QFETCH(End, end);
    QFETCH(int, result);
    QFETCH(QString, password);

    CPasswordDlg dlg;
    bool focused = false;
    const int got = Run(dlg, [&](QWidget* w) {
        QLineEdit* edit = Edit(w, IDC_PASSWORD);
        focused = QApplication::focusWidget() == edit;
        Type(edit, typed);
        Finish(w, end);
        // A press that does nothing leaves the dialog open; Esc then ends it.
        if (w->isVisible())
            QTest::keyClick(edit, Qt::Key_Escape);
    });
    QCOMPARE(got, result);
    QCOMPARE(dlg.m_password, password);
    QVERIFY(focused);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Enter Password"));
}

void TestDialogs::passwordOkFollowsField() {
    CPasswordDlg dlg;
    QList<bool> states;
    Run(dlg, [&](QWidget* w) {
        QPushButton* ok = Button(w, IDOK);
        QLineEdit* edit = Edit(w, IDC_PASSWORD);
        states << ok->isEnabled();
        QTest::keyClick(edit, Qt::Key_A);
        states << ok->isEnabled();
        QTest::keyClick(edit, Qt::Key_Backspace);
        states << ok->isEnabled();
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QCOMPARE(LabelText(w, IDC_PASSWORD_LABEL), QStringLiteral("File Password:"));
        w->close();
    });
    QCOMPARE(states, (QList<bool>{false, true, false}));
}

void TestDialogs::passwordScreenMode() {
    CPasswordDlg dlg;
    dlg.m_screenMode = true;
    QString label;
    const int got = Run(dlg, [&](QWidget* w) {
        label = LabelText(w, IDC_PASSWORD_LABEL);
        // Screen passwords are compared, never keyed: any character is taken.
        Type(Edit(w, IDC_PASSWORD), QString::fromUtf8("ключ"));
        Finish(w, End::Enter);
    });
    QCOMPARE(label, QStringLiteral("Screen Password:"));
    QCOMPARE(got, int(IDOK));
    QCOMPARE(dlg.m_password, QString::fromUtf8("ключ"));
}

void TestDialogs::passwordCut() {
    const QString typed = QString(150, QLatin1Char('a')) + QString(150, QLatin1Char('b'));
    CPasswordDlg dlg;
    int fieldLength = 0;
    const int got = Run(dlg, [&](QWidget* w) {
        QLineEdit* edit = Edit(w, IDC_PASSWORD);
        edit->setText(typed);
        fieldLength = edit->text().size();
        Finish(w, End::Ok);
    });
    QCOMPARE(got, int(IDOK));
    QCOMPARE(fieldLength, 300); // the field itself has no limit
    QCOMPARE(dlg.m_password, typed.left(259));
}

void TestDialogs::passwordOutsideCodePage_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Cyrillic") << QString::fromUtf8("пароль") << true;
    QTest::newRow("emoji") << QString::fromUtf8("key\xF0\x9F\x94\x91") << true;
    QTest::newRow("Latin-1 and euro") << QString::fromUtf8("Grüße€") << false;
    // Past the cut the character is never part of the password.
    QTest::newRow("beyond 259") << QString(259, QLatin1Char('x')) + QString::fromUtf8("ж") << false;
}

void TestDialogs::passwordOutsideCodePage() {
    QFETCH(QString, typed);
    QFETCH(bool, refused);
    CPasswordDlg dlg;
    bool okEnabled = true;
    bool messageShown = false;
    QString field;
    const int got = Run(dlg, [&](QWidget* w) {
        QLineEdit* edit = Edit(w, IDC_PASSWORD);
        edit->setText(typed);
        okEnabled = Button(w, IDOK)->isEnabled();
        messageShown = ProblemLabel(w)->isVisible() && !ProblemLabel(w)->text().isEmpty();
        QTest::keyClick(edit, Qt::Key_Return);
        field = edit->text();
        if (w->isVisible())
            Finish(w, End::Cancel);
    });
    QCOMPARE(okEnabled, !refused);
    QCOMPARE(messageShown, refused);
    QCOMPARE(got, refused ? int(IDCANCEL) : int(IDOK));
    QCOMPARE(field, typed); // never altered in the field
    if (refused)
        QVERIFY(!ProblemLabel(&dlg)->text().contains(typed));
}

// ---- Set Password

void TestDialogs::setPasswordResults_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("confirmed");
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("password");

    QTest::newRow("new password") << ""
                                  << "n3w"
                                  << "n3w" << End::Ok << int(IDOK) << "n3w";
    QTest::newRow("Enter") << ""
                           << "n3w"
                           << "n3w" << End::Enter << int(IDOK) << "n3w";
    QTest::newRow("given kept") << "old"
                                << ""
                                << "" << End::Ok << int(IDOK) << "old";
    // The given password is selected in the focused first field: typing replaces it.
    QTest::newRow("Cancel after typing") << "old"
                                         << "xy"
                                         << "" << End::Cancel << int(IDCANCEL) << "xy";
    QTest::newRow("Cancel untouched") << "old"
                                      << ""
                                      << "" << End::Cancel << int(IDCANCEL) << "old";
    QTest::newRow("Esc") << ""
                         << "abc"
                         << "abc" << End::Escape << int(IDCANCEL) << "abc";
}

void TestDialogs::setPasswordResults() {
    QFETCH(QString, given);
    QFETCH(QString, typed);
    QFETCH(QString, confirmed);
    QFETCH(End, end);
    QFETCH(int, result);
    QFETCH(QString, password);

    CSetPasswordDlg dlg;
    dlg.m_password = given;
    const int got = Run(dlg, [&](QWidget* w) {
        QLineEdit* first = Edit(w, IDC_PASSWORD);
        QLineEdit* second = Edit(w, IDC_CONFIRM_PASSWORD);
        Type(first, typed);
        if (!typed.isEmpty())
            Type(second, confirmed);
        if (end == End::Enter)
            QTest::keyClick(second, Qt::Key_Return);
        else
            Finish(w, end);
    });
    QCOMPARE(got, result);
    QCOMPARE(dlg.m_password, password);
    QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
}

void TestDialogs::setPasswordStartsWithGivenPassword() {
    for (bool setMode : {false, true}) {
        CSetPasswordDlg dlg;
        dlg.m_password = QStringLiteral("given");
        dlg.m_setMode = setMode;
        QString first, second, okText;
        bool okEnabled = false;
        Run(dlg, [&](QWidget* w) {
            first = Edit(w, IDC_PASSWORD)->text();
            second = Edit(w, IDC_CONFIRM_PASSWORD)->text();
            okText = Button(w, IDOK)->text();
            okEnabled = Button(w, IDOK)->isEnabled();
            Finish(w, End::Cancel);
        });
        QCOMPARE(first, QStringLiteral("given"));
        QCOMPARE(second, QStringLiteral("given"));
        QCOMPARE(okText, setMode ? QStringLiteral("Set") : QStringLiteral("Save"));
        QVERIFY(okEnabled);
    }
    CSetPasswordDlg empty;
    bool okEnabled = true;
    Run(empty, [&](QWidget* w) {
        okEnabled = Button(w, IDOK)->isEnabled();
        QCOMPARE(empty.windowTitle(), QStringLiteral("Set Password"));
        Finish(w, End::Cancel);
    });
    QVERIFY(!okEnabled);
}

void TestDialogs::setPasswordTypingEmptiesConfirmation() {
    CSetPasswordDlg dlg;
    dlg.m_password = QStringLiteral("abc");
    QStringList confirmations;
    QList<bool> okStates;
    Run(dlg, [&](QWidget* w) {
        QLineEdit* first = Edit(w, IDC_PASSWORD);
        QLineEdit* second = Edit(w, IDC_CONFIRM_PASSWORD);
        QPushButton* ok = Button(w, IDOK);
        QTest::keyClick(first, Qt::Key_End);
        QTest::keyClick(first, Qt::Key_D);
        confirmations << second->text();
        okStates << ok->isEnabled();
        QTest::keyClicks(second, QStringLiteral("abcd"));
        okStates << ok->isEnabled();
        QTest::keyClick(first, Qt::Key_Backspace);
        confirmations << second->text();
        okStates << ok->isEnabled();
        Finish(w, End::Cancel);
    });
    QCOMPARE(confirmations, (QStringList{QString(), QString()}));
    QCOMPARE(okStates, (QList<bool>{false, true, false}));
    QCOMPARE(dlg.m_password, QStringLiteral("abc"));
}

void TestDialogs::setPasswordMismatch_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("different") << "secret"
                               << "secreT";
    QTest::newRow("empty first") << ""
                                 << "x";
    QTest::newRow("longer confirmation") << "abc"
                                         << "abcd";
}

void TestDialogs::setPasswordMismatch() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    CSetPasswordDlg dlg;
    QString boxText, boxTitle;
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    QString firstAfter = QStringLiteral("unset"), secondAfter = QStringLiteral("unset");
    bool stillOpen = false;
    bool okEnabled = true;
    const int got = Run(
        dlg,
        [&](QWidget* w) {
            QLineEdit* a = Edit(w, IDC_PASSWORD);
            QLineEdit* b = Edit(w, IDC_CONFIRM_PASSWORD);
            Type(a, first);
            Type(b, second);
            QTest::mouseClick(Button(w, IDOK), Qt::LeftButton);
            stillOpen = w->isVisible();
            firstAfter = a->text();
            secondAfter = b->text();
            okEnabled = Button(w, IDOK)->isEnabled();
            // Both typed alike now: accepted.
            QTest::keyClicks(a, QStringLiteral("same"));
            QTest::keyClicks(b, QStringLiteral("same"));
            QTest::keyClick(b, Qt::Key_Return);
        },
        [&](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box)) {
                boxText = message->text();
                boxTitle = message->windowTitle();
                boxIcon = message->icon();
            }
            QTest::keyClick(box, Qt::Key_Return);
        });
    QCOMPARE(boxText, QStringLiteral("The passwords you typed do not match. Type the password "
                                     "in both text boxes."));
    QCOMPARE(boxTitle, QStringLiteral("Set Password"));
    QCOMPARE(boxIcon, QMessageBox::Warning);
    QVERIFY(stillOpen);
    QCOMPARE(firstAfter, QString());
    QCOMPARE(secondAfter, QString());
    QVERIFY(!okEnabled);
    QCOMPARE(got, int(IDOK));
    QCOMPARE(dlg.m_password, QStringLiteral("same"));
}

void TestDialogs::setPasswordLongPasswordsStillMatch() {
    // Only the first 259 characters count, in both fields.
    const QString first = QString(259, QLatin1Char('k')) + QStringLiteral("tail-one");
    const QString second = QString(259, QLatin1Char('k')) + QStringLiteral("other-tail!");
    CSetPasswordDlg dlg;
    const int got = Run(dlg, [&](QWidget* w) {
        Edit(w, IDC_PASSWORD)->setText(first);
        Edit(w, IDC_CONFIRM_PASSWORD)->setText(second);
        Finish(w, End::Ok);
    });
    QCOMPARE(got, int(IDOK));
    QCOMPARE(dlg.m_password, QString(259, QLatin1Char('k')));
}

void TestDialogs::setPasswordOutsideCodePage() {
    CSetPasswordDlg dlg;
    bool okEnabled = true;
    bool messageShown = false;
    const int got = Run(dlg, [&](QWidget* w) {
        const QString typed = QString::fromUtf8("密码");
        Edit(w, IDC_PASSWORD)->setText(typed);
        Edit(w, IDC_CONFIRM_PASSWORD)->setText(typed);
        okEnabled = Button(w, IDOK)->isEnabled();
        messageShown = ProblemLabel(w)->isVisible();
        QTest::keyClick(Edit(w, IDC_CONFIRM_PASSWORD), Qt::Key_Return);
        if (w->isVisible())
            Finish(w, End::Cancel);
    });
    QVERIFY(!okEnabled);
    QVERIFY(messageShown);
    QCOMPARE(got, int(IDCANCEL));
}

void TestDialogs::setPasswordMismatchMessageClosedByLock() {
    m_host->m_locked = 1;
    m_host->m_lastActivity = g_now;
    CSetPasswordDlg dlg;
    bool boxSeen = false;
    const int got = Run(
        dlg,
        [&](QWidget* w) {
            Edit(w, IDC_PASSWORD)->setText(QStringLiteral("a"));
            Edit(w, IDC_CONFIRM_PASSWORD)->setText(QStringLiteral("b"));
            Button(w, IDOK)->click();
        },
        [&](QWidget* box) {
            boxSeen = qobject_cast<QMessageBox*>(box) != nullptr;
            // The person walks away with the message up; the dialog's own timer notices.
            g_now += 61000;
        });
    QVERIFY(boxSeen);
    QCOMPARE(got, int(IDCANCEL));
    QVERIFY(!QApplication::activeModalWidget());
}

// ---- Decrypt failure

void TestDialogs::decryptFailed_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("label");
    QTest::newRow("OK") << "notes.etx" << End::Ok << int(IDOK)
                        << "Failed to decrypt the file: notes.etx";
    QTest::newRow("Enter") << "notes.etx" << End::Enter << int(IDOK)
                           << "Failed to decrypt the file: notes.etx";
    QTest::newRow("folder dropped") << "/home/me/private/notes.etx" << End::Escape << int(IDCANCEL)
                                    << "Failed to decrypt the file: notes.etx";
    QTest::newRow("close box") << "a.ksw" << End::CloseBox << int(IDCANCEL)
                               << "Failed to decrypt the file: a.ksw";
}

void TestDialogs::decryptFailed() {
    QFETCH(QString, fileName);
    QFETCH(End, end);
    QFETCH(int, result);
    QFETCH(QString, label);
    CDecryptFailedDlg dlg;
    dlg.m_fileName = fileName;
    QString shown;
    const int got = Run(dlg, [&](QWidget* w) {
        shown = LabelText(w, IDC_DECRYPT_FAILED_TEXT);
        Finish(w, end);
    });
    QCOMPARE(got, result);
    QCOMPARE(shown, label);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Keystow Editor"));
}

// ---- Save changes and replace

void TestDialogs::saveChangesName_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Windows path") << "C:\\docs\\plan.etx"
                                  << "plan.etx";
    QTest::newRow("our path") << "/home/me/plan.etx"
                              << "plan.etx";
    QTest::newRow("title") << "Untitled1"
                           << "Untitled1";
    QTest::newRow("ends with a backslash") << "C:\\docs\\"
                                           << "C:\\docs\\";
    QTest::newRow("only a leading backslash") << "\\plan.etx"
                                              << "\\plan.etx";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDialogs::saveChangesName() {
    QFETCH(QString, fileName);
    QFETCH(QString, shown);
    CSaveChangesDlg dlg;
    dlg.m_fileName = fileName;
    QString label;
    Run(dlg, [&](QWidget* w) {
        label = LabelText(w, IDC_SAVE_CHANGES_TEXT);
        Finish(w, End::Cancel);
    });
    QCOMPARE(label, QStringLiteral("Save changes to %1?").arg(shown));
    QCOMPARE(dlg.m_fileName, shown);
}

void TestDialogs::saveChangesResults_data() {
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::newRow("Yes") << End::Yes << int(IDYES);
    QTest::newRow("No") << End::No << int(IDNO);
    QTest::newRow("Cancel") << End::Cancel << int(IDCANCEL);
    QTest::newRow("Enter is Yes") << End::Enter << int(IDYES);
    QTest::newRow("key Y") << End::KeyY << int(IDYES);
    QTest::newRow("Alt+N") << End::KeyN << int(IDNO);
    QTest::newRow("Esc") << End::Escape << int(IDCANCEL);
    QTest::newRow("close box") << End::CloseBox << int(IDCANCEL);
}

void TestDialogs::saveChangesResults() {
    QFETCH(End, end);
    QFETCH(int, result);
    CSaveChangesDlg dlg;
    dlg.m_fileName = QStringLiteral("/tmp/x.etx");
    bool leftToRight = false;
    const int got = Run(dlg, [&](QWidget* w) {
        const int yes = Button(w, IDYES)->mapTo(w, QPoint()).x();
        const int no = Button(w, IDNO)->mapTo(w, QPoint()).x();
        const int cancel = Button(w, IDCANCEL)->mapTo(w, QPoint()).x();
        leftToRight = yes < no && no < cancel;
        Finish(w, end);
    });
    QCOMPARE(got, result);
    QVERIFY(leftToRight);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Keystow Editor"));
}

void TestDialogs::replaceResults_data() {
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::newRow("Yes") << End::Yes << int(IDOK);
    QTest::newRow("No") << End::No << int(IDCANCEL);
    QTest::newRow("Enter is Yes") << End::Enter << int(IDOK);
    QTest::newRow("key Y") << End::KeyY << int(IDOK);
    QTest::newRow("Alt+N is No") << End::KeyN << int(IDCANCEL);
    QTest::newRow("Esc") << End::Escape << int(IDCANCEL);
    QTest::newRow("close box is No") << End::CloseBox << int(IDCANCEL);
}

void TestDialogs::replaceResults() {
    QFETCH(End, end);
    QFETCH(int, result);
    CReplaceFileDlg dlg;
    QString yesText, noText;
    const int got = Run(dlg, [&](QWidget* w) {
        yesText = Button(w, IDOK)->text();
        noText = Button(w, IDCANCEL)->text();
        Finish(w, end);
    });
    QCOMPARE(got, result);
    QCOMPARE(yesText, QStringLiteral("Yes"));
    QCOMPARE(noText, QStringLiteral("No"));
}

void TestDialogs::fileChangedResults_data() {
    QTest::addColumn<CFileChangedDlg::Question>("question");
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("press"); // a button to press instead, or 0
    QTest::addColumn<int>("result");
    const auto overwrite = CFileChangedDlg::Question::Overwrite;
    const auto reload = CFileChangedDlg::Question::Reload;
    const int saveAs = CFileChangedDlg::kSaveAs;
    QTest::newRow("Overwrite") << overwrite << End::Ok << 0 << int(IDOK);
    QTest::newRow("Save As...") << overwrite << End::Ok << saveAs << saveAs;
    // Nothing is written over or thrown away by a key pressed in passing.
    QTest::newRow("Enter is Cancel") << overwrite << End::Enter << 0 << int(IDCANCEL);
    QTest::newRow("Esc") << overwrite << End::Escape << 0 << int(IDCANCEL);
    QTest::newRow("reload: Yes") << reload << End::Yes << 0 << int(IDYES);
    QTest::newRow("reload: Enter is No") << reload << End::Enter << 0 << int(IDNO);
}

void TestDialogs::fileChangedResults() {
    QFETCH(CFileChangedDlg::Question, question);
    QFETCH(End, end);
    QFETCH(int, press);
    QFETCH(int, result);
    CFileChangedDlg dlg(question, QStringLiteral("/some/folder/team <1>.etx"));
    QString text;
    const int got = Run(dlg, [&](QWidget* w) {
        for (QLabel* label : w->findChildren<QLabel*>())
            text += label->text();
        if (press)
            QTest::mouseClick(Button(w, press), Qt::LeftButton);
        else
            Finish(w, end);
    });
    QCOMPARE(got, result);
    // The name alone, shown as it is.
    QVERIFY2(text.startsWith(QStringLiteral("team <1>.etx was changed by another program")),
             qPrintable(text));
}

// ---- New Document chooser

void TestDialogs::newDocumentResults_data() {
    QTest::addColumn<End>("end");
    QTest::addColumn<int>("result");
    QTest::newRow("passwords") << End::Passwords << 3;
    QTest::newRow("text") << End::Text << 1;
    QTest::newRow("Enter on the first choice") << End::Enter << 3;
    QTest::newRow("Esc") << End::Escape << 2;
    QTest::newRow("close box") << End::CloseBox << 0;
}

void TestDialogs::newDocumentResults() {
    QFETCH(End, end);
    QFETCH(int, result);
    CNewDocumentDlg dlg;
    QString textTip, passwordsTip;
    const int got = Run(dlg, [&](QWidget* w) {
        textTip = Button(w, IDC_NEW_TEXT_DOCUMENT)->toolTip();
        passwordsTip = Button(w, IDC_NEW_PASSWORDS_DOCUMENT)->toolTip();
        Finish(w, end);
    });
    QCOMPARE(got, result);
    QCOMPARE(textTip, QStringLiteral("New Encrypted Text Document..."));
    QCOMPARE(passwordsTip, QStringLiteral("New Encrypted Passwords Document..."));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("New Document..."));
    QVERIFY(m_host->ResumeRequests().isEmpty());
}

// ---- File chooser

void TestDialogs::fileFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two pairs") << "Text Files|*.etx|All Files|*.*||"
                               << QStringList{"Text Files (*.etx)", "All Files (*)"};
    QTest::newRow("patterns in the name") << "Encrypted Files (*.etx;*.ksw)|*.etx;*.ksw|"
                                          << QStringList{"Encrypted Files (*.etx *.ksw)"};
    QTest::newRow("no trailing bar") << "Passwords|*.ksw" << QStringList{"Passwords (*.ksw)"};
    QTest::newRow("all files, named with patterns")
        << "All Files (*.*)|*.*|" << QStringList{"All Files (*)"};
    QTest::newRow("blanks around patterns")
        << "Mixed| *.a ; *.b ;|" << QStringList{"Mixed (*.a *.b)"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("stops at the empty pair") << "A|*.a||B|*.b|" << QStringList{"A (*.a)"};
}

void TestDialogs::fileFilter() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(CTimedFileDialog::TranslateFilter(filter), expected);
}

void TestDialogs::fileDialogOpen() {
    const QString path = m_dir.filePath(QStringLiteral("open-me.etx"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    CTimedFileDialog dlg(true, QString(), QString(), OFN_FILEMUSTEXIST,
                         QStringLiteral("Encrypted Files (*.etx;*.ksw)|*.etx;*.ksw|"));
    dlg.setDirectory(m_dir.path());
    QCOMPARE(dlg.nameFilters(), QStringList{"Encrypted Files (*.etx *.ksw)"});
    QVERIFY(dlg.testOption(QFileDialog::DontUseNativeDialog));
    const int got = Run(dlg, [&](QWidget* w) {
        auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        QTest::keyClicks(name, QStringLiteral("open-me.etx"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QCOMPARE(got, int(IDOK));
    QCOMPARE(QFileInfo(dlg.GetPathName()).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    QVERIFY(dlg.m_openMode);

    CTimedFileDialog cancelled(true);
    QCOMPARE(Run(cancelled, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }), int(IDCANCEL));
    QCOMPARE(cancelled.GetPathName(), QString());
}

void TestDialogs::fileDialogSaveAs() {
    // An existing file is not questioned here: the document asks with its own dialog.
    const QString existing = m_dir.filePath(QStringLiteral("old.etx"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    CTimedFileDialog dlg(false, QStringLiteral("etx"), QStringLiteral("Untitled1"), 0,
                         QStringLiteral("Encrypted Text Files|*.etx|"));
    dlg.setDirectory(m_dir.path());
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Save As"));
    const int got = Run(dlg, [&](QWidget* w) {
        auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("Untitled1"));
        name->setText(QStringLiteral("old"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QCOMPARE(got, int(IDOK));
    QCOMPARE(QFileInfo(dlg.GetPathName()).fileName(), QStringLiteral("old.etx"));
    QVERIFY(!dlg.m_openMode);
}

void TestDialogs::fileDialogActivity() {
    // Typing in the chooser is activity: the frame does not lock while someone browses.
    m_host->m_lastActivity = g_now;
    CTimedFileDialog dlg(true);
    dlg.setDirectory(m_dir.path());
    quint32 stamped = 0;
    Run(dlg, [&](QWidget* w) {
        g_now += 45000;
        auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        QTest::keyClick(name, Qt::Key_X);
        stamped = m_host->m_lastActivity;
        QTest::keyClick(name, Qt::Key_Escape);
    });
    QCOMPARE(stamped, g_now);
}

// ---- Keyboard

enum class Kind {
    Password,
    SetPassword,
    DecryptFailed,
    SaveChanges,
    Replace,
    NewDocument,
    Open,
    SaveAs
};
Q_DECLARE_METATYPE(Kind)

namespace {
std::unique_ptr<AnyDialog> Make(Kind kind) {
    switch (kind) {
    case Kind::Password:
        return std::make_unique<Holder<CPasswordDlg>>();
    case Kind::SetPassword:
        return std::make_unique<Holder<CSetPasswordDlg>>();
    case Kind::DecryptFailed:
        return std::make_unique<Holder<CDecryptFailedDlg>>();
    case Kind::SaveChanges:
        return std::make_unique<Holder<CSaveChangesDlg>>();
    case Kind::Replace:
        return std::make_unique<Holder<CReplaceFileDlg>>();
    case Kind::NewDocument:
        return std::make_unique<Holder<CNewDocumentDlg>>();
    case Kind::Open:
        return std::make_unique<Holder<CTimedFileDialog>>(true);
    case Kind::SaveAs:
        return std::make_unique<Holder<CTimedFileDialog>>(false);
    }
    return nullptr;
}
} // namespace

namespace {
int FocusId() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->property("controlId").toInt() : -1;
}
} // namespace

void TestDialogs::keyboardOrder_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QList<int>>("order");
    // The first entry has the focus when the dialog opens; Tab walks the rest and wraps.
    QTest::newRow("password (OK disabled)")
        << Kind::Password << QList<int>{IDC_PASSWORD, IDCANCEL, IDC_PASSWORD};
    QTest::newRow("set password") << Kind::SetPassword
                                  << QList<int>{IDC_PASSWORD, IDC_CONFIRM_PASSWORD,
                                                IDC_STRONG_ENCRYPTION, IDCANCEL, IDC_PASSWORD};
    QTest::newRow("save changes") << Kind::SaveChanges << QList<int>{IDYES, IDNO, IDCANCEL, IDYES};
    QTest::newRow("replace") << Kind::Replace << QList<int>{IDOK, IDCANCEL, IDOK};
    QTest::newRow("decrypt failed") << Kind::DecryptFailed << QList<int>{IDOK, IDOK};
    QTest::newRow("new document") << Kind::NewDocument
                                  << QList<int>{IDC_NEW_PASSWORDS_DOCUMENT, IDC_NEW_TEXT_DOCUMENT,
                                                IDC_NEW_PASSWORDS_DOCUMENT};
}

void TestDialogs::keyboardOrder() {
    QFETCH(Kind, kind);
    QFETCH(QList<int>, order);
    std::unique_ptr<AnyDialog> dialog = Make(kind);
    QList<int> seen;
    dialog->Exec([&](QWidget* w) {
        seen << FocusId();
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << FocusId();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (w->isVisible())
            w->close();
    });
    QCOMPARE(seen, order);
}

// ---- The screen lock closes the dialogs

void TestDialogs::idleClose_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("resumeCommand");
    QTest::addColumn<quint32>("timeout");
    QTest::addColumn<quint32>("lastActivity");

    const quint32 nearWrap = 0xFFFFFFFFu - 30000u;
    const struct {
        const char* name;
        Kind kind;
        int result;
        int flag;
    } rows[] = {
        {"password", Kind::Password, IDCANCEL, 0},
        {"set password", Kind::SetPassword, IDCANCEL, 0},
        {"decrypt failed", Kind::DecryptFailed, 0, 0},
        {"save changes", Kind::SaveChanges, IDCANCEL, 0},
        {"replace", Kind::Replace, IDCANCEL, 0},
        {"new document", Kind::NewDocument, 0, ID_FILE_NEW},
        {"open", Kind::Open, IDCANCEL, ID_FILE_OPEN},
        {"save as", Kind::SaveAs, IDCANCEL, ID_FILE_SAVE_AS},
    };
    for (const auto& row : rows) {
        QTest::addRow("%s", row.name)
            << row.kind << row.result << row.flag << quint32(60) << quint32(5000000);
        QTest::addRow("%s, clock wraps", row.name)
            << row.kind << row.result << row.flag << quint32(60) << nearWrap;
    }
    QTest::newRow("password, one second")
        << Kind::Password << int(IDCANCEL) << 0 << quint32(1) << quint32(0xFFFFFC00u);
    QTest::newRow("new document, zero seconds")
        << Kind::NewDocument << 0 << int(ID_FILE_NEW) << quint32(0) << quint32(7);
}

void TestDialogs::idleClose() {
    QFETCH(Kind, kind);
    QFETCH(int, result);
    QFETCH(int, resumeCommand);
    QFETCH(quint32, timeout);
    QFETCH(quint32, lastActivity);

    m_host->m_locked = 1;
    m_host->m_timeoutSeconds = timeout;
    m_host->m_lastActivity = lastActivity;
    // Whatever the idle time, a locked frame closes the dialog.
    g_now = lastActivity + (timeout + 1) * 1000u - 1u;

    std::unique_ptr<AnyDialog> dialog = Make(kind);
    bool openBefore = false;
    const int got = dialog->Exec([&](QWidget* w) {
        // Filling its fields at start counts as activity for some dialogs.
        m_host->m_lastActivity = lastActivity;
        openBefore = w->isVisible();
        QVERIFY(m_host->ResumeRequests().isEmpty());
        // Locked: the check closes it at the first tick, however the lock fell and even one
        // millisecond short of the idle time.
        IdleCheck(w);
    });
    QVERIFY(openBefore);
    QCOMPARE(got, result);
    // The command to run again after the unlock, and nothing else.
    QCOMPARE(m_host->ResumeRequests(), resumeCommand ? QList<int>{resumeCommand} : QList<int>());
}

void TestDialogs::idleCheckOffWhileLocked() {
    // The unlock prompt itself runs while the screen is locked and must stay.
    m_host->m_locked = 1;
    m_host->m_lastActivity = g_now - 3600000u;
    CPasswordDlg dlg;
    dlg.m_screenMode = true;
    dlg.m_useIdleTimer = false;
    bool open = false;
    int timers = -1;
    const int got = Run(dlg, [&](QWidget* w) {
        // With its idle check stopped nothing can close the prompt while someone types.
        timers = ActiveTimers(w);
        open = w->isVisible();
        QTest::keyClicks(Edit(w, IDC_PASSWORD), QStringLiteral("screen"));
        Finish(w, End::Enter);
    });
    QVERIFY(open);
    QCOMPARE(timers, 0);
    QCOMPARE(got, int(IDOK));
    QCOMPARE(dlg.m_password, QStringLiteral("screen"));

    // The same prompt with its idle check on does run it: the count above means something.
    m_host->m_locked = 0;
    CPasswordDlg checked;
    checked.m_screenMode = true;
    int checkedTimers = 0;
    Run(checked, [&](QWidget* w) {
        checkedTimers = ActiveTimers(w);
        Finish(w, End::Cancel);
    });
    QVERIFY(checkedTimers > 0);
}

void TestDialogs::idleCheckNeedsLock() {
    // Idle but not locked (the lock switched off): nothing closes.
    m_host->m_locked = 0;
    m_host->m_lastActivity = g_now - 3600000u;
    for (Kind kind : {Kind::NewDocument, Kind::Open, Kind::SaveChanges}) {
        std::unique_ptr<AnyDialog> dialog = Make(kind);
        bool open = false;
        dialog->Exec([&](QWidget* w) {
            IdleCheck(w);
            open = w->isVisible();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        QVERIFY(open);
    }
    QVERIFY(m_host->ResumeRequests().isEmpty());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
