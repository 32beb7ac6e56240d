#include "CAnchorLayout.h"

#include <QWidget>

#include <algorithm>

void CAnchorLayout::Attach(QWidget* view, const QSize& minimum) {
    m_view = view;
    m_minimum = minimum;
    m_reference = view ? view->size() : QSize();
    m_controls.clear();
}

void CAnchorLayout::AddControl(int controlId, int anchors) {
    if (!m_view)
        return;
    const QList<QWidget*> children = m_view->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->property("controlId").toInt() == controlId) {
            AddControl(child, anchors);
            return;
        }
    }
}

void CAnchorLayout::AddControl(QWidget* control, int anchors) {
    if (!m_view || !control)
        return;
    m_controls.append({control, anchors});
}

void CAnchorLayout::Resize() {
    if (!m_view)
        return;
    const QSize now = m_view->size();
    // Sizes below the design size count as the design size.
    const int dx =
        std::max(now.width(), m_minimum.width()) - std::max(m_reference.width(), m_minimum.width());
    const int dy = std::max(now.height(), m_minimum.height()) -
                   std::max(m_reference.height(), m_minimum.height());
    for (const Entry& entry : m_controls) {
        if (!entry.control)
            continue;
        QRect r = entry.control->geometry();
        if (entry.anchors & StretchHeight)
            r.setBottom(r.bottom() + dy);
        if (entry.anchors & StretchWidth)
            r.setRight(r.right() + dx);
        if (entry.anchors & MoveDown)
            r.translate(0, dy);
        if (entry.anchors & MoveRight)
            r.translate(dx, 0);
        entry.control->setGeometry(r);
    }
    m_reference = now;
}
