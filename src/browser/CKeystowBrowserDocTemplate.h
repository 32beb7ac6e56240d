#pragma once

#include "CMultiDocTemplate.h"

// Browser windows open maximised, with the focus in the address box ready for typing.
class CKeystowBrowserDocTemplate : public CMultiDocTemplate {
public:
    CKeystowBrowserDocTemplate();

    void InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc, bool makeVisible = true) override;
};
