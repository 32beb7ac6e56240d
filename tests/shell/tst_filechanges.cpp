// Another program changes, replaces or removes the file of an open document, of either type:
// Save, Exit and closing the window ask before writing over it, and the window offers to
// reload an unchanged document when it comes to the front.
#include "ShellTestSupport.h"

#include "CDocManager.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CFileChangedDlg.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "DialogScript.h"
#include "DialogSteps.h"
#include "resource.h"

#include <PasswordsFile.h>
#include <TextFile.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kPassword = QStringLiteral("shared secret");

enum class Kind { Text, Passwords };
// WhilePasswordAsked: rewritten while the text type asks for the password of the save.
enum class Change { None, Rewritten, LinkedElsewhere, Removed, WhilePasswordAsked };
enum class How { Save, Exit, CloseWindow };

// What a file holds, for either type: the text, or the names of its Web accounts.
void WriteDocumentFile(Kind kind, const QString& path, const QString& content) {
    if (kind == Kind::Text) {
        QCOMPARE(SaveTextFile(path, kPassword, content), SaveResult::Saved);
        return;
    }
    AccountStore store;
    store.web.append(WebAccount(content));
    QCOMPARE(SavePasswordsFile(path, kPassword, store), SaveResult::Saved);
}

// The content of the file, or "(none)" when it does not open.
QString ReadDocumentFile(Kind kind, const QString& path) {
    if (kind == Kind::Text) {
        QString text;
        return LoadTextFile(path, kPassword, text) == LoadResult::Loaded ? text
                                                                         : QStringLiteral("(none)");
    }
    AccountStore store;
    if (OpenPasswordsFile(path, kPassword, store) != PasswordsLoadResult::Loaded)
        return QStringLiteral("(none)");
    QStringList names;
    store.web.enumerate([&names](int, const WebAccount& a) { names << a.name; });
    return names.join(QLatin1Char(','));
}

QString DocumentContent(CDocument* doc) {
    if (auto* text = qobject_cast<CEditorDoc*>(doc))
        return text->GetView()->toPlainText();
    QStringList names;
    static_cast<CKeystowDoc*>(doc)->Accounts().web.enumerate(
        [&names](int, const WebAccount& a) { names << a.name; });
    return names.join(QLatin1Char(','));
}

void EditDocument(CDocument* doc, const QString& content) {
    if (auto* text = qobject_cast<CEditorDoc*>(doc)) {
        text->GetView()->selectAll();
        text->GetView()->insertPlainText(content);
        return;
    }
    auto* passwords = static_cast<CKeystowDoc*>(doc);
    passwords->Accounts() = AccountStore();
    passwords->Accounts().web.append(WebAccount(content));
    passwords->SetModifiedFlag(true);
}

void Press(QWidget* dialog, int id) {
    auto* button =
        qobject_cast<QAbstractButton*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
    QVERIFY2(button, "no such button");
    button->click();
}

DialogScript::Step EnterPassword() {
    return [](QWidget* d) {
        auto* edit =
            qobject_cast<QLineEdit*>(static_cast<CShellDialog*>(d)->GetDlgItem(IDC_PASSWORD));
        QVERIFY2(edit, d->metaObject()->className());
        edit->setText(kPassword);
        Press(d, IDOK);
    };
}

// meanwhile: what happens while the dialog is up.
DialogScript::Step ConfirmPassword(std::function<void()> meanwhile = {}) {
    return [meanwhile](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QStringLiteral("CSetPasswordDlg"));
        if (meanwhile)
            meanwhile();
        auto* dlg = static_cast<CShellDialog*>(d);
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD))->setText(kPassword);
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_CONFIRM_PASSWORD))->setText(kPassword);
        Press(d, IDOK);
    };
}

// Checks the question about the file name and its safe default, then presses button.
DialogScript::Step AnswerChanged(CFileChangedDlg::Question question, const QString& name,
                                 int button) {
    return [=](QWidget* d) {
        auto* dlg = qobject_cast<CFileChangedDlg*>(d);
        QVERIFY2(dlg, d->metaObject()->className());
        QCOMPARE(dlg->GetQuestion(), question);
        const QString expected = question == CFileChangedDlg::Question::Overwrite
                                     ? name +
                                           " was changed by another program after you opened it. "
                                           "Overwrite those changes?"
                                     : name + " was changed by another program. Reload it?";
        bool shown = false;
        for (QLabel* label : dlg->findChildren<QLabel*>())
            shown = shown || label->text() == expected;
        QVERIFY2(shown, qPrintable(expected));
        const int safe = question == CFileChangedDlg::Question::Overwrite ? IDCANCEL : IDNO;
        QVERIFY(qobject_cast<QPushButton*>(dlg->GetDlgItem(safe))->isDefault());
        Press(d, button);
    };
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(How)

class TestFileChanges : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveAsksFirst_data();
    void saveAsksFirst();
    void reloadOffered_data();
    void reloadOffered();

private:
    CDocument* Open(Kind kind, const QString& path);
    // What another program does to the document's file.
    void ChangeOnDisk(Kind kind, Change change, const QString& path);
    void Activate();
    QString Path(Kind kind, const QString& name) const {
        return m_dir->filePath(name + (kind == Kind::Text ? ".etx" : ".ksw"));
    }
};

void TestFileChanges::init() {
    QVERIFY(StartShell());
}

void TestFileChanges::cleanup() {
    // Nothing may ask on the way out.
    for (CDocument* doc : m_app->GetDocManager()->GetDocuments())
        doc->SetModifiedFlag(false);
    StopShell();
}

CDocument* TestFileChanges::Open(Kind kind, const QString& path) {
    WriteDocumentFile(kind, path, QStringLiteral("first"));
    DialogScript script;
    script.Then(EnterPassword());
    CDocument* doc = m_app->OpenDocumentFile(path);
    return script.Finished() ? doc : nullptr;
}

void TestFileChanges::ChangeOnDisk(Kind kind, Change change, const QString& path) {
    switch (change) {
    case Change::None:
    case Change::WhilePasswordAsked:
        break;
    case Change::Rewritten:
        WriteDocumentFile(kind, path, QStringLiteral("theirs"));
        break;
    case Change::LinkedElsewhere: {
        const QString elsewhere = Path(kind, QStringLiteral("private"));
        WriteDocumentFile(kind, elsewhere, QStringLiteral("private"));
        QVERIFY(QFile::remove(path) && QFile::link(elsewhere, path));
        break;
    }
    case Change::Removed:
        QVERIFY(QFile::remove(path));
        break;
    }
}

void TestFileChanges::Activate() {
    // The program comes back to the front.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(m_frame, &activate);
}

void TestFileChanges::saveAsksFirst_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Change>("change");
    QTest::addColumn<How>("how");
    QTest::addColumn<int>("button"); // 0: no question
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("savedAs"); // empty: no other file
    const int saveAs = CFileChangedDlg::kSaveAs;
    for (Kind kind : {Kind::Text, Kind::Passwords}) {
        const char* type = kind == Kind::Text ? "text" : "passwords";
        QTest::addRow("%s: unchanged, no question", type)
            << kind << Change::None << How::Save << 0 << "mine" << QString();
        QTest::addRow("%s: rewritten, Cancel keeps theirs", type)
            << kind << Change::Rewritten << How::Save << int(IDCANCEL) << "theirs" << QString();
        QTest::addRow("%s: rewritten, Overwrite", type)
            << kind << Change::Rewritten << How::Save << int(IDOK) << "mine" << QString();
        QTest::addRow("%s: rewritten, Save As", type)
            << kind << Change::Rewritten << How::Save << saveAs << "theirs"
            << "mine";
        QTest::addRow("%s: name now a link to another file, Cancel", type)
            << kind << Change::LinkedElsewhere << How::Save << int(IDCANCEL) << "private"
            << QString();
        QTest::addRow("%s: removed, Cancel", type)
            << kind << Change::Removed << How::Save << int(IDCANCEL) << "(none)" << QString();
        QTest::addRow("%s: removed, Overwrite", type)
            << kind << Change::Removed << How::Save << int(IDOK) << "mine" << QString();
        if (kind == Kind::Text)
            QTest::addRow("%s: rewritten during the password prompt, Cancel", type)
                << kind << Change::WhilePasswordAsked << How::Save << int(IDCANCEL) << "theirs"
                << QString();
        QTest::addRow("%s: Exit, Cancel", type)
            << kind << Change::Rewritten << How::Exit << int(IDCANCEL) << "theirs" << QString();
        QTest::addRow("%s: closing the window, Cancel", type)
            << kind << Change::Rewritten << How::CloseWindow << int(IDCANCEL) << "theirs"
            << QString();
    }
}

void TestFileChanges::saveAsksFirst() {
    QFETCH(Kind, kind);
    QFETCH(Change, change);
    QFETCH(How, how);
    QFETCH(int, button);
    QFETCH(QString, onDisk);
    QFETCH(QString, savedAs);
    const QString path = Path(kind, QStringLiteral("shared"));
    const QString copy = Path(kind, QStringLiteral("copy"));
    CDocument* doc = Open(kind, path);
    QVERIFY(doc);
    EditDocument(doc, QStringLiteral("mine"));
    ChangeOnDisk(kind, change, path);

    DialogScript script;
    int planned = 0;
    const auto plan = [&script, &planned](DialogScript::Step step) {
        script.Then(std::move(step));
        ++planned;
    };
    if (how != How::Save) {
        plan([](QWidget* d) {
            QCOMPARE(QString(d->metaObject()->className()), QStringLiteral("CSaveChangesDlg"));
            Press(d, IDYES);
        });
    }
    if (change == Change::WhilePasswordAsked)
        plan(ConfirmPassword([kind, path] { WriteDocumentFile(kind, path, "theirs"); }));
    if (button != 0)
        plan(AnswerChanged(CFileChangedDlg::Question::Overwrite, QFileInfo(path).fileName(),
                           button));
    if (button == CFileChangedDlg::kSaveAs)
        plan(ChooseFile(copy));
    // The text type confirms the password at every save, the passwords type on a new name.
    if (button != IDCANCEL && change != Change::WhilePasswordAsked &&
        (kind == Kind::Text || button == CFileChangedDlg::kSaveAs))
        plan(ConfirmPassword());
    switch (how) {
    case How::Save:
        m_frame->ExecuteCommand(ID_FILE_SAVE);
        break;
    case How::Exit:
        m_frame->ExecuteCommand(ID_APP_EXIT);
        break;
    case How::CloseWindow:
        doc->GetFrames().first()->SubWindow()->close();
        break;
    }
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen().size(), planned); // no other question, no failure message
    QCOMPARE(ReadDocumentFile(kind, path), onDisk);
    QCOMPARE(ReadDocumentFile(kind, copy), savedAs.isEmpty() ? QStringLiteral("(none)") : savedAs);
    // Nothing was lost: a save that did not happen keeps the document open and modified.
    QVERIFY(m_app->GetDocManager()->GetDocuments().contains(doc));
    QCOMPARE(DocumentContent(doc), QStringLiteral("mine"));
    QCOMPARE(doc->IsModified(), button == IDCANCEL);
    QVERIFY(m_frame->isVisible());
    if (!savedAs.isEmpty())
        QCOMPARE(doc->GetPathName(), copy);
    // A completed save knows its own file again: the next save does not ask.
    if (button != IDCANCEL) {
        EditDocument(doc, QStringLiteral("mine again"));
        DialogScript again;
        if (kind == Kind::Text)
            again.Then(ConfirmPassword());
        m_frame->ExecuteCommand(ID_FILE_SAVE);
        QVERIFY(again.Finished());
        QCOMPARE(again.Seen().size(), kind == Kind::Text ? 1 : 0);
        QCOMPARE(ReadDocumentFile(kind, doc->GetPathName()), QStringLiteral("mine again"));
    }
}

void TestFileChanges::reloadOffered_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("button"); // 0: no question
    QTest::addColumn<QString>("shown");
    for (Kind kind : {Kind::Text, Kind::Passwords}) {
        const char* type = kind == Kind::Text ? "text" : "passwords";
        QTest::addRow("%s: unchanged", type) << kind << Change::None << 0 << "first";
        QTest::addRow("%s: rewritten, Yes", type)
            << kind << Change::Rewritten << int(IDYES) << "theirs";
        QTest::addRow("%s: rewritten, No", type)
            << kind << Change::Rewritten << int(IDNO) << "first";
        QTest::addRow("%s: removed", type) << kind << Change::Removed << 0 << "first";
    }
}

void TestFileChanges::reloadOffered() {
    QFETCH(Kind, kind);
    QFETCH(Change, change);
    QFETCH(int, button);
    QFETCH(QString, shown);
    const QString path = Path(kind, QStringLiteral("watched"));
    CDocument* doc = Open(kind, path);
    QVERIFY(doc);
    ChangeOnDisk(kind, change, path);
    DialogScript script;
    if (button != 0)
        script.Then(
            AnswerChanged(CFileChangedDlg::Question::Reload, QFileInfo(path).fileName(), button));
    Activate();
    QTRY_VERIFY(script.Finished());
    // Once more: the same change is not offered again, whatever the answer was.
    Activate();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(script.Seen().size(), button == 0 ? 0 : 1);
    // Reloaded with the password the document holds: nothing else was asked.
    QCOMPARE(DocumentContent(doc), shown);
    QVERIFY(!doc->IsModified());
    if (kind == Kind::Passwords) {
        CLeftView* tree = static_cast<CKeystowDoc*>(doc)->GetFrame()->GetLeftView();
        QCOMPARE(tree->WebItem()->childCount(), 1);
        QCOMPARE(tree->WebItem()->child(0)->text(0), shown);
    }
}

std::unique_ptr<QObject> CreateFileChangesTest() {
    return std::make_unique<TestFileChanges>();
}

#include "tst_filechanges.moc"
