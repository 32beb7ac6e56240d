#include "TextDocType.h"

#include "CChildFrame.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CMultiDocTemplate.h"
#include "resource.h"

const char kTextDocString[] = "\nUntitled\nUEdit\nKeystow Encrypted Text Files (*.etx)\n.etx\n"
                              "Etx.Document\nKeystow Encrypted Text";

CMultiDocTemplate* CreateTextDocTemplate() {
    auto* tmpl = new CMultiDocTemplate(
        IDR_TEXTTYPE, QString::fromLatin1(kTextDocString), [] { return new CEditorDoc; },
        [] { return new CChildFrame; }, [] { return new CEditorView; });
    tmpl->SetSharedMenu(IDR_TEXTTYPE);
    return tmpl;
}
