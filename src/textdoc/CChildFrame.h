#pragma once

// CMDIChildWnd.h needs the full document class for its inline accessor.
#include "CDocument.h"
#include "CMDIChildWnd.h"

// The window of a text document; its one view fills it.
class CChildFrame : public CMDIChildWnd {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* parent = nullptr);
};
