#include "CViewSwitchSplitter.h"

#include <QStackedWidget>

CViewSwitchSplitter::CViewSwitchSplitter(int cols, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
    // Each pane starts as an empty place holder, replaced by its widget or its view stack.
    for (int col = 0; col < cols; ++col)
        addWidget(new QWidget);
}

CViewSwitchSplitter::~CViewSwitchSplitter() {
    // The views are children of their stacks and go with them; only the maps remain to empty.
    m_viewPanes.clear();
    m_paneViews.clear();
    m_viewWindows.clear();
    m_stacks.clear();
}

QWidget* CViewSwitchSplitter::PaneWidget(int row, int col) const {
    if (row != 0 || col < 0 || col >= count())
        return nullptr;
    return widget(col);
}

void CViewSwitchSplitter::SetPaneWidget(int row, int col, QWidget* pane) {
    if (row != 0 || col < 0 || col >= count() || !pane)
        return;
    QWidget* old = replaceWidget(col, pane);
    m_stacks.erase(PaneKey(row, col));
    if (old && old != pane)
        old->deleteLater();
}

QStackedWidget* CViewSwitchSplitter::Stack(int row, int col) {
    const auto found = m_stacks.find(PaneKey(row, col));
    if (found != m_stacks.end())
        return found->second;
    auto* stack = new QStackedWidget; // the splitter takes it in place of the place holder
    SetPaneWidget(row, col, stack);
    m_stacks[PaneKey(row, col)] = stack;
    return stack;
}

int CViewSwitchSplitter::AddView(int row, int col, const Factory& create) {
    if (row != 0 || col < 0 || col >= count() || !create)
        return -1;
    QStackedWidget* stack = Stack(row, col);
    const int previous = HideCurrentView(row, col);
    QWidget* view = create(stack);
    if (!view) {
        if (previous != -1)
            ShowViewInPane(row, col, previous);
        return -1;
    }
    stack->addWidget(view);
    const int id = m_nextViewId;
    m_viewPanes[id] = PaneKey(row, col);
    m_viewWindows[id] = view;
    ShowViewInPane(row, col, id);
    ++m_nextViewId;
    return id;
}

bool CViewSwitchSplitter::ShowView(int id) {
    int row = 0;
    int col = 0;
    if (!GetView(id) || !GetPaneOfView(id, &row, &col))
        return false;
    HideCurrentView(row, col);
    ShowViewInPane(row, col, id);
    return true;
}

QWidget* CViewSwitchSplitter::GetView(int id) const {
    const auto found = m_viewWindows.find(id);
    return found == m_viewWindows.end() ? nullptr : found->second;
}

QWidget* CViewSwitchSplitter::GetCurrentView(int row, int col, int* id) const {
    if (id)
        *id = -1;
    const auto found = m_paneViews.find(PaneKey(row, col));
    if (found == m_paneViews.end())
        return nullptr;
    if (id)
        *id = found->second;
    return GetView(found->second);
}

int CViewSwitchSplitter::HideCurrentView(int row, int col) {
    int id = -1;
    QWidget* view = GetCurrentView(row, col, &id);
    if (!view)
        return -1;
    view->hide();
    m_paneViews.erase(PaneKey(row, col));
    return id;
}

void CViewSwitchSplitter::ShowViewInPane(int row, int col, int id) {
    QWidget* view = GetView(id);
    const auto stack = m_stacks.find(PaneKey(row, col));
    if (!view || stack == m_stacks.end())
        return;
    m_paneViews[PaneKey(row, col)] = id;
    stack->second->setCurrentWidget(view);
    // The stack keeps its current widget when it is asked for it again; the view was hidden
    // on the way, so show it in any case.
    view->show();
}

bool CViewSwitchSplitter::GetPaneOfView(int id, int* row, int* col) const {
    const auto found = m_viewPanes.find(id);
    if (found == m_viewPanes.end())
        return false;
    // The low half is the row, taken as signed; the high half the column.
    if (row)
        *row = static_cast<int16_t>(found->second & 0xFFFF);
    if (col)
        *col = found->second >> 16;
    return true;
}
