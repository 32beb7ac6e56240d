#include "CScreenLockWnd.h"

#include "LockTimerSet.h"

#include <QDateTime>
#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <utility>

namespace {

constexpr QRgb kBrightGreen = 0xff00ff00;
constexpr QRgb kLightGreen = 0xff80ff80;
constexpr int kRevealMs = 10;
constexpr int kSweepMs = 30;
constexpr int kRainMs = 80;
constexpr int kSparkleMs = 10;
constexpr char16_t kBlank = u' ';

// A glyph byte as the Western code page shows it; the control codes become blanks.
char16_t AnsiGlyph(int byte) {
    static const char16_t k1252[32] = {
        0x20AC, 0x0020, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x0020, 0x017D, 0x0020, 0x0020, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0020, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0)
        return k1252[byte - 0x80];
    if (byte < 0x20 || byte == 0x7F)
        return kBlank;
    return static_cast<char16_t>(byte);
}

// The same byte as the Greek code page shows it: the upper half is mostly Greek letters.
char16_t GreekGlyph(int byte) {
    if (byte >= 0xC0 && byte <= 0xFE && byte != 0xD2)
        return static_cast<char16_t>(byte + 0x2D0);
    return AnsiGlyph(byte);
}

} // namespace

CScreenLockWnd::CScreenLockWnd(QWidget* parent)
    : QWidget(parent), m_random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch())) {
    // Nothing of the documents below may show through, not even for one frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ForbiddenCursor);

    m_font = QFont(QStringLiteral("Courier"));
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    m_font.setPixelSize(14);
    m_font.setWeight(QFont::Bold);
    const QFontMetrics metrics(m_font);
    m_cellHeight = std::max(1, metrics.height());
    m_cellWidth = std::max(1, metrics.averageCharWidth() + 2);
    m_ascent = metrics.ascent();

    m_timers = new LockTimerSet(
        TimerCount, [this](int timer) { RunTimer(static_cast<Timer>(timer)); }, this);
    // Until it is shown nothing needs to move.
    m_timers->SetPaused(true);

    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
    BuildCells();
}

CScreenLockWnd::~CScreenLockWnd() = default;

void CScreenLockWnd::StartWithPrompt(const QString& prompt) {
    AddLine(prompt);
    AddLine(QString(QChar(kPauseMark)) + QStringLiteral(" 2"));
    AddLine(QString());
    AddLine(QString(QChar(kPauseMark)) + QStringLiteral(" 10"));
    SetSweep(true, kSolidBlock);
    Start();
}

void CScreenLockWnd::AddLine(const QString& line) {
    m_lines.append(line);
    // The first block then starts at line 0.
    m_blockLast = m_lines.size();
}

void CScreenLockWnd::SetSweep(bool on, char16_t glyph) {
    m_sweepOn = on;
    m_sweepGlyph = glyph;
    m_sweepShown = glyph == kSolidBlock ? kSolidBlock : AnsiGlyph(RandomByte());
}

void CScreenLockWnd::Start() {
    if (m_started)
        return;
    m_started = true;
    StartTimer(BlockTimer, kInitialPauseMs);
    StartTimer(RainTimer, kRainMs);
    show();
    raise();
}

void CScreenLockWnd::SetManualTimers(bool manual) {
    m_timers->SetManual(manual);
}

void CScreenLockWnd::SetRandomSeed(quint32 seed) {
    m_random.seed(seed);
}

void CScreenLockWnd::Advance(int ms) {
    m_timers->Advance(ms);
}

bool CScreenLockWnd::IsTimerActive(Timer timer) const {
    return m_timers->IsActive(timer);
}

int CScreenLockWnd::TimerInterval(Timer timer) const {
    return m_timers->Interval(timer);
}

void CScreenLockWnd::StartTimer(Timer timer, int ms) {
    m_timers->Start(timer, ms);
}

void CScreenLockWnd::StopTimer(Timer timer) {
    m_timers->Stop(timer);
}

void CScreenLockWnd::RunTimer(Timer timer) {
    switch (timer) {
    case BlockTimer:
        TickBlock();
        break;
    case RevealTimer:
        TickReveal();
        break;
    case SweepTimer:
        TickSweep();
        break;
    case RainTimer:
        TickRain();
        break;
    case SparkleTimer:
        TickSparkles();
        break;
    case TimerCount:
        break;
    }
}

QRect CScreenLockWnd::CellRect(int column, int row) const {
    return {column * m_cellWidth, row * m_cellHeight, m_cellWidth, m_cellHeight};
}

QPoint CScreenLockWnd::LineStart(int line) const {
    const int index = line - m_blockFirst;
    if (m_blockFirst < 0 || index < 0 || index >= m_lineStarts.size())
        return {-1, -1};
    return m_lineStarts[index];
}

int CScreenLockWnd::ActiveRainColumns() const {
    return static_cast<int>(std::count_if(m_rain.cbegin(), m_rain.cend(),
                                          [](const RainColumn& c) { return c.active; }));
}

int CScreenLockWnd::ActiveSparkles() const {
    return static_cast<int>(std::count_if(m_sparkles.cbegin(), m_sparkles.cend(),
                                          [](const Sparkle& s) { return s.active; }));
}

int CScreenLockWnd::RandomInt(int lowest, int highest) {
    if (highest <= lowest)
        return lowest;
    return lowest + static_cast<int>(m_random.bounded(static_cast<quint32>(highest - lowest + 1)));
}

char16_t CScreenLockWnd::RandomByte() {
    return static_cast<char16_t>(RandomInt(32, 255));
}

// Cells, rain columns and sparkles follow the window's size; a window too small for even one
// cell still has one, so no range used below is ever empty.
void CScreenLockWnd::BuildCells() {
    m_columns = std::max(0, width()) / m_cellWidth + 1;
    m_rows = std::max(0, height()) / m_cellHeight + 1;
    m_cells = QVector<Cell>(m_columns * m_rows);
    m_rain = QVector<RainColumn>(m_columns);
    m_sparkles = QVector<Sparkle>(static_cast<int>(m_columns * 0.2));
    m_dirtyCells = QVector<bool>(m_columns * m_rows, false);
    m_dirtyList.clear();
    if (m_blockFirst >= 0) {
        // Re-centre the block shown and keep the sweep inside the new width.
        CentreBlock();
        if (m_currentLine >= m_blockFirst && m_currentLine <= m_blockLast)
            m_sweepRow = LineStart(m_currentLine).y();
        m_sweepColumn = std::min(m_sweepColumn, m_columns - 1);
    }
}

// One character per cell, the lines one under the other around the middle of the window.
void CScreenLockWnd::CentreBlock() {
    const int lines = std::max(0, m_blockLast - m_blockFirst + 1);
    m_lineStarts = QVector<QPoint>(lines);
    const int firstRow = std::max(0, (m_rows - lines - 1) / 2);
    for (int i = 0; i < lines; ++i) {
        const int length = static_cast<int>(m_lines[m_blockFirst + i].size());
        m_lineStarts[i] = {std::max(0, (width() - length * m_cellWidth) / 2 / m_cellWidth),
                           firstRow + i};
    }
}

void CScreenLockWnd::MarkCell(int column, int row) {
    if (column < 0 || column >= m_columns || row < 0 || row >= m_rows)
        return;
    const int index = row * m_columns + column;
    if (!m_dirtyCells[index]) {
        m_dirtyCells[index] = true;
        m_dirtyList.append(index);
    }
}

void CScreenLockWnd::MarkBlock() {
    for (int i = 0; i < m_lineStarts.size(); ++i) {
        const QPoint start = m_lineStarts[i];
        const int length = static_cast<int>(m_lines[m_blockFirst + i].size());
        for (int column = start.x(); column < std::min(m_columns, start.x() + length); ++column)
            MarkCell(column, start.y());
    }
}

// One repaint for all the cells marked since the last: a rain step alone marks hundreds of
// cells, and adding them to a region one by one costs more than painting them.
void CScreenLockWnd::Flush() {
    if (m_dirtyList.isEmpty())
        return;
    std::sort(m_dirtyList.begin(), m_dirtyList.end());
    QVector<QRect> rects;
    for (const int index : std::as_const(m_dirtyList)) {
        m_dirtyCells[index] = false;
        const QRect cell = CellRect(index % m_columns, index / m_columns);
        // Cells side by side in a row become one rectangle, as a region wants them.
        if (!rects.isEmpty() && rects.last().top() == cell.top() &&
            rects.last().right() + 1 == cell.left())
            rects.last().setRight(cell.right());
        else
            rects.append(cell);
    }
    m_dirtyList.clear();
    QRegion region;
    region.setRects(rects.constData(), static_cast<int>(rects.size()));
    update(region);
}

void CScreenLockWnd::SetRainCell(int column, int row, char16_t glyph, QRgb color) {
    if (column < 0 || column >= m_columns || row < 0 || row >= m_rows)
        return;
    Cell& cell = m_cells[row * m_columns + column];
    cell.glyph = glyph;
    cell.color = color;
    MarkCell(column, row);
}

void CScreenLockWnd::StartRainColumn() {
    for (int draw = 0; draw <= m_columns; ++draw) {
        RainColumn& column = m_rain[RandomInt(0, m_columns - 1)];
        if (column.active)
            continue;
        column.active = true;
        column.row = RandomInt(0, 1) ? RandomInt(0, m_rows - 3) : 0;
        column.lastRow = m_rows;
        if (RandomInt(0, 1))
            column.lastRow = std::min(m_rows, RandomInt(column.row + 3, m_rows));
        column.glyph = RandomInt(0, 4) == 0 ? kBlank : GreekGlyph(RandomByte());
        const int index = static_cast<int>(&column - m_rain.data());
        SetRainCell(index, column.row, column.glyph, kBrightGreen);
        ++column.row;
        return;
    }
}

void CScreenLockWnd::TickRain() {
    if (ActiveRainColumns() < m_columns)
        StartRainColumn();
    for (int i = 0; i < m_columns; ++i) {
        RainColumn& column = m_rain[i];
        if (!column.active)
            continue;
        // The glyph above the head fades to a dark green and stays there.
        const int above = column.row - 1;
        if (above >= 0 && above < m_rows)
            SetRainCell(i, above, m_cells[above * m_columns + i].glyph,
                        qRgb(0, RandomInt(75, 150), 0));
        if (column.row >= column.lastRow) {
            column.active = false;
            continue;
        }
        if (column.glyph != kBlank)
            column.glyph = GreekGlyph(RandomByte());
        SetRainCell(i, column.row, column.glyph, kBrightGreen);
        ++column.row;
    }
    Flush();
}

void CScreenLockWnd::StepSparkles() {
    const int most = m_sparkles.size();
    if (ActiveSparkles() < most && RandomInt(0, 100) == 0) {
        for (int draw = 0; draw <= most; ++draw) {
            Sparkle& sparkle = m_sparkles[RandomInt(0, most - 1)];
            if (sparkle.active)
                continue;
            sparkle.active = true;
            sparkle.life = RandomInt(300, 800);
            sparkle.column = RandomInt(0, m_columns - 1);
            sparkle.row = RandomInt(0, m_rows - 1);
            break;
        }
    }
    for (Sparkle& sparkle : m_sparkles) {
        if (!sparkle.active)
            continue;
        if (sparkle.life > 0) {
            sparkle.glyph = AnsiGlyph(RandomByte());
            --sparkle.life;
        } else {
            sparkle.active = false;
        }
        MarkCell(sparkle.column, sparkle.row);
    }
}

void CScreenLockWnd::TickSparkles() {
    StepSparkles();
    Flush();
}

bool CScreenLockWnd::IsPause(int line) const {
    return m_lines[line].startsWith(QChar(kPauseMark));
}

int CScreenLockWnd::PauseSeconds(int line) const {
    bool ok = false;
    const int seconds = m_lines[line].mid(1).trimmed().toInt(&ok);
    return ok && seconds >= 0 ? seconds : kDefaultPauseSeconds;
}

void CScreenLockWnd::TickBlock() {
    MarkBlock();
    StopTimer(BlockTimer);
    StopTimer(SparkleTimer);
    const int count = static_cast<int>(m_lines.size());
    if (count == 0) {
        // Nothing to show: the rain goes on and the next look comes after the usual pause.
        StartTimer(BlockTimer, kDefaultPauseSeconds * 1000);
        StartTimer(SparkleTimer, kSparkleMs);
        Flush();
        return;
    }
    int first = m_blockLast + 2;
    if (first >= count)
        first = 0;
    int last = count - 1;
    m_pauseSeconds = kDefaultPauseSeconds;
    for (int i = first; i < count; ++i) {
        if (IsPause(i)) {
            last = i - 1;
            m_pauseSeconds = PauseSeconds(i);
            break;
        }
    }
    m_blockFirst = first;
    m_blockLast = last;
    m_currentLine = first;
    m_revealed.clear();
    m_tries.clear();
    CentreBlock();
    StartTimer(RevealTimer, kRevealMs);
    if (!m_lineStarts.isEmpty())
        StartSweep(m_lineStarts.first().y());
    MarkBlock();
    Flush();
}

void CScreenLockWnd::StartSweep(int row) {
    if (!m_sweepOn)
        return;
    MarkCell(m_sweepColumn, m_sweepRow);
    m_sweepColumn = 0;
    m_sweepRow = row;
    MarkCell(m_sweepColumn, m_sweepRow);
    StartTimer(SweepTimer, kSweepMs);
}

bool CScreenLockWnd::SweepDone() const {
    return !m_sweepOn || m_sweepColumn >= m_columns - 1;
}

void CScreenLockWnd::TickSweep() {
    MarkCell(m_sweepColumn, m_sweepRow);
    if (m_sweepColumn < m_columns - 1)
        ++m_sweepColumn;
    if (m_sweepColumn >= m_columns - 1)
        StopTimer(SweepTimer);
    MarkCell(m_sweepColumn, m_sweepRow);
    Flush();
}

void CScreenLockWnd::RevealStep() {
    if (m_sweepOn && m_sweepGlyph != kSolidBlock) {
        m_sweepShown = AnsiGlyph(RandomByte());
        MarkCell(m_sweepColumn, m_sweepRow);
    }
    if (m_currentLine < m_blockFirst || m_currentLine > m_blockLast) {
        FinishBlock(); // a block with no lines, between two pauses
        return;
    }
    const QString& line = m_lines[m_currentLine];
    const QPoint start = LineStart(m_currentLine);
    bool guessed = false;
    bool heldBack = false;
    for (int i = 0; i < line.size(); ++i) {
        // Once the sweep has reached the edge every position counts as passed, even those of
        // a line wider than the window.
        if (!SweepDone() && start.x() + i >= m_sweepColumn) {
            heldBack = true;
            break;
        }
        if (i >= m_revealed.size()) {
            m_revealed += QChar(AnsiGlyph(RandomByte()));
            m_tries.append(0);
            guessed = true;
        } else if (m_tries[i] >= kMaxTries) {
            m_revealed[i] = line[i];
        } else if (m_revealed[i] != line[i]) {
            m_revealed[i] = QChar(AnsiGlyph(RandomByte()));
            ++m_tries[i];
            guessed = true;
        } else {
            continue;
        }
        MarkCell(start.x() + i, start.y());
    }
    const bool complete = line.isEmpty() || (!guessed && !heldBack && SweepDone());
    if (!complete)
        return;
    if (m_currentLine >= m_blockLast) {
        FinishBlock();
        return;
    }
    ++m_currentLine;
    m_revealed.clear();
    m_tries.clear();
    StartSweep(LineStart(m_currentLine).y());
}

void CScreenLockWnd::FinishBlock() {
    StopTimer(RevealTimer);
    StartTimer(BlockTimer, m_pauseSeconds * 1000);
    StartTimer(SparkleTimer, kSparkleMs);
}

void CScreenLockWnd::TickReveal() {
    StepSparkles();
    RevealStep();
    Flush();
}

char16_t CScreenLockWnd::TextGlyphAt(int column, int row) const {
    for (int line = m_blockFirst; line >= 0 && line <= m_currentLine && line <= m_blockLast;
         ++line) {
        const QPoint start = LineStart(line);
        if (row != start.y() || column < start.x())
            continue;
        const int position = column - start.x();
        const QString& shown = line < m_currentLine ? m_lines[line] : m_revealed;
        if (position < shown.size())
            return shown[position].unicode();
    }
    return 0;
}

// What one cell shows, from the top: the sweep, the text, a sparkle, the rain.
CScreenLockWnd::Content CScreenLockWnd::CellContent(int column, int row) const {
    if (m_sweepOn && row == m_sweepRow && column == m_sweepColumn)
        return {m_sweepShown, kLightGreen, m_sweepShown == kSolidBlock};
    if (const char16_t text = TextGlyphAt(column, row))
        return {text, kLightGreen, false};
    for (const Sparkle& sparkle : m_sparkles) {
        if (sparkle.active && sparkle.column == column && sparkle.row == row)
            return {sparkle.glyph, kBrightGreen, false};
    }
    const Cell& cell = m_cells[row * m_columns + column];
    return {cell.glyph, cell.color, false};
}

void CScreenLockWnd::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(m_font);
    QRgb pen = 0;
    painter.setPen(QColor::fromRgb(pen));
    for (const QRect& rect : event->region()) {
        painter.fillRect(rect, Qt::black);
        const int left = std::max(0, rect.left() / m_cellWidth);
        const int right = std::min(m_columns - 1, rect.right() / m_cellWidth);
        const int top = std::max(0, rect.top() / m_cellHeight);
        const int bottom = std::min(m_rows - 1, rect.bottom() / m_cellHeight);
        for (int row = top; row <= bottom; ++row) {
            for (int column = left; column <= right; ++column) {
                const Content content = CellContent(column, row);
                const QRect cell = CellRect(column, row);
                if (content.solid) {
                    painter.fillRect(cell, QColor::fromRgb(content.color));
                    continue;
                }
                if (content.glyph == kBlank)
                    continue;
                if (content.color != pen) {
                    pen = content.color;
                    painter.setPen(QColor::fromRgb(pen));
                }
                painter.drawText(cell.left() + 1, cell.top() + m_ascent,
                                 QString(QChar(content.glyph)));
            }
        }
    }
}

void CScreenLockWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    BuildCells();
    update();
}

void CScreenLockWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_timers->SetPaused(false);
    setFocus(Qt::OtherFocusReason);
}

void CScreenLockWnd::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timers->SetPaused(true);
}

bool CScreenLockWnd::eventFilter(QObject* watched, QEvent* event) {
    // Cover the whole parent whatever it does with its size.
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
