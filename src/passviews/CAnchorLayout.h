#pragma once

#include <QList>
#include <QPointer>
#include <QSize>

class QWidget;

// Keeps chosen controls of a form anchored to its right or bottom edge as the form grows. The
// form's design size is the floor: shrinking below it never narrows a control below its own
// design size, and growing from below it counts only the part above it.
class CAnchorLayout {
public:
    enum Anchor { MoveRight = 1, MoveDown = 2, StretchWidth = 4, StretchHeight = 8 };

    // minimum is the form's design size; the reference size is the form's size now.
    void Attach(QWidget* view, const QSize& minimum);
    // Registers the form's control carrying the id; ignored without a form or such a control.
    void AddControl(int controlId, int anchors);
    void AddControl(QWidget* control, int anchors);
    // Moves the registered controls by the change from the reference size, which the form's
    // current size then becomes.
    void Resize();

    QWidget* View() const { return m_view.data(); }

private:
    struct Entry {
        QPointer<QWidget> control;
        int anchors;
    };
    QPointer<QWidget> m_view;
    QSize m_reference;
    QSize m_minimum;
    QList<Entry> m_controls;
};
