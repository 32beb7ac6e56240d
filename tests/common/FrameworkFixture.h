#pragma once

// The skeleton of the program that document tests run in: an application object with the
// document types under test, a shown main frame and a folder of the test's own. Documents left
// open at the end are closed unmodified, so no question is asked.

#include "CDocManager.h"
#include "CDocument.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CWinApp.h"

#include <QCoreApplication>
#include <QSize>
#include <QTemporaryDir>

#include <initializer_list>
#include <memory>

class FrameworkFixture {
protected:
    void StartFramework(std::initializer_list<CMultiDocTemplate*> templates, QSize frameSize) {
        m_dir = std::make_unique<QTemporaryDir>();
        m_app = std::make_unique<CWinApp>(QStringLiteral("Keystow Editor"));
        m_app->SetRegistryKey(QStringLiteral("Keystow"));
        for (CMultiDocTemplate* tmpl : templates)
            m_app->AddDocTemplate(tmpl);
        m_frame = std::make_unique<CMDIFrameWnd>();
        m_app->SetMainWnd(m_frame.get());
        m_frame->resize(frameSize);
        m_frame->show();
    }

    void StopFramework() {
        for (CDocument* doc : m_app->GetDocManager()->GetDocuments()) {
            doc->SetModifiedFlag(false);
            doc->OnCloseDocument();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_frame.reset();
        m_app.reset();
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CWinApp> m_app;
    std::unique_ptr<CMDIFrameWnd> m_frame;
};
