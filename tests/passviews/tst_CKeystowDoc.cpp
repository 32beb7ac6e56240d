#include "tst_CKeystowDoc.h"

#include "CActivityHost.h"
#include "CDocManager.h"
#include "CEditorDoc.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CViewSwitchSplitter.h"
#include "CWinApp.h"
#include "PasswordsDocType.h"
#include "TestFiles.h"
#include "TextDocType.h"
#include "tst_PassSteps.h"

#include <PasswordsFile.h>
#include <PasswordsMarkup.h>
#include <StrongHeader.h>
#include <TextFile.h>

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QTest>
#include <QTreeWidgetItem>

#include <sys/stat.h>

using namespace passsteps;

// Stands in for the main frame's lock state.
class PassTestHost : public CActivityHost {
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

// One line per record in slot order: kind, then the fields joined by '|'.
QString Summary(const AccountStore& store) {
    QStringList lines;
    store.web.enumerate([&](int, const WebAccount& a) {
        lines << QStringList{"web", a.name, a.address, a.userId, a.password, a.notes}.join('|');
    });
    store.mail.enumerate([&](int, const MailAccount& a) {
        lines << QStringList{"mail",     a.name,       a.address,   a.webInterface, a.userId,
                             a.password, a.smtpServer, a.popServer, a.notes}
                     .join('|');
    });
    store.other.enumerate([&](int, const OtherAccount& a) {
        lines << QStringList{"other", a.name, a.description, a.pin, a.notes}.join('|');
    });
    return lines.join('\n');
}

// What the file holds, read back with the markup reader; "<not loaded>" when it does not open.
QString FileSummary(const QString& path, const QString& password) {
    QByteArray markup;
    if (LoadTextFileUtf8(path, password, markup) != LoadResult::Loaded)
        return QStringLiteral("<not loaded>");
    AccountStore store;
    if (!ReadPasswordsMarkup(markup, store))
        return QStringLiteral("<not markup>");
    return Summary(store);
}

void FillSample(AccountStore& store) {
    store.web.append({"bank", "https://bank.example", "me", "s3cret", "two\r\nlines"});
    store.web.append({"shop", "shop.example", "buyer", "<&>", ""});
    MailAccount mail;
    mail.name = "home mail";
    mail.address = "me@example.org";
    mail.password = "mailpw";
    mail.smtpServer = "smtp.example.org";
    store.mail.append(mail);
    OtherAccount card;
    card.name = "card";
    card.description = "visa";
    card.pin = "1234";
    store.other.append(card);
}

CMultiDocTemplate* PasswordsTemplate() {
    for (CMultiDocTemplate* t : CWinApp::Current()->GetDocManager()->GetTemplates())
        if (t->GetResourceId() == IDR_KEYSTOWTYPE)
            return t;
    return nullptr;
}

QMdiSubWindow* SubWindowOf(CKeystowDoc* doc) {
    return doc->GetFrame() ? doc->GetFrame()->SubWindow() : nullptr;
}

} // namespace

TestCKeystowDoc::TestCKeystowDoc() = default;
TestCKeystowDoc::~TestCKeystowDoc() = default;

QString TestCKeystowDoc::WriteAccounts(const QString& name, const QString& password,
                                       const AccountStore& store) {
    const QString path = m_dir->filePath(name);
    if (SavePasswordsFile(path, password, store) != SaveResult::Saved)
        return QString();
    return path;
}

CKeystowDoc* TestCKeystowDoc::Open(const QString& path, const QString& password) {
    DialogScript script;
    script.Then(EnterPassword(password));
    auto* doc = qobject_cast<CKeystowDoc*>(m_app->OpenDocumentFile(path));
    return script.Finished() ? doc : nullptr;
}

CKeystowDoc* TestCKeystowDoc::NewDoc() {
    return qobject_cast<CKeystowDoc*>(PasswordsTemplate()->OpenDocumentFile(QString()));
}

void TestCKeystowDoc::init() {
    m_host = std::make_unique<PassTestHost>();
    StartFramework({CreateTextDocTemplate(), CreatePasswordsDocTemplate()}, QSize(900, 700));
}

void TestCKeystowDoc::cleanup() {
    StopFramework();
    m_host.reset();
}

void TestCKeystowDoc::documentString() {
    CMultiDocTemplate* t = PasswordsTemplate();
    QVERIFY(t);
    QCOMPARE(t->GetDocString(CMultiDocTemplate::docName), QString("Untitled"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::fileNewName), QString("WebAcc"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::filterExt), QString(".ksw"));
    QCOMPARE(t->GetDocString(CMultiDocTemplate::regFileTypeId), QString("Ksw.Document"));
    QCOMPARE(t->GetSharedMenu(), IDR_TEXTTYPE);
}

void TestCKeystowDoc::openShowsTheWindow() {
    AccountStore store;
    FillSample(store);
    const QString path = WriteAccounts("vault.ksw", "pa55", store);
    CKeystowDoc* doc = Open(path, "pa55");
    QVERIFY(doc);
    QCOMPARE(Summary(doc->Accounts()), Summary(store));
    QVERIFY(!doc->IsModified());
    QCOMPARE(doc->GetTitle(), QString("vault.ksw"));
    QCOMPARE(QFileInfo(doc->GetPathName()), QFileInfo(path));
    QCOMPARE(doc->FilePassword(), QString("pa55"));

    CKeystowChildFrame* frame = doc->GetFrame();
    QVERIFY(frame);
    QVERIFY(SubWindowOf(doc)->isMaximized());
    QCOMPARE(m_frame->MdiArea()->activeSubWindow(), SubWindowOf(doc));
    // The tree holds every account under its category; the add-accounts page shows.
    CLeftView* tree = frame->GetLeftView();
    QVERIFY(tree && tree->isVisible());
    QCOMPARE(tree->WebItem()->childCount(), 2);
    QCOMPARE(tree->EmailItem()->childCount(), 1);
    QCOMPARE(tree->OtherItem()->childCount(), 1);
    QCOMPARE(tree->WebItem()->child(0)->text(0), QString("bank"));
    QVERIFY(frame->GetPaneView(frame->blankRootViewId)->isVisible());
    QTRY_COMPARE(frame->GetSplitter()->sizes().value(0), CKeystowChildFrame::kTreeWidth);
}

void TestCKeystowDoc::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // what the message says beside the file name
    QTest::newRow("wrong password") << "wrong"
                                    << "Failed to decrypt the file: ";
    QTest::newRow("text document renamed") << "text"
                                           << "does not hold a passwords document";
    QTest::newRow("empty file") << "empty"
                                << "empty";
    QTest::newRow("not a file") << "folder"
                                << "a folder";
    // Nobody writes to the FIFO: reading it would hang the window.
    QTest::newRow("FIFO") << "fifo"
                          << "not a regular file";
    QTest::newRow("prompt cancelled") << "cancel"
                                      << "";
    QTest::newRow("strong, wrong password") << "strong wrong"
                                            << "Failed to decrypt the file: ";
    QTest::newRow("strong, damaged") << "damaged"
                                     << "is damaged or has been changed: it cannot be opened.";
}

void TestCKeystowDoc::openFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    const QString path = m_dir->filePath("vault.ksw");
    if (kind == "text") {
        QCOMPARE(SaveTextFile(path, "pa55", "shopping list:\r\nmilk"), SaveResult::Saved);
    } else if (kind == "empty") {
        WriteRaw(path, QByteArray());
    } else if (kind == "folder") {
        QVERIFY(QDir(m_dir->path()).mkdir("vault.ksw"));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        AccountStore store;
        FillSample(store);
        const bool strong = kind == "strong wrong" || kind == "damaged";
        const StrongParams fast{1, 8192};
        SetDefaultStrongParamsForTesting(&fast);
        QCOMPARE(SavePasswordsFile(path, "pa55", store, nullptr,
                                   strong ? FileFormat::Strong : FileFormat::Compatible),
                 SaveResult::Saved);
        SetDefaultStrongParamsForTesting(nullptr);
        if (kind == "damaged") {
            QByteArray bytes = ReadAll(path);
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x40);
            WriteRaw(path, bytes);
        }
    }
    // Only regular files are read: there is nothing to compare for the others.
    const bool regular = QFileInfo(path).isFile();
    const QByteArray before = regular ? ReadAll(path) : QByteArray();

    QString message;
    DialogScript script;
    // What is not a regular file is refused before the password prompt.
    const bool refusedAtOnce = kind == "folder" || kind == "fifo";
    if (kind == "cancel") {
        script.Then(Cancel("CPasswordDlg"));
    } else if (kind == "wrong" || kind == "strong wrong") {
        script.Then(EnterPassword("wrong"))
            .Then(Answer("CDecryptFailedDlg", IDOK, &message, IDC_DECRYPT_FAILED_TEXT));
    } else if (refusedAtOnce) {
        script.Then(AcceptMessage(&message));
    } else {
        script.Then(EnterPassword("pa55")).Then(AcceptMessage(&message));
    }
    QVERIFY(!m_app->OpenDocumentFile(path));
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen().size(), kind == "cancel" || refusedAtOnce ? 1 : 2);
    if (kind == "cancel") {
        QVERIFY(message.isEmpty());
    } else {
        QVERIFY2(message.contains("vault.ksw"), qPrintable(message));
        QVERIFY2(message.contains(expected), qPrintable(message));
        QVERIFY(!message.contains("pa55"));
    }
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QVERIFY(m_frame->MdiArea()->subWindowList().isEmpty());
    if (regular)
        QCOMPARE(ReadAll(path), before); // untouched
}

void TestCKeystowDoc::markupVariantsOpenAndSurviveASave_data() {
    QTest::addColumn<QByteArray>("markup");
    QTest::addColumn<QString>("accounts");
    const QByteArray web = "<ACCOUNT><NAME>w</NAME><ADDRESS>a</ADDRESS><USERID>u</USERID>"
                           "<PASSWORD>p</PASSWORD><NOTES>n</NOTES></ACCOUNT>";
    QTest::newRow("root not named DOC") << "<VAULT><WEB_ACCOUNTS>" + web + "</WEB_ACCOUNTS></VAULT>"
                                        << "web|w|a|u|p|n";
    QTest::newRow("empty DOC") << QByteArray("<DOC/>") << "";
    QTest::newRow("groups in reverse order")
        << "<DOC><OTHER_ACCOUNTS><ACCOUNT><NAME>o</NAME><USERID>d</USERID><PASSWORD>9</PASSWORD>"
           "</ACCOUNT></OTHER_ACCOUNTS><MAIL_ACCOUNTS><ACCOUNT><NAME>m</NAME></ACCOUNT>"
           "</MAIL_ACCOUNTS><WEB_ACCOUNTS>" +
               web + "</WEB_ACCOUNTS></DOC>"
        << "web|w|a|u|p|n\nmail|m|||||||\nother|o|d|9|";
    QTest::newRow("fields out of order")
        << QByteArray("<DOC><WEB_ACCOUNTS><ACCOUNT><NOTES>n</NOTES><PASSWORD>p</PASSWORD>"
                      "<NAME>w</NAME><USERID>u</USERID><ADDRESS>a</ADDRESS></ACCOUNT>"
                      "</WEB_ACCOUNTS></DOC>")
        << "web|w|a|u|p|n";
}

void TestCKeystowDoc::markupVariantsOpenAndSurviveASave() {
    QFETCH(QByteArray, markup);
    QFETCH(QString, accounts);
    const QString path = m_dir->filePath("hand.ksw");
    QCOMPARE(SaveTextFileUtf8(path, "pw pw", markup), SaveResult::Saved);
    CKeystowDoc* doc = Open(path, "pw pw");
    QVERIFY(doc);
    QCOMPARE(Summary(doc->Accounts()), accounts);
    // Saving writes the standard layout with the same accounts.
    QVERIFY(doc->OnFileSave());
    QCOMPARE(FileSummary(path, "pw pw"), accounts);
    QByteArray text;
    QCOMPARE(LoadTextFileUtf8(path, "pw pw", text), LoadResult::Loaded);
    QCOMPARE(text, BuildPasswordsMarkup(doc->Accounts()));
}

void TestCKeystowDoc::saveWritesExactlyTheChange() {
    AccountStore store;
    FillSample(store);
    const QString path = WriteAccounts("vault.ksw", "pa55", store);
    CKeystowDoc* doc = Open(path, "pa55");
    QVERIFY(doc);
    doc->Accounts().web.at(1)->password = "changed & new";
    doc->Accounts().other.remove(0);
    doc->SetModifiedFlag();
    store.web.at(1)->password = "changed & new";
    store.other.remove(0);

    DialogScript script; // the password is known: no dialog
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_SAVE));
    QVERIFY(script.Seen().isEmpty());
    QVERIFY(!doc->IsModified());
    QCOMPARE(FileSummary(path, "pa55"), Summary(store));
}

void TestCKeystowDoc::newDocumentSaveAsNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no dot") << "vault"
                            << "vault.ksw";
    QTest::newRow("own extension kept") << "vault.dat"
                                        << "vault.dat";
    QTest::newRow("dot in a folder name") << "john.doe/vault"
                                          << "john.doe/vault.ksw";
}

void TestCKeystowDoc::newDocumentSaveAsNames() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QVERIFY(QDir(m_dir->path()).mkpath("john.doe"));
    CKeystowDoc* doc = NewDoc();
    QVERIFY(doc);
    QCOMPARE(doc->GetTitle(), QString("Untitled1"));
    QVERIFY(SubWindowOf(doc)->isMaximized());
    doc->Accounts().web.append({"site"});
    doc->SetModifiedFlag();

    QString initial, okText;
    DialogScript script;
    script.Then(ChooseFile(m_dir->filePath(chosen), &initial))
        .Then(SetPassword("new pw", nullptr, &okText));
    QVERIFY(doc->OnFileSave()); // no path yet: Save As
    QVERIFY(script.Finished());
    QCOMPARE(initial, QString("Untitled1.ksw"));
    QCOMPARE(okText, QString("Save"));
    const QString path = m_dir->filePath(written);
    QCOMPARE(FileSummary(path, "new pw"), QString("web|site||||"));
    QCOMPARE(QFileInfo(doc->GetPathName()), QFileInfo(path));
    QCOMPARE(doc->GetTitle(), QFileInfo(path).fileName());
    QCOMPARE(doc->FilePassword(), QString("new pw"));
    QVERIFY(!doc->IsModified());
    // The tree's root names the file the edits now go to.
    QCOMPARE(doc->GetFrame()->GetLeftView()->RootItem()->text(0), doc->GetPathName());
}

void TestCKeystowDoc::saveAsOntoExistingFile() {
    AccountStore old;
    old.web.append({"old"});
    const QString path = WriteAccounts("vault.ksw", "keep", old);
    const QByteArray bytes = ReadAll(path);
    CKeystowDoc* doc = NewDoc();
    doc->Accounts().web.append({"new"});
    doc->SetModifiedFlag();

    DialogScript declined;
    // Chosen without extension: the question is about vault.ksw.
    declined.Then(ChooseFile(m_dir->filePath("vault"))).Then(Answer("CReplaceFileDlg", IDCANCEL));
    QVERIFY(!doc->OnFileSaveAs());
    QVERIFY(declined.Finished());
    QCOMPARE(declined.Seen(), QStringList({"CTimedFileDialog", "CReplaceFileDlg"}));
    QCOMPARE(ReadAll(path), bytes);
    QVERIFY(doc->IsModified());
    QCOMPARE(doc->GetTitle(), QString("Untitled1"));

    DialogScript yes;
    yes.Then(ChooseFile(path)).Then(Answer("CReplaceFileDlg", IDOK)).Then(SetPassword("pw"));
    QVERIFY(doc->OnFileSaveAs());
    QVERIFY(yes.Finished());
    QCOMPARE(FileSummary(path, "pw"), QString("web|new||||"));
}

void TestCKeystowDoc::saveAsThatDoesNotCompleteChangesNothing_data() {
    QTest::addColumn<int>("how"); // 0 password cancelled, 1 write fails, 2 file dialog cancelled
    QTest::newRow("password cancelled") << 0;
    QTest::newRow("write fails") << 1;
    QTest::newRow("file dialog cancelled") << 2;
}

void TestCKeystowDoc::saveAsThatDoesNotCompleteChangesNothing() {
    QFETCH(int, how);
    AccountStore store;
    FillSample(store);
    const QString path = WriteAccounts("vault.ksw", "pa55", store);
    CKeystowDoc* doc = Open(path, "pa55");
    QVERIFY(doc);
    doc->Accounts().web.append({"added"});
    doc->SetModifiedFlag();
    // A plain file where the folder of the new name should be: the write cannot succeed.
    WriteRaw(m_dir->filePath("notafolder"), "x");
    const QString target = m_dir->filePath(how == 1 ? "notafolder/copy.ksw" : "copy.ksw");

    QString message;
    DialogScript script;
    if (how == 2) {
        script.Then(Cancel("CTimedFileDialog"));
    } else if (how == 1) {
        script.Then(ChooseFile(target)).Then(SetPassword("other")).Then(AcceptMessage(&message));
    } else {
        script.Then(ChooseFile(target)).Then(Cancel("CSetPasswordDlg"));
    }
    QVERIFY(!doc->OnFileSaveAs());
    QVERIFY(script.Finished());
    if (how == 1) {
        QVERIFY2(message.contains("copy.ksw"), qPrintable(message));
        QVERIFY(!message.contains("other"));
    }
    QCOMPARE(QFileInfo(doc->GetPathName()), QFileInfo(path));
    QCOMPARE(doc->GetTitle(), QString("vault.ksw"));
    QCOMPARE(doc->GetFrame()->GetLeftView()->RootItem()->text(0), doc->GetPathName());
    QCOMPARE(doc->FilePassword(), QString("pa55"));
    QVERIFY(doc->IsModified());
    QVERIFY(!QFileInfo::exists(m_dir->filePath("copy.ksw")));
    QCOMPARE(FileSummary(path, "pa55"), Summary(store));
}

void TestCKeystowDoc::failedSaveIsReportedAndStaysModified_data() {
    QTest::addColumn<bool>("folderInTheWay");
    QTest::addColumn<QString>("reason"); // part of the message besides the file name
    QTest::newRow("folder in the way") << true << "";
    QTest::newRow("zero character in a field") << false << "zero character";
}

void TestCKeystowDoc::failedSaveIsReportedAndStaysModified() {
    QFETCH(bool, folderInTheWay);
    QFETCH(QString, reason);
    AccountStore store;
    FillSample(store);
    const QString path = WriteAccounts("vault.ksw", "pa55", store);
    CKeystowDoc* doc = Open(path, "pa55");
    QVERIFY(doc);
    doc->Accounts().web.at(0)->notes = "precious";
    if (!folderInTheWay)
        doc->Accounts().web.at(0)->notes += QChar(0);
    doc->SetModifiedFlag();
    if (folderInTheWay) {
        // A folder now stands where the file was.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(m_dir->path()).mkdir("vault.ksw"));
    }
    const QByteArray before = ReadAll(path);
    QString message;
    DialogScript script;
    // Something else now has the file's name: the save asks first.
    if (folderInTheWay)
        script.Then(Answer("CFileChangedDlg", IDOK));
    script.Then(AcceptMessage(&message));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_SAVE)); // handled, though it did not complete
    QVERIFY(script.Finished());
    QVERIFY2(message.contains("vault.ksw"), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(!message.contains("pa55"));
    QVERIFY(!message.contains("precious"));
    QVERIFY(doc->IsModified());
    QCOMPARE(ReadAll(path), before);
    // OnSaveDocument itself says the save did not complete.
    DialogScript again;
    again.Then(AcceptMessage(&message));
    QVERIFY(!doc->OnSaveDocument(path));
    QVERIFY(again.Finished());
}

void TestCKeystowDoc::newThroughTheChooser_data() {
    QTest::addColumn<int>("choice"); // the chooser's button; 0 cancels it
    QTest::addColumn<QString>("created");
    QTest::newRow("passwords document") << int(IDC_NEW_PASSWORDS_DOCUMENT) << "CKeystowDoc";
    QTest::newRow("text document") << int(IDC_NEW_TEXT_DOCUMENT) << "CEditorDoc";
    QTest::newRow("cancelled") << 0 << "";
}

void TestCKeystowDoc::newThroughTheChooser() {
    QFETCH(int, choice);
    QFETCH(QString, created);
    CKeystowDoc* doc = NewDoc();
    DialogScript script;
    if (choice != 0)
        script.Then(Answer("CNewDocumentDlg", choice));
    else
        script.Then(Cancel("CNewDocumentDlg"));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_NEW));
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), created.isEmpty() ? 1 : 2);
    CDocument* active = m_frame->MDIGetActive()->GetActiveDocument();
    if (created.isEmpty()) {
        QCOMPARE(active, doc);
    } else {
        QVERIFY(active != doc);
        QCOMPARE(QString(active->metaObject()->className()), created);
        QCOMPARE(active->GetTitle(), QString("Untitled") + (created == "CKeystowDoc" ? "2" : "1"));
    }
}

void TestCKeystowDoc::openCommandPicksTheTypeByExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("created");
    QTest::newRow("passwords file") << "vault.ksw"
                                    << "CKeystowDoc";
    QTest::newRow("text file") << "notes.etx"
                               << "CEditorDoc";
}

void TestCKeystowDoc::openCommandPicksTheTypeByExtension() {
    QFETCH(QString, name);
    QFETCH(QString, created);
    const QString path = m_dir->filePath(name);
    if (created == "CKeystowDoc") {
        AccountStore store;
        FillSample(store);
        QCOMPARE(SavePasswordsFile(path, "pw", store), SaveResult::Saved);
    } else {
        QCOMPARE(SaveTextFile(path, "pw", "some text"), SaveResult::Saved);
    }
    CKeystowDoc* doc = NewDoc();
    DialogScript script;
    script.Then(ChooseFile(path)).Then(EnterPassword("pw"));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_OPEN));
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    CDocument* opened = m_frame->MDIGetActive()->GetActiveDocument();
    QVERIFY(opened != doc);
    QCOMPARE(QString(opened->metaObject()->className()), created);
    QCOMPARE(QFileInfo(opened->GetPathName()), QFileInfo(path));
}

void TestCKeystowDoc::yesThenFailedSaveKeepsDocumentOpen_data() {
    QTest::addColumn<int>("how"); // 0 write fails, 1 password cancelled, 2 file dialog cancelled
    QTest::newRow("write fails") << 0;
    QTest::newRow("password cancelled") << 1;
    QTest::newRow("file dialog cancelled") << 2;
}

void TestCKeystowDoc::yesThenFailedSaveKeepsDocumentOpen() {
    QFETCH(int, how);
    CKeystowDoc* doc = NewDoc();
    doc->Accounts().web.append({"precious"});
    doc->SetModifiedFlag();
    QVERIFY(QDir(m_dir->path()).mkdir("blocked.ksw"));
    QString message;
    DialogScript script;
    script.Then(Answer("CSaveChangesDlg", IDYES));
    if (how == 0) {
        doc->SetPathName(m_dir->filePath("blocked.ksw"), false);
        script.Then(SetPassword("pw")).Then(AcceptMessage(&message));
    } else if (how == 1) {
        doc->SetPathName(m_dir->filePath("blocked.ksw"), false);
        script.Then(Cancel("CSetPasswordDlg"));
    } else {
        script.Then(Cancel("CTimedFileDialog"));
    }
    SubWindowOf(doc)->close();
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
    QVERIFY(doc->IsModified());
    QCOMPARE(Summary(doc->Accounts()), QString("web|precious||||"));
    QVERIFY(SubWindowOf(doc)->isVisible());
}

void TestCKeystowDoc::setNewPasswordMarksModifiedAndClosingAsks() {
    AccountStore store;
    FillSample(store);
    const QString path = WriteAccounts("vault.ksw", "old", store);
    CKeystowDoc* doc = Open(path, "old");
    QVERIFY(doc);
    QString shown, okText;
    DialogScript set;
    set.Then(SetPassword("new", &shown, &okText));
    QVERIFY(m_frame->ExecuteCommand(ID_SET_FILE_PASSWORD));
    QVERIFY(set.Finished());
    QCOMPARE(okText, QString("Set"));
    QCOMPARE(shown, QString("old|old"));
    QCOMPARE(doc->FilePassword(), QString("new"));
    QVERIFY(doc->IsModified());
    QCOMPARE(FileSummary(path, "old"), Summary(store)); // nothing written yet

    // Cancel keeps what was set.
    DialogScript cancel;
    cancel.Then(Cancel("CSetPasswordDlg"));
    QVERIFY(!doc->OnSetFilePassword());
    QCOMPARE(doc->FilePassword(), QString("new"));

    QString label;
    DialogScript close;
    close.Then(Answer("CSaveChangesDlg", IDYES, &label, IDC_SAVE_CHANGES_TEXT));
    SubWindowOf(doc)->close();
    QVERIFY(close.Finished());
    QVERIFY2(label.contains("vault.ksw"), qPrintable(label));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QCOMPARE(FileSummary(path, "new"), Summary(store));
}

void TestCKeystowDoc::saveChangesNamesUntitledKsw() {
    CKeystowDoc* doc = NewDoc();
    doc->Accounts().other.append({"pin"});
    doc->SetModifiedFlag();
    QString label;
    DialogScript script;
    script.Then(Answer("CSaveChangesDlg", IDCANCEL, &label, IDC_SAVE_CHANGES_TEXT));
    SubWindowOf(doc)->close();
    QVERIFY(script.Finished());
    QCOMPARE(label, QString("Save changes to Untitled1.ksw?"));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);

    DialogScript no;
    no.Then(Answer("CSaveChangesDlg", IDNO));
    SubWindowOf(doc)->close();
    QVERIFY(no.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestCKeystowDoc::closingWhileLockedAsksScreenPasswordFirst_data() {
    QTest::addColumn<bool>("allow");
    QTest::newRow("screen password given") << true;
    QTest::newRow("screen password refused") << false;
}

void TestCKeystowDoc::closingWhileLockedAsksScreenPasswordFirst() {
    QFETCH(bool, allow);
    CKeystowDoc* doc = NewDoc();
    doc->SetModifiedFlag();
    m_host->m_locked = 1;
    m_host->allowUnlock = allow;
    DialogScript script;
    if (allow)
        script.Then(Answer("CSaveChangesDlg", IDNO));
    SubWindowOf(doc)->close();
    QCOMPARE(m_host->unlockAsked, 1);
    QCOMPARE(script.Seen(), allow ? QStringList({"CSaveChangesDlg"}) : QStringList());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), allow ? 0 : 1);
}

void TestCKeystowDoc::saveKeepsTheFormat_data() {
    QTest::addColumn<bool>("strong");
    QTest::newRow("compatible") << false;
    QTest::newRow("strong") << true;
}

void TestCKeystowDoc::saveKeepsTheFormat() {
    QFETCH(bool, strong);
    const StrongParams fast{1, 8192};
    SetDefaultStrongParamsForTesting(&fast);
    AccountStore store;
    FillSample(store);
    const QString path = m_dir->filePath("kept.ksw");
    QCOMPARE(SavePasswordsFile(path, "pa55", store, nullptr,
                               strong ? FileFormat::Strong : FileFormat::Compatible),
             SaveResult::Saved);
    CKeystowDoc* doc = Open(path, "pa55");
    QVERIFY(doc);
    QCOMPARE(doc->DocumentFormat() == FileFormat::Strong, strong);
    doc->Accounts().web.at(0)->password = "changed";
    doc->SetModifiedFlag();
    // Save knows the password: no dialog, and the file keeps its format.
    DialogScript none;
    QVERIFY(doc->OnFileSave());
    QVERIFY(none.Seen().isEmpty());
    QCOMPARE(ReadAll(path).startsWith(StrongMagic()), strong);
    store.web.at(0)->password = "changed";
    AccountStore back;
    QCOMPARE(OpenPasswordsFile(path, "pa55", back), PasswordsLoadResult::Loaded);
    QCOMPARE(Summary(back), Summary(store));
    SetDefaultStrongParamsForTesting(nullptr);
}
