#pragma once

#include <QList>
#include <QString>

class CDocument;
class CMultiDocTemplate;

// Owns the document templates, in the order they were added, and finds the one that opens a
// file: an already open file is brought to the front, otherwise the template whose extension
// matches wins and any other file goes to the first template.
class CDocManager {
public:
    CDocManager();
    ~CDocManager();
    CDocManager(const CDocManager&) = delete;
    CDocManager& operator=(const CDocManager&) = delete;

    void AddDocTemplate(CMultiDocTemplate* tmpl);
    const QList<CMultiDocTemplate*>& GetTemplates() const { return m_templates; }

    CDocument* OpenDocumentFile(const QString& path);
    // Every open document, template by template.
    QList<CDocument*> GetDocuments() const;
    int GetOpenDocumentCount() const { return GetDocuments().size(); }

    // Asks every document's SaveModified; false as soon as one refuses.
    bool SaveAllModified();
    void CloseAllDocuments();

private:
    QList<CMultiDocTemplate*> m_templates;
};
