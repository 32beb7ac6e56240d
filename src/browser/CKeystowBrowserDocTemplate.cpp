#include "CKeystowBrowserDocTemplate.h"

#include "CKeystowBrowserChildFrame.h"
#include "CKeystowBrowserDoc.h"
#include "CKeystowBrowserView.h"
#include "resource.h"

#include <QMdiSubWindow>

CKeystowBrowserDocTemplate::CKeystowBrowserDocTemplate()
    : CMultiDocTemplate(
          IDR_BROWSERTYPE, QStringLiteral("\nWeb Browser\n\n\n\n\n"),
          [] { return new CKeystowBrowserDoc; }, [] { return new CKeystowBrowserChildFrame; },
          [] { return new CKeystowBrowserView; }) {}

void CKeystowBrowserDocTemplate::InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc,
                                                    bool makeVisible) {
    frame->InitialUpdateFrame();
    if (!makeVisible)
        return;
    if (QMdiSubWindow* sub = frame->SubWindow())
        sub->showMaximized();
    frame->ActivateFrame();
    if (auto* browser = qobject_cast<CKeystowBrowserChildFrame*>(frame))
        browser->FocusAddress();
    Q_UNUSED(doc);
}
