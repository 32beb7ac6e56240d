#include "CMultiDocTemplate.h"

#include "CDocument.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CWinApp.h"

#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QStyle>

namespace {

// Places a window again once its area has been shown and laid out, then goes away.
class PlaceOnFirstShow : public QObject {
public:
    PlaceOnFirstShow(QMdiArea* area, QMdiSubWindow* sub) : QObject(sub), m_area(area), m_sub(sub) {
        area->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_area && watched == m_area->viewport() && event->type() == QEvent::Resize &&
            m_area->isVisible()) {
            CMDIFrameWnd::PlaceCascaded(m_area, m_sub, m_area->subWindowList().indexOf(m_sub));
            m_area->viewport()->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QMdiArea> m_area;
    QMdiSubWindow* m_sub;
};

} // namespace

CMultiDocTemplate::CMultiDocTemplate(int resourceId, const QString& docString,
                                     DocFactory docFactory, FrameFactory frameFactory,
                                     ViewFactory viewFactory)
    : m_nIDResource(resourceId), m_docStrings(docString.split(QLatin1Char('\n'))),
      m_docFactory(std::move(docFactory)), m_frameFactory(std::move(frameFactory)),
      m_viewFactory(std::move(viewFactory)) {}

CMultiDocTemplate::~CMultiDocTemplate() {
    const QList<CDocument*> docs = m_docs;
    m_docs.clear();
    for (CDocument* doc : docs)
        doc->m_pDocTemplate = nullptr;
}

QString CMultiDocTemplate::GetDocString(DocStringIndex index) const {
    const int i = static_cast<int>(index);
    return i < m_docStrings.size() ? m_docStrings.at(i) : QString();
}

void CMultiDocTemplate::AddDocument(CDocument* doc) {
    if (!m_docs.contains(doc))
        m_docs.append(doc);
    doc->m_pDocTemplate = this;
}

void CMultiDocTemplate::RemoveDocument(CDocument* doc) {
    m_docs.removeAll(doc);
}

CMultiDocTemplate::Confidence CMultiDocTemplate::MatchDocType(const QString& path,
                                                              CDocument*& doc) const {
    doc = nullptr;
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (CDocument* open : m_docs) {
        if (open->IsClosing() || open->GetPathName().isEmpty())
            continue;
        if (QFileInfo(open->GetPathName()).absoluteFilePath() == wanted) {
            doc = open;
            return yesAlreadyOpen;
        }
    }
    const QString ext = GetDocString(filterExt);
    if (!ext.isEmpty() && path.endsWith(ext, Qt::CaseInsensitive))
        return yesAttemptNative;
    return maybeAttemptForeign;
}

CDocument* CMultiDocTemplate::CreateNewDocument() {
    CDocument* doc = m_docFactory ? m_docFactory() : nullptr;
    if (doc)
        AddDocument(doc);
    return doc;
}

CMDIChildWnd* CMultiDocTemplate::CreateNewFrame(CDocument* doc) {
    CMDIChildWnd* frame = m_frameFactory ? m_frameFactory() : new CMDIChildWnd;
    if (!frame)
        return nullptr;
    frame->m_pTemplate = this;
    frame->SetDocument(doc);
    if (!frame->OnCreateClient(doc, m_viewFactory)) {
        delete frame;
        return nullptr;
    }
    CWinApp* app = CWinApp::Current();
    CMDIFrameWnd* main = app ? app->GetMainWnd() : nullptr;
    if (main && main->MdiArea()) {
        QMdiArea* area = main->MdiArea();
        QMdiSubWindow* sub = area->addSubWindow(frame);
        // Every window's own menu would claim Ctrl+F4, so with two windows open none would
        // answer it: the main frame's one key closes the active window instead.
        if (QMenu* menu = sub->systemMenu()) {
            for (QAction* action : menu->actions()) {
                if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4))) {
                    action->setShortcuts({});
                    action->setText(action->text() + QStringLiteral("\tCtrl+F4"));
                }
            }
        }
        sub->setAttribute(Qt::WA_DeleteOnClose);
        CMDIFrameWnd::PlaceCascaded(area, sub, area->subWindowList().indexOf(sub));
        // A file named on the command line opens before the main window shows; the area gets
        // its real size only then, so place the window again at that moment.
        if (!area->isVisible())
            new PlaceOnFirstShow(area, sub);
        sub->hide();
    } else {
        frame->setAttribute(Qt::WA_DeleteOnClose);
    }
    return frame;
}

void CMultiDocTemplate::InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc, bool makeVisible) {
    Q_UNUSED(doc);
    frame->InitialUpdateFrame();
    if (makeVisible)
        frame->ActivateFrame();
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* doc) {
    QString name = GetDocString(docName);
    if (name.isEmpty())
        name = QStringLiteral("Untitled");
    doc->SetTitle(name + QString::number(m_nUntitledCount + 1));
}

void CMultiDocTemplate::DestroyFrame(CMDIChildWnd* frame) {
    if (QMdiSubWindow* sub = frame->SubWindow()) {
        if (QMdiArea* area = sub->mdiArea())
            area->removeSubWindow(sub);
        delete sub;
    } else {
        delete frame;
    }
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
    CDocument* doc = CreateNewDocument();
    if (!doc)
        return nullptr;
    CMDIChildWnd* frame = CreateNewFrame(doc);
    if (!frame) {
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    bool ok;
    if (path.isEmpty()) {
        SetDefaultTitle(doc);
        ok = doc->OnNewDocument();
        if (ok)
            ++m_nUntitledCount;
    } else {
        ok = doc->OnOpenDocument(path);
        if (ok)
            doc->SetPathName(path);
    }
    if (!ok) {
        // The document refused: neither it nor its window remains.
        RemoveDocument(doc);
        DestroyFrame(frame);
        delete doc;
        return nullptr;
    }
    InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}
