#pragma once

// The passwords window as a person meets it: a main window with the real passwords document
// type, documents opened from real files through the password prompt.

#include "AccountStore.h"
#include "CAccountForm.h"
#include "CDocManager.h"
#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CWinApp.h"
#include "DialogScript.h"
#include "PasswordsDocType.h"
#include "PasswordsFile.h"
#include "WebAddress.h"
#include "resource.h"
#include "tst_PassSteps.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include <memory>

class ViewsFixture {
public:
    void Init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_app = std::make_unique<CWinApp>(QStringLiteral("Keystow Editor"));
        m_app->SetRegistryKey(QStringLiteral("Keystow"));
        m_app->AddDocTemplate(CreatePasswordsDocTemplate());
        m_main = std::make_unique<CMDIFrameWnd>();
        m_app->SetMainWnd(m_main.get());
        m_main->resize(1000, 760);
        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        // No browser ever starts from a test.
        opened.clear();
        SetWebAddressOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }

    void Cleanup() {
        SetWebAddressOpener({});
        if (m_app) {
            for (CDocument* doc : m_app->GetDocManager()->GetDocuments()) {
                doc->SetModifiedFlag(false);
                doc->OnCloseDocument();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_main.reset();
        m_app.reset();
        m_dir.reset();
    }

    CMultiDocTemplate* Template() const {
        for (CMultiDocTemplate* t : m_app->GetDocManager()->GetTemplates())
            if (t->GetResourceId() == IDR_KEYSTOWTYPE)
                return t;
        return nullptr;
    }

    CKeystowDoc* NewDoc() { return qobject_cast<CKeystowDoc*>(Template()->OpenDocumentFile({})); }

    // Writes the accounts to a file and opens it, typing its password at the prompt.
    CKeystowDoc* Open(const AccountStore& store, const QString& name = QStringLiteral("a.ksw")) {
        const QString path = m_dir->filePath(name);
        if (SavePasswordsFile(path, QStringLiteral("pw"), store) != SaveResult::Saved)
            return nullptr;
        DialogScript script;
        script.Then(passsteps::EnterPassword(QStringLiteral("pw")));
        auto* doc = qobject_cast<CKeystowDoc*>(Template()->OpenDocumentFile(path));
        if (!script.Finished())
            return nullptr;
        // The prompt had the focus; the main window takes it back as after any dialog.
        m_main->activateWindow();
        if (!QTest::qWaitForWindowActive(m_main.get()))
            return nullptr;
        return doc;
    }

    CMDIFrameWnd* Main() const { return m_main.get(); }
    QString Dir() const { return m_dir->path(); }

    QList<QUrl> opened;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CWinApp> m_app;
    std::unique_ptr<CMDIFrameWnd> m_main;
};

namespace views {

inline CLeftView* Tree(CKeystowDoc* doc) {
    return doc->GetFrame()->GetLeftView();
}

// The label of each child of an item, in tree order.
inline QStringList Labels(const QTreeWidgetItem* item) {
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

inline QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& label) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == label)
            return parent->child(i);
    return nullptr;
}

// A left click on the item, as a person selects it.
inline void Click(CLeftView* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// The right-pane view shown now.
inline QWidget* ShownView(CKeystowDoc* doc) {
    CKeystowChildFrame* frame = doc->GetFrame();
    for (int id = 1; id <= 7; ++id)
        if (QWidget* view = frame->GetPaneView(id); view && view->isVisible())
            return view;
    return nullptr;
}

template <class T> T* Control(QWidget* view, int id) {
    return qobject_cast<T*>(static_cast<CPassFormView*>(view)->GetDlgItem(id));
}

inline QAction* MenuAction(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->data().toInt() == id)
            return a;
    return nullptr;
}

} // namespace views
