#include "CChildFrame.h"

CChildFrame::CChildFrame(QWidget* parent) : CMDIChildWnd(parent) {}
