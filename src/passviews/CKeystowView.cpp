#include "CKeystowView.h"

CKeystowView::CKeystowView(QWidget* parent) : QWidget(parent) {}
