#include "tst_editordoc.h"

#include "CActivityHost.h"
#include "CChildFrame.h"
#include "CCmdUI.h"
#include "CDocManager.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CShellDialog.h"
#include "CTimedFileDialog.h"
#include "CView.h"
#include "CWinApp.h"
#include "DialogScript.h"
#include "DialogSteps.h"
#include "FullDisk.h"
#include "NewDocumentFormat.h"
#include "StrongHeader.h"
#include "StrongTextFile.h"
#include "TestFiles.h"
#include "TextDocType.h"
#include "TextFile.h"
#include "resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <sys/file.h>
#include <sys/stat.h>

// Stands in for the main frame's lock state.
class TestHost : public CActivityHost {
public:
    bool allowUnlock = true;
    int unlockAsked = 0;
    bool UnlockForClose() override {
        ++unlockAsked;
        if (!allowUnlock)
            return false;
        return CActivityHost::UnlockForClose();
    }
};

namespace {
// The passwords type, reduced to what routing needs.
QString g_passwordsOpened;
class StubPasswordsDoc : public CDocument {
public:
    bool OnOpenDocument(const QString& path) override {
        g_passwordsOpened = path;
        return true;
    }
    bool SaveModified() override { return true; }
};
class StubView : public QWidget, public CView {};

QString Field(QWidget* dialog, int id) {
    auto* edit = qobject_cast<QLineEdit*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
    return edit ? edit->text() : QStringLiteral("<no field>");
}

QString Label(QWidget* dialog, int id) {
    auto* label = qobject_cast<QLabel*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
    return label ? label->text() : QStringLiteral("<no label>");
}

void Click(QWidget* dialog, int id) {
    auto* button =
        qobject_cast<QAbstractButton*>(static_cast<CShellDialog*>(dialog)->GetDlgItem(id));
    QVERIFY2(button, "button missing");
    QVERIFY2(button->isEnabled(), "button disabled");
    button->click();
}

// Steps for the dialogs.
DialogScript::Step EnterPassword(const QString& password) {
    return [password](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString("CPasswordDlg"));
        auto* edit =
            qobject_cast<QLineEdit*>(static_cast<CShellDialog*>(d)->GetDlgItem(IDC_PASSWORD));
        QVERIFY(edit);
        edit->setText(password);
        Click(d, IDOK);
    };
}

DialogScript::Step SetPassword(const QString& password, QString* shown = nullptr,
                               QString* okText = nullptr) {
    return [=](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString("CSetPasswordDlg"));
        auto* dlg = static_cast<CShellDialog*>(d);
        if (shown)
            *shown = Field(d, IDC_PASSWORD) + "|" + Field(d, IDC_CONFIRM_PASSWORD);
        if (okText)
            *okText = static_cast<QAbstractButton*>(dlg->GetDlgItem(IDOK))->text();
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD))->setText(password);
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_CONFIRM_PASSWORD))->setText(password);
        Click(d, IDOK);
    };
}

// Records how the strong box was shown, then sets it by keyboard (PartiallyChecked: leaves it).
DialogScript::Step SetPasswordAndFormat(const QString& password, Qt::CheckState tick,
                                        bool* shownStrong) {
    return [=](QWidget* d) {
        auto* box = d->findChild<QCheckBox*>();
        QVERIFY(box);
        QVERIFY(box->focusPolicy() & Qt::TabFocus);
        *shownStrong = box->isChecked();
        if (tick != Qt::PartiallyChecked && box->isChecked() != (tick == Qt::Checked)) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Space);
        }
        SetPassword(password)(d);
    };
}

bool IsStrongFile(const QString& path) {
    return ReadAll(path).startsWith(StrongMagic());
}

const StrongParams kFastParams{1, 8192};

DialogScript::Step Cancel(const char* className) {
    return [className](QWidget* d) {
        QCOMPARE(QString(d->metaObject()->className()), QString(className));
        static_cast<QDialog*>(d)->reject();
    };
}

DialogScript::Step Answer(int id, QString* label = nullptr, int labelId = 0) {
    return [=](QWidget* d) {
        if (label)
            *label = Label(d, labelId);
        Click(d, id);
    };
}

DialogScript::Step AcceptMessage(QString* text) {
    return [text](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        *text = box->text();
        box->accept();
    };
}

CMultiDocTemplate* TextTemplate() {
    for (CMultiDocTemplate* t : CWinApp::Current()->GetDocManager()->GetTemplates())
        if (t->GetResourceId() == IDR_TEXTTYPE)
            return t;
    return nullptr;
}

CEditorDoc* NewTextDoc() {
    return qobject_cast<CEditorDoc*>(TextTemplate()->OpenDocumentFile(QString()));
}

QString Decrypt(const QString& path, const QString& password, LoadResult* result = nullptr) {
    QString text;
    const LoadResult r = LoadTextFile(path, password, text);
    if (result)
        *result = r;
    return r == LoadResult::Loaded ? text : QStringLiteral("<not loaded>");
}

void Type(CEditorDoc* doc, const QString& text) {
    CEditorView* view = doc->GetView();
    view->moveCursor(QTextCursor::End);
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\n'))
            QTest::keyClick(view, Qt::Key_Return);
        else
            QTest::keyClicks(view, QString(ch));
    }
}

QMdiSubWindow* SubWindowOf(CEditorDoc* doc) {
    return doc->GetView()->GetParentFrame()->SubWindow();
}
} // namespace

TestCEditorDoc::TestCEditorDoc() = default;
TestCEditorDoc::~TestCEditorDoc() = default;

QString TestCEditorDoc::WriteFile(const QString& name, const QString& password,
                                  const QString& text) {
    const QString path = m_dir->filePath(name);
    if (SaveTextFile(path, password, text) != SaveResult::Saved)
        return QString();
    return path;
}

void TestCEditorDoc::init() {
    g_passwordsOpened.clear();
    m_host = std::make_unique<TestHost>();
    StartFramework({CreateTextDocTemplate(),
                    new CMultiDocTemplate(
                        IDR_KEYSTOWTYPE,
                        "\nUntitled\nKeystow\nKeystow Encrypted Data Files (*.ksw)\n.ksw\nKsw."
                        "Document\nKeystow Encrypted Data",
                        [] { return new StubPasswordsDoc; }, [] { return new CMDIChildWnd; },
                        [] { return new StubView; })},
                   QSize(800, 600));
}

void TestCEditorDoc::cleanup() {
    StopFramework();
    m_host.reset();
}

void TestCEditorDoc::documentString() {
    CMultiDocTemplate* t = TextTemplate();
    QVERIFY(t);
    QCOMPARE(t->GetDocString(CMultiDocTemplate::docName), QString("Untitled"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::fileNewName), QString("UEdit"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::filterName),
             QString("Keystow Encrypted Text Files (*.etx)"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::filterExt), QString(".etx"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::regFileTypeId), QString("Etx.Document"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::regFileTypeName),
             QString("Keystow Encrypted Text"));
    QCOMPARE(t->GetSharedMenu(), IDR_TEXTTYPE);
}

void TestCEditorDoc::editCommandsReachTheView() {
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "abc");
    CCmdUI cut(ID_EDIT_CUT);
    m_frame->UpdateCmdUI(&cut);
    QVERIFY(!cut.m_enabled);
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_SELECT_ALL));
    QCOMPARE(doc->GetView()->textCursor().selectedText(), QString("abc"));
    m_frame->UpdateCmdUI(&cut);
    QVERIFY(cut.m_enabled);
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_CLEAR));
    QCOMPARE(doc->GetView()->GetAllText(), QString());
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_UNDO));
    QCOMPARE(doc->GetView()->GetAllText(), QString("abc"));
    // The document's own commands are there while it is active.
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_SET_FILE_PASSWORD, ID_FILE_PRINT}) {
        CCmdUI ui(id);
        m_frame->UpdateCmdUI(&ui);
        QVERIFY2(ui.m_enabled, qPrintable(QString::number(id)));
    }
}

void TestCEditorDoc::openWithRightPassword_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("two lines") << QStringLiteral("first\r\nsecond line");
    // A large text reaches the editor in parts as it is decrypted; the first part ends after
    // this many code units, so a line end or a character split there must be joined again.
    const qsizetype cut = (kReadPieceBytes - 8) / 2;
    QString head;
    while (head.size() < cut - 100)
        head += QStringLiteral("line of text \u00e9\U0001F600\r\n");
    head += QString(cut - 1 - head.size(), QLatin1Char('x'));
    const QString tail = QStringLiteral("y\r\nlast line");
    QTest::newRow("CR LF split between parts") << head + QStringLiteral("\r\n") + tail;
    QTest::newRow("surrogate pair split between parts")
        << head + QStringLiteral("\U0001F600") + tail;
}

void TestCEditorDoc::openWithRightPassword() {
    QFETCH(QString, text);
    const QString path = WriteFile("notes.etx", "pa55", text);
    DialogScript script;
    script.Then(EnterPassword("pa55"));
    auto* doc = qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    QVERIFY(script.Finished());
    QCOMPARE(doc->GetView()->GetAllText(), text);
    QCOMPARE(doc->GetView()->document()->blockCount(), text.count(QLatin1String("\r\n")) + 1);
    QVERIFY(!doc->GetView()->document()->isUndoAvailable());
    QVERIFY(!doc->IsModified());
    QCOMPARE(doc->GetTitle(), QString("notes.etx"));
    QCOMPARE(doc->GetPathName(), path);
    QCOMPARE(doc->FilePassword(), QString("pa55"));
    QCOMPARE(doc->GetView()->textCursor().position(), 0);
    QCOMPARE(m_frame->MdiArea()->subWindowList().size(), 1);
    // Typing marks it modified.
    Type(doc, "x");
    QVERIFY(doc->IsModified());
}

void TestCEditorDoc::openWithWrongPasswordNamesTheFile_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << QStringLiteral("secret text");
    // Parts of it reach the editor before the password shows to be wrong.
    QTest::newRow("several parts") << QString(kReadPieceBytes * 2, QLatin1Char('s'));
}

void TestCEditorDoc::openWithWrongPasswordNamesTheFile() {
    QFETCH(QString, text);
    const QString path = WriteFile("notes.etx", "right", text);
    QString label;
    DialogScript script;
    script.Then(EnterPassword("wrong")).Then(Answer(IDOK, &label, IDC_DECRYPT_FAILED_TEXT));
    QVERIFY(!m_app->OpenDocumentFile(path));
    QVERIFY(script.Finished());
    QCOMPARE(label, QString("Failed to decrypt the file: notes.etx"));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QVERIFY(m_frame->MdiArea()->subWindowList().isEmpty());
}

void TestCEditorDoc::openCancelledLeavesNoWindow() {
    const QString path = WriteFile("notes.etx", "right", "secret text");
    DialogScript script;
    script.Then(Cancel("CPasswordDlg"));
    QVERIFY(!m_app->OpenDocumentFile(path));
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen(), QStringList({"CPasswordDlg"}));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QVERIFY(m_frame->MdiArea()->subWindowList().isEmpty());
}

void TestCEditorDoc::openingAnOpenFileActivatesIt() {
    const QString a = WriteFile("a.etx", "pw", "A");
    const QString b = WriteFile("b.etx", "pw", "B");
    DialogScript script;
    script.Then(EnterPassword("pw")).Then(EnterPassword("pw"));
    CDocument* docA = m_app->OpenDocumentFile(a);
    CDocument* docB = m_app->OpenDocumentFile(b);
    QVERIFY(docA && docB && script.Finished());
    QCOMPARE(m_frame->MDIGetActive()->GetActiveDocument(), docB);
    QCOMPARE(m_app->OpenDocumentFile(a), docA);
    QCOMPARE(script.Seen().size(), 2); // no third prompt
    QCOMPARE(m_frame->MDIGetActive()->GetActiveDocument(), docA);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
}

void TestCEditorDoc::kswFromOpenGoesToPasswordsType() {
    CEditorDoc* doc = NewTextDoc();
    const QString ksw = m_dir->filePath("accounts.ksw");
    QFile f(ksw);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    DialogScript script;
    script.Then(ChooseFile(ksw));
    QVERIFY(doc->OnCmdMsg(ID_FILE_OPEN));
    QVERIFY(script.Finished());
    QCOMPARE(QFileInfo(g_passwordsOpened), QFileInfo(ksw));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
}

void TestCEditorDoc::saveTwiceAsksTwicePrefilled() {
    const QString path = WriteFile("notes.etx", "old", "text");
    DialogScript open;
    open.Then(EnterPassword("old"));
    auto* doc = qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    QString first, second;
    QString okText;
    Type(doc, " more");
    DialogScript script;
    script.Then(SetPassword("old", &first, &okText)).Then(SetPassword("new", &second));
    QVERIFY(doc->OnFileSave());
    QVERIFY(!doc->IsModified());
    QCOMPARE(Decrypt(path, "old"), QString("text more"));
    QVERIFY(doc->OnFileSave());
    QVERIFY(script.Finished());
    QCOMPARE(first, QString("old|old"));
    QCOMPARE(okText, QString("Save"));
    QCOMPARE(second, QString("old|old"));
    // The second save changed the password.
    QCOMPARE(Decrypt(path, "new"), QString("text more"));
    QCOMPARE(doc->FilePassword(), QString("new"));
}

void TestCEditorDoc::newThenSaveAsThenSaveWritesOneFile() {
    CEditorDoc* doc = NewTextDoc();
    QVERIFY(doc);
    QCOMPARE(doc->GetTitle(), QString("Untitled1"));
    Type(doc, "hello");
    const QString path = m_dir->filePath("first.etx");
    QString initial;
    DialogScript script;
    script.Then(ChooseFile(path, &initial)).Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSave()); // no path yet: Save As
    QVERIFY(script.Finished());
    QCOMPARE(initial, QString("Untitled1.etx"));
    QCOMPARE(doc->GetTitle(), QString("first.etx"));
    QCOMPARE(QFileInfo(doc->GetPathName()), QFileInfo(path));
    QCOMPARE(Decrypt(path, "pw"), QString("hello"));

    Type(doc, " again");
    DialogScript again;
    again.Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSave());
    QCOMPARE(again.Seen(), QStringList({"CSetPasswordDlg"}));
    QCOMPARE(Decrypt(path, "pw"), QString("hello again"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"first.etx"}));
}

void TestCEditorDoc::saveAsAppendsExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no dot") << "plain"
                            << "plain.etx";
    QTest::newRow("own extension kept") << "plain.txt"
                                        << "plain.txt";
    QTest::newRow("dot in folder only") << "my.folder/plain"
                                        << "my.folder/plain.etx";
}

void TestCEditorDoc::saveAsAppendsExtension() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QDir(m_dir->path()).mkpath("my.folder");
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "abc");
    DialogScript script;
    script.Then(ChooseFile(m_dir->filePath(chosen))).Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSaveAs());
    QVERIFY(script.Finished());
    QCOMPARE(Decrypt(m_dir->filePath(written), "pw"), QString("abc"));
    QCOMPARE(QFileInfo(doc->GetPathName()), QFileInfo(m_dir->filePath(written)));
}

void TestCEditorDoc::saveAsOntoExistingFileDeclined() {
    const QString path = WriteFile("plain.etx", "keep", "old content");
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    CEditorDoc* doc = NewTextDoc();
    Type(doc, "new content");
    DialogScript script;
    // Chosen without extension: the question is about plain.etx.
    script.Then(ChooseFile(m_dir->filePath("plain"))).Then(Answer(IDCANCEL));
    QVERIFY(!doc->OnFileSaveAs());
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen(), QStringList({"CTimedFileDialog", "CReplaceFileDlg"}));
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GetTitle(), QString("Untitled1"));

    // Yes replaces it.
    DialogScript yes;
    yes.Then(ChooseFile(path)).Then(Answer(IDOK)).Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSaveAs());
    QCOMPARE(Decrypt(path, "pw"), QString("new content"));
}

void TestCEditorDoc::spacesAndLineBreaksRoundTrip() {
    const QString text = "  \r\n \r\n\r\n \t \r\n";
    const QString path = WriteFile("blank.etx", "pw", text);
    DialogScript open;
    open.Then(EnterPassword("pw"));
    auto* doc = qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    QCOMPARE(doc->GetView()->GetAllText(), text);
    Type(doc, "\n ");
    DialogScript save;
    save.Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSave());
    // Enter makes CR LF in the file.
    QCOMPARE(Decrypt(path, "pw"), text + "\r\n ");
}

void TestCEditorDoc::newThroughTheChooser() {
    CEditorDoc* doc = NewTextDoc();
    DialogScript script;
    script.Then(Answer(IDC_NEW_TEXT_DOCUMENT));
    QVERIFY(doc->OnCmdMsg(ID_FILE_NEW));
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    auto* second = qobject_cast<CEditorDoc*>(m_frame->MDIGetActive()->GetActiveDocument());
    QVERIFY(second && second != doc);
    QCOMPARE(second->GetTitle(), QString("Untitled2"));
    QVERIFY(second->GetPathName().isEmpty());
    QVERIFY(second->FilePassword().isEmpty());

    DialogScript passwords;
    passwords.Then(Answer(IDC_NEW_PASSWORDS_DOCUMENT));
    QVERIFY(doc->OnCmdMsg(ID_FILE_NEW));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 3);
    QVERIFY(dynamic_cast<StubPasswordsDoc*>(m_frame->MDIGetActive()->GetActiveDocument()));

    DialogScript cancelled;
    cancelled.Then(Cancel("CNewDocumentDlg"));
    QVERIFY(doc->OnCmdMsg(ID_FILE_NEW));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 3);
}

void TestCEditorDoc::saveChangesNamesUntitledEtx() {
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "unsaved");
    QString label;
    DialogScript script;
    script.Then(Answer(IDCANCEL, &label, IDC_SAVE_CHANGES_TEXT));
    SubWindowOf(doc)->close();
    QVERIFY(script.Finished());
    QCOMPARE(label, QString("Save changes to Untitled1.etx?"));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1); // Cancel keeps it

    DialogScript no;
    no.Then(Answer(IDNO));
    SubWindowOf(doc)->close();
    QVERIFY(no.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestCEditorDoc::setNewPasswordAsksToSaveOnClose() {
    const QString path = WriteFile("notes.etx", "old", "content");
    DialogScript open;
    open.Then(EnterPassword("old"));
    auto* doc = qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    QString shown, okText;
    DialogScript set;
    set.Then(SetPassword("new", &shown, &okText));
    QVERIFY(m_frame->ExecuteCommand(ID_SET_FILE_PASSWORD));
    QVERIFY(set.Finished());
    QCOMPARE(okText, QString("Set"));
    QCOMPARE(shown, QString("old|old"));
    QCOMPARE(doc->FilePassword(), QString("new"));
    // The file still has the old password: the change must not be lost without a word.
    QVERIFY(doc->IsModified());
    QCOMPARE(Decrypt(path, "old"), QString("content"));

    // Cancel keeps what was set.
    DialogScript cancel;
    cancel.Then(Cancel("CSetPasswordDlg"));
    doc->OnSetFilePassword();
    QCOMPARE(doc->FilePassword(), QString("new"));
    QVERIFY(doc->IsModified());

    // Closing asks; Yes saves under the new password.
    QString again;
    DialogScript close;
    close.Then(Answer(IDYES)).Then(SetPassword("new", &again));
    SubWindowOf(doc)->close();
    QVERIFY(close.Finished());
    QCOMPARE(again, QString("new|new"));
    QCOMPARE(Decrypt(path, "new"), QString("content"));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestCEditorDoc::failedSaveIsReportedAndStaysModified() {
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "precious");
    // A folder of that name stands where the file should go.
    const QString path = m_dir->filePath("blocked.etx");
    QVERIFY(QDir(m_dir->path()).mkdir("blocked.etx"));
    doc->SetPathName(path, false);
    QString message;
    DialogScript script;
    script.Then(SetPassword("pw")).Then(AcceptMessage(&message));
    QVERIFY(!doc->OnSaveDocument(path));
    QVERIFY(script.Finished());
    QVERIFY2(message.contains("blocked.etx"), qPrintable(message));
    QVERIFY(!message.contains("pw"));
    QVERIFY(!message.contains("precious"));
    QVERIFY(doc->IsModified());
    QVERIFY(doc->GetView()->document()->isModified());
}

void TestCEditorDoc::yesThenFailedSaveKeepsDocumentOpen_data() {
    QTest::addColumn<int>("how"); // 0 write fails, 1 password cancelled, 2 file dialog cancelled
    QTest::newRow("write fails") << 0;
    QTest::newRow("password cancelled") << 1;
    QTest::newRow("file dialog cancelled") << 2;
}

void TestCEditorDoc::yesThenFailedSaveKeepsDocumentOpen() {
    QFETCH(int, how);
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "precious");
    QVERIFY(QDir(m_dir->path()).mkdir("blocked.etx"));
    QString message;
    DialogScript script;
    script.Then(Answer(IDYES));
    if (how == 0) {
        doc->SetPathName(m_dir->filePath("blocked.etx"), false);
        script.Then(SetPassword("pw")).Then(AcceptMessage(&message));
    } else if (how == 1) {
        doc->SetPathName(m_dir->filePath("blocked.etx"), false);
        script.Then(Cancel("CSetPasswordDlg"));
    } else {
        script.Then(Cancel("CTimedFileDialog"));
    }
    SubWindowOf(doc)->close();
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GetView()->GetAllText(), QString("precious"));
    QVERIFY(SubWindowOf(doc)->isVisible());
}

void TestCEditorDoc::saveAsWithPasswordCancelledDoesNotRename() {
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "abc");
    const QString path = m_dir->filePath("named.etx");
    DialogScript script;
    script.Then(ChooseFile(path)).Then(Cancel("CSetPasswordDlg"));
    QVERIFY(!doc->OnFileSaveAs());
    QVERIFY(script.Finished());
    QCOMPARE(doc->GetTitle(), QString("Untitled1"));
    QVERIFY(doc->GetPathName().isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(doc->IsModified());
}

void TestCEditorDoc::closingWhileLockedAsksScreenPasswordFirst_data() {
    QTest::addColumn<bool>("allow");
    QTest::newRow("screen password given") << true;
    QTest::newRow("screen password refused") << false;
}

void TestCEditorDoc::closingWhileLockedAsksScreenPasswordFirst() {
    QFETCH(bool, allow);
    CEditorDoc* doc = NewTextDoc();
    Type(doc, "abc");
    m_host->m_locked = 1;
    m_host->allowUnlock = allow;
    DialogScript script;
    if (allow)
        script.Then(Answer(IDNO));
    SubWindowOf(doc)->close();
    QCOMPARE(m_host->unlockAsked, 1);
    QCOMPARE(script.Seen(), allow ? QStringList({"CSaveChangesDlg"}) : QStringList());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), allow ? 0 : 1);
    QCOMPARE(m_host->m_locked, quint8(allow ? 0 : 1));
}

void TestCEditorDoc::openThatCannotReadTellsWhy_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("heldByAnother");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("The file is empty.");
    QTest::newRow("held by another program")
        << QByteArray(16, 'x') << true << QStringLiteral("in use by another program");
}

void TestCEditorDoc::openThatCannotReadTellsWhy() {
    QFETCH(QByteArray, content);
    QFETCH(bool, heldByAnother);
    QFETCH(QString, reason);
    const QString path = m_dir->filePath("unreadable.etx");
    WriteRaw(path, content);
    QFile holder(path);
    if (heldByAnother) {
        QVERIFY(holder.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
    }
    QString message;
    DialogScript script;
    script.Then(EnterPassword("pw")).Then(AcceptMessage(&message));
    QVERIFY(!m_app->OpenDocumentFile(path));
    QVERIFY(script.Finished());
    // The person learns which file and why; nothing opened and the file is as it was.
    QVERIFY2(message.contains("unreadable.etx"), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QCOMPARE(ReadAll(path), content);
}

void TestCEditorDoc::printSetupConfirmsWithOk() {
    CEditorDoc* doc = NewTextDoc();
    QString confirm;
    DialogScript script;
    script.Then([&confirm](QWidget* d) {
        if (auto* buttons = d->findChild<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
                confirm = ok->text();
        static_cast<QDialog*>(d)->reject();
    });
    CEditorView::PrintSetup(doc->GetView());
    QVERIFY(script.Finished());
    // Setting up the printer prints nothing, so the button does not say Print.
    QCOMPARE(confirm, QString("OK"));
}

void TestCEditorDoc::openOnlyRegularFiles_data() {
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<bool>("fromRecentList");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO from Open") << true << false << QStringLiteral("not a regular file");
    QTest::newRow("FIFO from the recent-file list")
        << true << true << QStringLiteral("not a regular file");
    QTest::newRow("folder from Open") << false << false << QStringLiteral("a folder");
}

void TestCEditorDoc::openOnlyRegularFiles() {
    QFETCH(bool, fifo);
    QFETCH(bool, fromRecentList);
    QFETCH(QString, reason);
    // Nobody ever writes to this FIFO: reading it would hang the window for good.
    const QString path = m_dir->filePath("pipe.etx");
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QDir(m_dir->path()).mkdir("pipe.etx"));
    QString message;
    DialogScript script;
    script.Then(AcceptMessage(&message)); // no password prompt first
    if (fromRecentList) {
        m_app->LoadStdProfileSettings(4);
        m_app->AddToRecentFileList(path);
        m_app->OnOpenRecentFile(ID_FILE_MRU_FILE1);
    } else {
        QVERIFY(!m_app->OpenDocumentFile(path));
    }
    QVERIFY(script.Finished());
    QVERIFY2(message.contains("pipe.etx"), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestCEditorDoc::saveRefusesZeroCharacter() {
    const QString path = WriteFile("zero.etx", "pw", "the old text");
    QVERIFY(!path.isEmpty());
    CEditorDoc* doc = NewTextDoc();
    doc->SetPathName(path, false);
    // A paste can bring a zero character along; stored, it would end the text there.
    doc->GetView()->textCursor().insertText(QStringLiteral("first\nab") + QChar(0) +
                                            QStringLiteral("after"));
    QVERIFY(doc->IsModified());
    QString message;
    DialogScript script;
    script.Then(SetPassword("pw")).Then(AcceptMessage(&message));
    QVERIFY(!doc->OnSaveDocument(path));
    QVERIFY(script.Finished());
    QVERIFY2(message.contains("zero.etx"), qPrintable(message));
    QVERIFY2(message.contains("line 2, column 3"), qPrintable(message));
    QCOMPARE(Decrypt(path, "pw"), QStringLiteral("the old text"));
    QVERIFY(doc->IsModified());
}

void TestCEditorDoc::fullDiskKeepsDocumentAndFile() {
    FullDisk disk;
    if (const QString why = disk.Mount(); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString path = disk.Path(QStringLiteral("doc.etx"));
    QCOMPARE(SaveTextFile(path, QStringLiteral("pw"), QStringLiteral("old")), SaveResult::Saved);
    const QByteArray before = ReadAll(path);
    DialogScript script;
    script.Then(EnterPassword("pw"));
    auto* doc = qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    disk.Fill();
    Type(doc, "new");
    // What Ctrl+S runs; then closing still asks, and Cancel keeps the window and the text.
    QString message, asked;
    script.Then(SetPassword("pw"))
        .Then(AcceptMessage(&message))
        .Then(Answer(IDCANCEL, &asked, IDC_SAVE_CHANGES_TEXT));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_SAVE));
    SubWindowOf(doc)->close();
    QVERIFY(script.Finished());
    QVERIFY2(message.contains("doc.etx.\nNo space left on device"), qPrintable(message));
    QCOMPARE(ReadAll(path), before);
    QCOMPARE(disk.Names(), QStringList{QStringLiteral("doc.etx")});
    QVERIFY2(asked.contains("doc.etx"), qPrintable(asked));
    QVERIFY(SubWindowOf(doc)->isVisible() && doc->IsModified());
    QCOMPARE(doc->GetView()->GetAllText(), QStringLiteral("oldnew"));
}

void TestCEditorDoc::formatCarriedThroughCommands_data() {
    QTest::addColumn<bool>("startStrong");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("tick");
    QTest::addColumn<bool>("endStrong");
    const int leave = Qt::PartiallyChecked, tick = Qt::Checked, untick = Qt::Unchecked;
    // A new document starts in the format the setting names.
    QTest::newRow("new, setting compatible") << false << "new" << leave << false;
    QTest::newRow("new, setting strong") << true << "new" << leave << true;
    QTest::newRow("strong, Save keeps it") << true << "save" << leave << true;
    QTest::newRow("strong, Save unticked") << true << "save" << untick << false;
    QTest::newRow("compatible, Save keeps it") << false << "save" << leave << false;
    QTest::newRow("compatible, Save ticked") << false << "save" << tick << true;
    QTest::newRow("strong, Save As keeps it") << true << "save as" << leave << true;
    QTest::newRow("compatible, Save As ticked") << false << "save as" << tick << true;
    QTest::newRow("strong, Set keeps it") << true << "set" << leave << true;
    QTest::newRow("strong, Set unticked") << true << "set" << untick << false;
    QTest::newRow("compatible, Set ticked") << false << "set" << tick << true;
}

void TestCEditorDoc::formatCarriedThroughCommands() {
    QFETCH(bool, startStrong);
    QFETCH(QString, command);
    QFETCH(int, tick);
    QFETCH(bool, endStrong);
    const FileFormat start = startStrong ? FileFormat::Strong : FileFormat::Compatible;
    SetDefaultStrongParamsForTesting(&kFastParams);
    const bool fresh = command == u"new";
    const QString path = m_dir->filePath("doc.etx");
    const QString target = fresh || command == u"save as" ? m_dir->filePath("other.etx") : path;
    DialogScript script;
    if (fresh) {
        SetNewDocumentsFormat(start);
    } else {
        QCOMPARE(SaveTextFile(path, "pw", "text", nullptr, start), SaveResult::Saved);
        script.Then(EnterPassword("pw"));
    }
    auto* doc = fresh ? NewTextDoc() : qobject_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    QVERIFY(doc);
    Type(doc, " more");
    bool shown = !startStrong, shownAgain = !endStrong;
    const auto dialog = SetPasswordAndFormat("pw", Qt::CheckState(tick), &shown);
    if (command == u"set") {
        // The choice waits for the next save, whose dialog shows it.
        script.Then(dialog).Then(SetPasswordAndFormat("pw", Qt::PartiallyChecked, &shownAgain));
        QVERIFY(m_frame->ExecuteCommand(ID_SET_FILE_PASSWORD));
        QCOMPARE(IsStrongFile(path), startStrong);
        QVERIFY(doc->OnFileSave());
        QCOMPARE(shownAgain, endStrong);
    } else if (command == u"save") {
        script.Then(dialog);
        QVERIFY(doc->OnFileSave());
    } else {
        script.Then(ChooseFile(target)).Then(dialog);
        QVERIFY(fresh ? doc->OnFileSave() : doc->OnFileSaveAs());
    }
    QVERIFY(script.Finished());
    QCOMPARE(shown, startStrong);
    QCOMPARE(IsStrongFile(target), endStrong);
    QCOMPARE(doc->DocumentFormat() == FileFormat::Strong, endStrong);
    QCOMPARE(Decrypt(target, "pw"), fresh ? QString(" more") : QString("text more"));
    SetNewDocumentsFormat(FileFormat::Compatible);
    SetDefaultStrongParamsForTesting(nullptr);
}

void TestCEditorDoc::damagedStrongFileIsRefused() {
    SetDefaultStrongParamsForTesting(&kFastParams);
    const QString path = m_dir->filePath("changed.etx");
    QCOMPARE(SaveTextFile(path, "pw", "secret text", nullptr, FileFormat::Strong),
             SaveResult::Saved);
    SetDefaultStrongParamsForTesting(nullptr);
    QByteArray bytes = ReadAll(path);
    bytes[bytes.size() - 20] ^= 1;
    WriteRaw(path, bytes);
    QString message;
    DialogScript open;
    open.Then(EnterPassword("pw")).Then(AcceptMessage(&message));
    QVERIFY(!m_app->OpenDocumentFile(path));
    QVERIFY(open.Finished());
    QCOMPARE(message, QString("changed.etx is damaged or has been changed: it cannot be opened."));
    QCOMPARE(CWinApp::Current()->GetDocManager()->GetOpenDocumentCount(), 0);
}
