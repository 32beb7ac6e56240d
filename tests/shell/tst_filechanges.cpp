// Another program changes, replaces or removes the file of an open document, of either type:
// Save, Exit and closing the window ask before writing over it, and the window offers to
// reload an unchanged document when it comes to the front.
#include "ShellTestSupport.h"

#include "../passviews/tst_PassSteps.h"
#include "CDocManager.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CFileChangedDlg.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"

#include "../common/TestFiles.h"

#include <PasswordsFile.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace passsteps;

namespace {

const QString kPassword = QStringLiteral("shared secret");

// DuringPrompt: rewritten while the text type asks for the save's password. InPlace: other
// bytes written into the same file, its size and time kept, which a time check alone misses.
enum class Change { None, Rewritten, DuringPrompt, InPlace, LinkedElsewhere, Removed };
enum class How { Save, Exit, CloseWindow };
struct SaveCase {
    const char* name;
    Change change;
    How how;
    int button; // on the question; 0: no question
    const char* onDisk;
    const char* savedAs = "(none)"; // the Save As copy; "(none)": no such file
};

// A file of either type holding content: the text, or one Web account of that name.
void WriteDocumentFile(bool text, const QString& path, const QString& content) {
    AccountStore store;
    store.web.append(WebAccount(content));
    QCOMPARE(text ? SaveTextFile(path, kPassword, content)
                  : SavePasswordsFile(path, kPassword, store),
             SaveResult::Saved);
}

// The content of the file or the document, "(none)" when the file does not open.
QString ContentOf(const AccountStore& store) {
    QStringList names;
    store.web.enumerate([&names](int, const WebAccount& a) { names << a.name; });
    return names.join(QLatin1Char(','));
}

QString ReadDocumentFile(bool text, const QString& path) {
    QString content;
    AccountStore store;
    const bool read =
        text ? LoadTextFile(path, kPassword, content) == LoadResult::Loaded
             : OpenPasswordsFile(path, kPassword, store) == PasswordsLoadResult::Loaded;
    return !read ? QStringLiteral("(none)") : text ? content : ContentOf(store);
}

QString DocumentContent(CDocument* doc) {
    if (auto* text = qobject_cast<CEditorDoc*>(doc))
        return text->GetView()->toPlainText();
    return ContentOf(static_cast<CKeystowDoc*>(doc)->Accounts());
}

void EditDocument(CDocument* doc, const QString& content) {
    if (auto* text = qobject_cast<CEditorDoc*>(doc)) {
        text->GetView()->setPlainText(content);
        text->GetView()->document()->setModified(true);
        return;
    }
    static_cast<CKeystowDoc*>(doc)->Accounts() = AccountStore();
    static_cast<CKeystowDoc*>(doc)->Accounts().web.append(WebAccount(content));
    doc->SetModifiedFlag(true);
}

} // namespace

Q_DECLARE_METATYPE(SaveCase)
Q_DECLARE_METATYPE(Change)

class TestFileChanges : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init() { QVERIFY(StartShell()); }
    void cleanup();
    void saveAsksFirst_data();
    void saveAsksFirst();
    void reloadOffered_data();
    void reloadOffered();

private:
    CDocument* Open(bool text, const QString& path);
    void ChangeOnDisk(bool text, Change change, const QString& path);
    QString Path(bool text, const QString& name) const {
        return m_dir->filePath(name + (text ? ".etx" : ".ksw"));
    }
};

void TestFileChanges::cleanup() {
    for (CDocument* doc : m_app->GetDocManager()->GetDocuments())
        doc->SetModifiedFlag(false); // nothing may ask on the way out
    StopShell();
}

CDocument* TestFileChanges::Open(bool text, const QString& path) {
    WriteDocumentFile(text, path, QStringLiteral("first"));
    DialogScript script;
    script.Then(EnterPassword(kPassword));
    CDocument* doc = m_app->OpenDocumentFile(path);
    return script.Finished() ? doc : nullptr;
}

void TestFileChanges::ChangeOnDisk(bool text, Change change, const QString& path) {
    const QString elsewhere = Path(text, QStringLiteral("private"));
    if (change == Change::Rewritten)
        WriteDocumentFile(text, path, QStringLiteral("theirs"));
    if (change == Change::LinkedElsewhere) {
        WriteDocumentFile(text, elsewhere, QStringLiteral("private"));
        QVERIFY(QFile::remove(path) && QFile::link(elsewhere, path));
    }
    if (change == Change::Removed)
        QVERIFY(QFile::remove(path));
    if (change == Change::InPlace) {
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        WriteDocumentFile(text, elsewhere, QStringLiteral("other"));
        const QByteArray bytes = ReadAll(elsewhere);
        QCOMPARE(bytes.size(), qsizetype(before.st_size));
        WriteRaw(path, bytes);
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
}

void TestFileChanges::saveAsksFirst_data() {
    QTest::addColumn<bool>("text");
    QTest::addColumn<SaveCase>("c");
    const SaveCase rows[] = {
        {"unchanged", Change::None, How::Save, 0, "mine"},
        {"rewritten, Cancel", Change::Rewritten, How::Save, IDCANCEL, "theirs"},
        {"rewritten, Overwrite", Change::Rewritten, How::Save, IDOK, "mine"},
        {"rewritten, Save As", Change::Rewritten, How::Save, CFileChangedDlg::kSaveAs, "theirs",
         "mine"},
        {"same size and time, Cancel", Change::InPlace, How::Save, IDCANCEL, "other"},
        {"now a link elsewhere, Cancel", Change::LinkedElsewhere, How::Save, IDCANCEL, "private"},
        {"removed, Overwrite", Change::Removed, How::Save, IDOK, "mine"},
        {"Exit, Cancel", Change::Rewritten, How::Exit, IDCANCEL, "theirs"},
        {"closing the window, Cancel", Change::Rewritten, How::CloseWindow, IDCANCEL, "theirs"},
        {"rewritten at the password, Cancel", Change::DuringPrompt, How::Save, IDCANCEL, "theirs"}};
    for (bool text : {true, false})
        for (const auto& r : rows)
            if (text || r.change != Change::DuringPrompt) // only the text type asks there
                QTest::addRow("%s: %s", text ? "text" : "passwords", r.name) << text << r;
}

void TestFileChanges::saveAsksFirst() {
    QFETCH(bool, text);
    QFETCH(SaveCase, c);
    const QString path = Path(text, QStringLiteral("shared"));
    const QString copy = Path(text, QStringLiteral("copy"));
    CDocument* doc = Open(text, path);
    QVERIFY(doc);
    EditDocument(doc, QStringLiteral("mine"));
    ChangeOnDisk(text, c.change, path);
    DialogScript script;
    if (c.how != How::Save)
        script.Then(Answer("CSaveChangesDlg", IDYES));
    if (c.change == Change::DuringPrompt)
        script.Then([&](QWidget* d) {
            WriteDocumentFile(text, path, QStringLiteral("theirs"));
            SetPassword(kPassword)(d);
        });
    if (c.button != 0)
        script.Then(Answer("CFileChangedDlg", c.button));
    if (c.button == CFileChangedDlg::kSaveAs)
        script.Then(ChooseFile(copy));
    // The text type confirms the password at every save, the passwords type on a new name.
    if (c.button != IDCANCEL && (text || c.button == CFileChangedDlg::kSaveAs))
        script.Then(SetPassword(kPassword));
    const qsizetype planned = script.Steps();
    if (c.how == How::Save)
        m_frame->ExecuteCommand(ID_FILE_SAVE);
    else if (c.how == How::Exit)
        m_frame->ExecuteCommand(ID_APP_EXIT);
    else
        doc->GetFrames().first()->SubWindow()->close();
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen().size(), planned); // no other question, no failure message
    QCOMPARE(ReadDocumentFile(text, path), QString(c.onDisk));
    QCOMPARE(ReadDocumentFile(text, copy), QString(c.savedAs));
    // A save that did not happen keeps the document open and modified.
    QVERIFY(m_app->GetDocManager()->GetDocuments().contains(doc));
    QCOMPARE(DocumentContent(doc), QStringLiteral("mine"));
    QCOMPARE(doc->IsModified(), c.button == IDCANCEL);
    if (c.button == IDCANCEL)
        return;
    // A completed save knows its own file again: the next save does not ask.
    EditDocument(doc, QStringLiteral("mine again"));
    DialogScript again;
    if (text)
        again.Then(SetPassword(kPassword));
    m_frame->ExecuteCommand(ID_FILE_SAVE);
    QVERIFY(again.Finished());
    QCOMPARE(again.Seen().size(), text ? 1 : 0);
    QCOMPARE(ReadDocumentFile(text, doc->GetPathName()), QStringLiteral("mine again"));
}

void TestFileChanges::reloadOffered_data() {
    QTest::addColumn<bool>("text");
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("button"); // on the question; 0: no question
    QTest::addColumn<QString>("shown");
    for (bool text : {true, false}) {
        const char* type = text ? "text" : "passwords";
        QTest::addRow("%s: unchanged", type) << text << Change::None << 0 << "first";
        QTest::addRow("%s: Yes", type) << text << Change::Rewritten << int(IDYES) << "theirs";
        QTest::addRow("%s: No", type) << text << Change::Rewritten << int(IDNO) << "first";
        QTest::addRow("%s: removed", type) << text << Change::Removed << 0 << "first";
    }
}

void TestFileChanges::reloadOffered() {
    QFETCH(bool, text);
    QFETCH(Change, change);
    QFETCH(int, button);
    QFETCH(QString, shown);
    const QString path = Path(text, QStringLiteral("watched"));
    CDocument* doc = Open(text, path);
    QVERIFY(doc);
    ChangeOnDisk(text, change, path);
    DialogScript script;
    if (button != 0)
        script.Then(Answer("CFileChangedDlg", button));
    // The program comes back to the front, twice: the same change is offered once.
    for (int i = 0; i < 2; ++i) {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m_frame, &activate);
        QTRY_VERIFY(script.Finished());
        QCoreApplication::processEvents();
    }
    QCOMPARE(script.Seen().size(), button == 0 ? 0 : 1);
    // Reloaded with the password the document holds: nothing else was asked.
    QCOMPARE(DocumentContent(doc), shown);
    QVERIFY(!doc->IsModified());
    if (!text) {
        CLeftView* tree = static_cast<CKeystowDoc*>(doc)->GetFrame()->GetLeftView();
        QCOMPARE(tree->WebItem()->childCount(), 1);
        QCOMPARE(tree->WebItem()->child(0)->text(0), shown);
    }
}

std::unique_ptr<QObject> CreateFileChangesTest() {
    return std::make_unique<TestFileChanges>();
}

#include "tst_filechanges.moc"
