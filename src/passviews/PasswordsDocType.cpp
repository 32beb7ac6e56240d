#include "PasswordsDocType.h"

#include "CKeystowChildFrame.h"
#include "CKeystowDoc.h"
#include "CKeystowView.h"
#include "CMultiDocTemplate.h"
#include "ResString.h"
#include "resource.h"

CMultiDocTemplate* CreatePasswordsDocTemplate() {
    auto* tmpl = new CMultiDocTemplate(
        IDR_KEYSTOWTYPE, ResString(IDR_KEYSTOWTYPE), [] { return new CKeystowDoc; },
        [] { return new CKeystowChildFrame; }, [] { return new CKeystowView; });
    // Both document kinds share one menu.
    tmpl->SetSharedMenu(IDR_TEXTTYPE);
    return tmpl;
}
