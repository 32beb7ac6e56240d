#pragma once

#include "CAnchorLayout.h"
#include "CView.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class CEditEx;
class CKeystowChildFrame;
class CKeystowDoc;
class CLeftView;
class QLabel;
class QPushButton;
class QScrollArea;

// Common ground of the passwords window's right-pane pages: controls laid out in dialog units
// of the page's font and found by numeric id, the edit commands acting on the focused field,
// the resize anchoring and the activity stamping of mouse moves.
class CPassFormView : public QWidget, public CView {
    Q_OBJECT
public:
    // designDlu is the page's design size in dialog units.
    CPassFormView(QSize designDlu, QWidget* parent);
    ~CPassFormView() override;

    // The control carrying the numeric id, or null.
    QWidget* GetDlgItem(int id) const;
    // The page's design size in pixels.
    QSize DesignSize() const { return m_designSize; }
    // The surface the controls sit on: the page's size, but never smaller than the design
    // size (scroll bars then reach the rest).
    QWidget* Surface() const { return m_surface; }

    CKeystowDoc* GetKeystowDoc() const;
    CKeystowChildFrame* GetKeystowFrame() const;
    CLeftView* GetLeftView() const;

    // Pixels for dialog units of the page's font.
    int DluX(int units) const;
    int DluY(int units) const;

protected:
    // Controls in template order, which is also their tab order. Positions in dialog units.
    QLabel* AddLabel(int id, const QString& text, const QRect& dlu,
                     Qt::Alignment align = Qt::AlignLeft);
    QLabel* AddIcon(int iconId, const QRect& dlu);
    CEditEx* AddLineEdit(int id, const QRect& dlu);
    CEditEx* AddMultiLineEdit(int id, const QRect& dlu);
    QPushButton* AddButton(int id, const QString& text, const QRect& dlu, int iconId);
    // Text face, character height in pixels and colour of a label.
    static void StyleLabel(QLabel* label, const QString& face, int height, const QColor& colour);
    // The pale field look every edit of the pages has.
    static void StyleEdit(CEditEx* edit, int height);

    // A thin border around the page.
    void ShowBorder();
    // Registers the edit commands (undo, cut, copy, paste, clear, select all) with their
    // enabling rules, acting on the focused field of this page.
    void AddEditCommands();
    // The field of this page that has the keyboard focus, or null.
    CEditEx* FocusedEdit() const;

    CAnchorLayout m_layout;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect ToPixels(const QRect& dlu) const;
    static void SetControlId(QWidget* widget, int id);

    QSize m_designSize;
    QWidget* m_surface = nullptr;
    QScrollArea* m_scroll = nullptr;
    QList<CEditEx*> m_edits;
};
