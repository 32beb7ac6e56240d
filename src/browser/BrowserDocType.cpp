#include "BrowserDocType.h"

#include "CKeystowBrowserDocTemplate.h"

CMultiDocTemplate* CreateBrowserDocTemplate() {
    return new CKeystowBrowserDocTemplate;
}
