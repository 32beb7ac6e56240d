#pragma once

#include <QFont>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class LockTimerSet;

// The window that covers the main frame while the screen is locked: falling green glyphs (the
// rain), short-lived flickering glyphs (sparkles) and, in the middle, the lock prompt revealed
// character by character behind a moving block (the sweep). It takes no input of its own; the
// frame does the unlocking.
//
// Only the cells that change are repainted, so the animation costs next to nothing while it
// runs for hours. Time is a seam: with manual timers the animation only moves when Advance()
// is called, and the random source can be seeded. Hidden, it does not run at all.
class CScreenLockWnd : public QWidget {
    Q_OBJECT

public:
    // The five animation timers.
    enum Timer {
        BlockTimer = 0,   // start the next block after the pause
        RevealTimer = 1,  // sparkles and one reveal step while a block is shown
        SweepTimer = 2,   // the sweep moves one column right
        RainTimer = 3,    // one rain step, always
        SparkleTimer = 4, // sparkles during pauses
        TimerCount = 5
    };

    static constexpr int kInitialPauseMs = 5000;
    static constexpr int kDefaultPauseSeconds = 5;
    static constexpr int kMaxTries = 20;
    // A line beginning with this character is a pause: the rest is a number of seconds.
    static constexpr char16_t kPauseMark = 1;
    // The sweep glyph that draws a solid block; any other makes it show random glyphs.
    static constexpr char16_t kSolidBlock = 1;

    explicit CScreenLockWnd(QWidget* parent);
    ~CScreenLockWnd() override;

    // Shows the prompt, holds it 2 s, clears it for 10 s and repeats, behind the solid sweep;
    // the rain alone runs for the first 5 s.
    void StartWithPrompt(const QString& prompt);

    // The lower-level pieces StartWithPrompt is made of.
    void AddLine(const QString& line);
    void SetSweep(bool on, char16_t glyph);
    void Start();

    // Time and randomness, for tests and measurements. Advance runs every step due within the
    // given time, in order; the Tick functions are one step of each timer.
    void SetManualTimers(bool manual);
    void Advance(int ms);
    void SetRandomSeed(quint32 seed);
    void TickBlock();
    void TickReveal();
    void TickSweep();
    void TickRain();
    void TickSparkles();

    // What is on the screen.
    bool IsTimerActive(Timer timer) const;
    int TimerInterval(Timer timer) const;
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    QSize CellSize() const { return {m_cellWidth, m_cellHeight}; }
    QRect CellRect(int column, int row) const;
    bool IsRevealing() const { return IsTimerActive(RevealTimer); }
    int BlockFirstLine() const { return m_blockFirst; }
    int BlockLastLine() const { return m_blockLast; }
    int CurrentLine() const { return m_currentLine; }
    QString RevealedText() const { return m_revealed; }
    QPoint LineStart(int line) const;
    int SweepColumn() const { return m_sweepColumn; }
    int SweepRow() const { return m_sweepRow; }
    int ActiveRainColumns() const;
    int ActiveSparkles() const;
    int MaxSparkles() const { return m_sparkles.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Cell {
        char16_t glyph = u' ';
        QRgb color = 0;
    };
    struct RainColumn {
        bool active = false;
        int row = 0;
        int lastRow = 0;
        char16_t glyph = u' ';
    };
    struct Sparkle {
        bool active = false;
        int life = 0;
        int column = 0;
        int row = 0;
        char16_t glyph = u' ';
    };
    struct Content {
        char16_t glyph = u' ';
        QRgb color = 0;
        bool solid = false;
    };

    void BuildCells();
    void CentreBlock();
    void StartTimer(Timer timer, int ms);
    void StopTimer(Timer timer);
    void RunTimer(Timer timer);

    void StartRainColumn();
    void SetRainCell(int column, int row, char16_t glyph, QRgb color);
    void StepSparkles();
    bool IsPause(int line) const;
    int PauseSeconds(int line) const;
    void StartSweep(int row);
    void RevealStep();
    void FinishBlock();
    bool SweepDone() const;
    void MarkCell(int column, int row);
    void MarkBlock();
    void Flush();

    Content CellContent(int column, int row) const;
    char16_t TextGlyphAt(int column, int row) const;
    char16_t RandomByte();
    int RandomInt(int lowest, int highest); // inclusive; collapses to lowest on an empty range

    QStringList m_lines;
    QFont m_font;
    int m_cellWidth = 1;
    int m_cellHeight = 1;
    int m_ascent = 0;
    int m_columns = 1;
    int m_rows = 1;
    QVector<Cell> m_cells;
    QVector<RainColumn> m_rain;
    QVector<Sparkle> m_sparkles;

    int m_blockFirst = -1;
    int m_blockLast = 0;
    int m_pauseSeconds = kDefaultPauseSeconds;
    int m_currentLine = -1;
    QString m_revealed;
    QVector<int> m_tries;
    QVector<QPoint> m_lineStarts; // column, row of each line of the block

    bool m_sweepOn = false;
    char16_t m_sweepGlyph = kSolidBlock;
    char16_t m_sweepShown = kSolidBlock;
    int m_sweepColumn = 0;
    int m_sweepRow = -1;

    LockTimerSet* m_timers = nullptr;
    bool m_started = false;
    QRandomGenerator m_random;
    // Cells to repaint at the next Flush: a flag per cell and the marked ones in order.
    QVector<bool> m_dirtyCells;
    QVector<int> m_dirtyList;
};
