#pragma once

#include <QSplitter>

#include <functional>
#include <map>

class QStackedWidget;

// A splitter of one row whose panes can each hold several views, of which exactly one is
// shown. Views are known by ids handed out from 1 in the order they are added.
class CViewSwitchSplitter : public QSplitter {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    // cols panes side by side; a pane holds nothing until a view is set or added.
    explicit CViewSwitchSplitter(int cols, QWidget* parent = nullptr);
    ~CViewSwitchSplitter() override;

    // Puts a single, fixed widget in a pane (not switchable, no id).
    void SetPaneWidget(int row, int col, QWidget* widget);

    // Creates a view in the pane and makes it the pane's shown view. Its id, or -1 when the
    // pane does not exist or the factory gave nothing (the pane then shows what it showed).
    int AddView(int row, int col, const Factory& create);
    // Shows the view in its pane, hiding the pane's current view; false for an unknown id.
    bool ShowView(int id);
    QWidget* GetView(int id) const;
    // The view shown in the pane and its id (-1 and null when none).
    QWidget* GetCurrentView(int row, int col, int* id = nullptr) const;
    // Hides the pane's current view; its id, or -1.
    int HideCurrentView(int row, int col);
    void ShowViewInPane(int row, int col, int id);
    // The pane of an added view; false for an unknown id.
    bool GetPaneOfView(int id, int* row, int* col) const;

    // The pane widget at (row, col): the fixed widget or the stack of switchable views.
    QWidget* PaneWidget(int row, int col) const;

private:
    static int PaneKey(int row, int col) { return col * 65536 + row; }
    QStackedWidget* Stack(int row, int col);

    int m_nextViewId = 1;
    std::map<int, int> m_viewPanes;          // view id -> pane key
    std::map<int, int> m_paneViews;          // pane key -> shown view id
    std::map<int, QWidget*> m_viewWindows;   // view id -> view
    std::map<int, QStackedWidget*> m_stacks; // pane key -> stack of its views
};
