#pragma once

#include "CDocument.h"

// The document of a browser window: it only carries the window title, the title of the page
// shown. It is never modified, never saved and closes without asking.
class CKeystowBrowserDoc : public CDocument {
    Q_OBJECT
public:
    CKeystowBrowserDoc();

    bool SaveModified() override { return true; }
};
