#include "CDocManager.h"

#include "CDocument.h"
#include "CMDIChildWnd.h"
#include "CMultiDocTemplate.h"

CDocManager::CDocManager() = default;

CDocManager::~CDocManager() {
    qDeleteAll(m_templates);
}

void CDocManager::AddDocTemplate(CMultiDocTemplate* tmpl) {
    if (tmpl && !m_templates.contains(tmpl))
        m_templates.append(tmpl);
}

CDocument* CDocManager::OpenDocumentFile(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    CMultiDocTemplate* best = nullptr;
    CDocument* openDoc = nullptr;
    auto bestMatch = CMultiDocTemplate::noAttempt;
    for (CMultiDocTemplate* tmpl : m_templates) {
        CDocument* doc = nullptr;
        const auto match = tmpl->MatchDocType(path, doc);
        if (match > bestMatch) {
            bestMatch = match;
            best = tmpl;
            openDoc = doc;
        }
        if (match == CMultiDocTemplate::yesAlreadyOpen)
            break;
    }
    if (bestMatch == CMultiDocTemplate::yesAlreadyOpen) {
        const QList<CMDIChildWnd*> frames = openDoc->GetFrames();
        if (!frames.isEmpty())
            frames.first()->ActivateFrame();
        return openDoc;
    }
    return best ? best->OpenDocumentFile(path) : nullptr;
}

QList<CDocument*> CDocManager::GetDocuments() const {
    QList<CDocument*> docs;
    for (CMultiDocTemplate* tmpl : m_templates) {
        for (CDocument* doc : tmpl->GetDocuments()) {
            if (!doc->IsClosing())
                docs.append(doc);
        }
    }
    return docs;
}

bool CDocManager::SaveAllModified() {
    for (CDocument* doc : GetDocuments()) {
        // The person sees which document a question is about.
        if (doc->IsModified()) {
            const QList<CMDIChildWnd*> frames = doc->GetFrames();
            if (!frames.isEmpty())
                frames.first()->ActivateFrame();
        }
        if (!doc->SaveModified())
            return false;
    }
    return true;
}

void CDocManager::CloseAllDocuments() {
    for (CDocument* doc : GetDocuments())
        doc->OnCloseDocument();
}
