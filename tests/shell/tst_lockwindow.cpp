// The animated lock window: the order of rain, reveal and pauses driven tick by tick, tiny and
// resized windows, timers while hidden, opacity and focus, and how little of it is repainted.
#include "ShellTestSupport.h"

#include "CScreenLockWnd.h"
#include "LockTimerSet.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QScreen>
#include <QtTest>

#include <memory>

namespace {

const QString kPrompt = QStringLiteral("Screen locked");

QString Pause(int seconds) {
    return QString(QChar(CScreenLockWnd::kPauseMark)) + QStringLiteral(" %1").arg(seconds);
}

// Pixels of the light green of the text and the sweep; rain and sparkles carry no red.
int LightPixels(const QImage& image, const QRect& rect) {
    int count = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 40 && c.green() > 80)
                ++count;
        }
    }
    return count;
}

// Records what each paint event of a widget asked to repaint.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

qint64 Area(const QRegion& region) {
    qint64 area = 0;
    for (const QRect& rect : region)
        area += qint64(rect.width()) * rect.height();
    return area;
}

// A frame stand-in with the lock window over it, time driven by hand.
struct Host {
    explicit Host(QSize size, quint32 seed = 7) {
        frame.resize(size);
        lock = new CScreenLockWnd(&frame);
        lock->SetManualTimers(true);
        lock->SetRandomSeed(seed);
        frame.show();
    }
    // Steps in 10 ms until the condition holds; returns the time it took or -1.
    template <typename Condition> int RunUntil(Condition done, int limitMs) {
        for (int t = 0; t <= limitMs; t += 10) {
            if (done())
                return t;
            lock->Advance(10);
        }
        return -1;
    }
    QWidget frame;
    CScreenLockWnd* lock = nullptr;
};

} // namespace

class TestLockWindow : public QObject {
    Q_OBJECT

private slots:
    void opaqueOverTheFrameAndFocused();
    void promptSequence();
    void emptyPromptShowsOnlyRainAndSweep();
    void blocks_data();
    void blocks();
    void tinyWindow_data();
    void tinyWindow();
    void resizeRebuildsCells_data();
    void resizeRebuildsCells();
    void noTimerWhileHidden();
    void repaintsOnlyChangedCells();
    void timerStepsInTimeOrder();
    void repaintedScreenMatchesFullPaint();
};

void TestLockWindow::opaqueOverTheFrameAndFocused() {
    QWidget frame;
    frame.resize(320, 200);
    // A white document under the lock window must not show anywhere.
    auto* document = new QWidget(&frame);
    document->setAutoFillBackground(true);
    QPalette white = document->palette();
    white.setColor(QPalette::Window, Qt::white);
    document->setPalette(white);
    document->setGeometry(frame.rect());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    document->setFocus();

    auto* lock = new CScreenLockWnd(&frame);
    QVERIFY(lock->testAttribute(Qt::WA_OpaquePaintEvent));
    QVERIFY(lock->autoFillBackground());
    QCOMPARE(lock->focusPolicy(), Qt::StrongFocus);
    lock->SetManualTimers(true);
    lock->SetRandomSeed(1);
    lock->StartWithPrompt(kPrompt);
    QCOMPARE(lock->geometry(), frame.rect());
    frame.activateWindow();
    QTRY_VERIFY(lock->hasFocus());

    const QImage before = frame.grab().toImage();
    QCOMPARE(LightPixels(before, before.rect()), 0);
    QCOMPARE(before.pixelColor(0, 0), QColor(Qt::black));
    lock->Advance(3000);
    const QImage rain = frame.grab().toImage();
    QCOMPARE(LightPixels(rain, rain.rect()), 0);
    int green = 0;
    for (int y = 0; y < rain.height(); ++y)
        for (int x = 0; x < rain.width(); ++x)
            green += rain.pixelColor(x, y).green() > 60 ? 1 : 0;
    QVERIFY2(green > 0, "the rain draws something");

    // The frame growing takes the lock window with it.
    frame.resize(500, 300);
    QCOMPARE(lock->geometry(), frame.rect());
}

void TestLockWindow::promptSequence() {
    Host host({400, 300});
    CScreenLockWnd* lock = host.lock;
    lock->StartWithPrompt(kPrompt);

    // Rain only for the first five seconds, and no sparkles.
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::RainTimer));
    QCOMPARE(lock->TimerInterval(CScreenLockWnd::BlockTimer), 5000);
    lock->Advance(4990);
    QVERIFY(!lock->IsRevealing());
    QVERIFY(!lock->IsTimerActive(CScreenLockWnd::SparkleTimer));
    QCOMPARE(lock->BlockFirstLine(), -1);
    QVERIFY(lock->ActiveRainColumns() > 0);
    lock->Advance(10);
    QVERIFY(lock->IsRevealing());
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::SweepTimer));
    QVERIFY(!lock->IsTimerActive(CScreenLockWnd::BlockTimer));
    QCOMPARE(lock->CurrentLine(), 0);

    // The prompt sits in the middle, one character per cell.
    const QPoint start = lock->LineStart(0);
    const int cellWidth = lock->CellSize().width();
    QCOMPARE(start.y(), (lock->Rows() - 2) / 2);
    QCOMPARE(start.x(), (400 - int(kPrompt.size()) * cellWidth) / 2 / cellWidth);
    QCOMPARE(lock->SweepRow(), start.y());
    QCOMPARE(lock->SweepColumn(), 0);

    // No character shows ahead of the sweep; the line completes once the sweep is through.
    const int revealed = host.RunUntil(
        [&] {
            if (lock->IsRevealing() &&
                lock->RevealedText().size() > qMax(0, lock->SweepColumn() - start.x()))
                return true;
            return !lock->IsRevealing();
        },
        20000);
    QVERIFY(revealed > 0);
    QVERIFY(!lock->IsRevealing());
    QCOMPARE(lock->RevealedText(), kPrompt);
    QCOMPARE(lock->SweepColumn(), lock->Columns() - 1);
    QVERIFY(revealed >= (lock->Columns() - 1) * 30);
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::SparkleTimer));
    QCOMPARE(lock->TimerInterval(CScreenLockWnd::BlockTimer), 2000);
    const QRect lineRect(lock->CellRect(start.x(), start.y()).topLeft(),
                         QSize(int(kPrompt.size()) * cellWidth, lock->CellSize().height()));
    QVERIFY(LightPixels(lock->grab().toImage(), lineRect) > 20);

    // Held for two seconds, then the empty line clears it for ten.
    lock->Advance(1990);
    QCOMPARE(lock->BlockFirstLine(), 0);
    lock->Advance(10);
    QCOMPARE(lock->BlockFirstLine(), 2);
    QCOMPARE(lock->BlockLastLine(), 2);
    QVERIFY(host.RunUntil([&] { return !lock->IsRevealing(); }, 100) >= 0);
    QCOMPARE(lock->TimerInterval(CScreenLockWnd::BlockTimer), 10000);
    QCOMPARE(LightPixels(lock->grab().toImage(), lineRect), 0);
    const int cleared = host.RunUntil([&] { return lock->BlockFirstLine() != 2; }, 20000);
    QVERIFY(cleared >= 9980 && cleared <= 10000);

    // And again from the prompt.
    QCOMPARE(lock->BlockFirstLine(), 0);
    QVERIFY(lock->IsRevealing());
    QVERIFY(lock->RevealedText().isEmpty());
    QVERIFY(host.RunUntil([&] { return !lock->IsRevealing(); }, 20000) > 0);
    QCOMPARE(lock->RevealedText(), kPrompt);
}

void TestLockWindow::emptyPromptShowsOnlyRainAndSweep() {
    Host host({400, 300}, 11);
    CScreenLockWnd* lock = host.lock;
    lock->StartWithPrompt(QString());
    const int middle = (lock->Rows() - 2) / 2;
    bool sweptToEnd = false;
    for (int t = 0; t < 40000; t += 10) {
        lock->Advance(10);
        QVERIFY(lock->RevealedText().isEmpty());
        if (t % 250 != 0)
            continue;
        // Nothing light but the sweep cell, and the sweep only ever on the middle row.
        const QImage image = lock->grab().toImage();
        QRect sweep;
        if (lock->SweepRow() >= 0) {
            QCOMPARE(lock->SweepRow(), middle);
            sweep = lock->CellRect(lock->SweepColumn(), lock->SweepRow());
            sweptToEnd = sweptToEnd || lock->SweepColumn() == lock->Columns() - 1;
        }
        QCOMPARE(LightPixels(image, image.rect()), LightPixels(image, sweep));
    }
    QVERIFY(sweptToEnd);
}

void TestLockWindow::blocks_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected"); // first-last:pause of the first blocks

    QTest::newRow("lock lines") << QStringList{kPrompt, Pause(2), QString(), Pause(10)}
                                << QStringList{"0-0:2000", "2-2:10000", "0-0:2000"};
    QTest::newRow("no pause: one block, 5 s")
        << QStringList{"one", "two"} << QStringList{"0-1:5000", "0-1:5000"};
    QTest::newRow("two lines then pause")
        << QStringList{"a", "b", Pause(3), "c"} << QStringList{"0-1:3000", "3-3:5000", "0-1:3000"};
    QTest::newRow("leading pause")
        << QStringList{Pause(1), "x"} << QStringList{"0--1:1000", "1-1:5000", "0--1:1000"};
    QTest::newRow("unreadable pause")
        << QStringList{"x", Pause(0).left(1) + " soon"} << QStringList{"0-0:5000", "0-0:5000"};
}

void TestLockWindow::blocks() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    Host host({300, 200});
    CScreenLockWnd* lock = host.lock;
    for (const QString& line : lines)
        lock->AddLine(line);
    lock->SetSweep(true, u'#'); // a random sweep glyph
    lock->Start();
    // Each block as it finishes: its lines and the pause that follows.
    QStringList seen;
    bool wasRevealing = false;
    for (int t = 0; t < 120000 && seen.size() < expected.size(); t += 10) {
        lock->Advance(10);
        if (wasRevealing && !lock->IsRevealing())
            seen.append(QStringLiteral("%1-%2:%3")
                            .arg(lock->BlockFirstLine())
                            .arg(lock->BlockLastLine())
                            .arg(lock->TimerInterval(CScreenLockWnd::BlockTimer)));
        wasRevealing = lock->IsRevealing();
    }
    QCOMPARE(seen, expected);
}

void TestLockWindow::tinyWindow_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("1x1") << QSize(1, 1);
    QTest::newRow("2x2") << QSize(2, 2);
    QTest::newRow("10x10") << QSize(10, 10);
    QTest::newRow("one row") << QSize(300, 3);
    QTest::newRow("one column") << QSize(3, 300);
}

void TestLockWindow::tinyWindow() {
    QFETCH(QSize, size);
    Host host({200, 200}, 5);
    CScreenLockWnd* lock = host.lock;
    lock->StartWithPrompt(QStringLiteral("A prompt far wider than a tiny window can show"));
    lock->setGeometry(QRect(QPoint(0, 0), size));
    const QSize cell = lock->CellSize();
    QCOMPARE(lock->Columns(), size.width() / cell.width() + 1);
    QCOMPARE(lock->Rows(), size.height() / cell.height() + 1);
    QCOMPARE(lock->MaxSparkles(), int(lock->Columns() * 0.2));

    // Blocks still come and go: the line wider than the window is revealed once the sweep is
    // at the edge.
    QSet<int> blocks;
    bool freeColumnSeen = false;
    for (int t = 0; t < 40000; t += 10) {
        lock->Advance(10);
        blocks.insert(lock->BlockFirstLine());
        QVERIFY(lock->ActiveRainColumns() <= lock->Columns());
        // Every drop ends at the bottom, so columns keep coming free for new ones.
        if (t >= 30000)
            freeColumnSeen = freeColumnSeen || lock->ActiveRainColumns() < lock->Columns();
        QVERIFY(lock->ActiveSparkles() <= lock->MaxSparkles());
        QVERIFY(lock->SweepColumn() < lock->Columns());
    }
    QVERIFY(blocks.contains(0));
    QVERIFY(blocks.contains(2));
    QVERIFY(freeColumnSeen);
}

void TestLockWindow::resizeRebuildsCells_data() {
    QTest::addColumn<QSize>("to");
    QTest::newRow("larger") << QSize(900, 700);
    QTest::newRow("smaller") << QSize(120, 60);
    QTest::newRow("tiny") << QSize(2, 2);
    QTest::newRow("empty") << QSize(0, 0);
}

void TestLockWindow::resizeRebuildsCells() {
    QFETCH(QSize, to);
    Host host({400, 300}, 9);
    CScreenLockWnd* lock = host.lock;
    lock->StartWithPrompt(kPrompt);
    // Resized while the prompt is being revealed and the rain is falling everywhere.
    lock->Advance(5600);
    QVERIFY(lock->IsRevealing());
    QVERIFY(lock->ActiveRainColumns() > 0);
    host.frame.resize(to.expandedTo(QSize(1, 1)));
    lock->resize(to);
    const QSize cell = lock->CellSize();
    QCOMPARE(lock->Columns(), to.width() / cell.width() + 1);
    QCOMPARE(lock->Rows(), to.height() / cell.height() + 1);
    QCOMPARE(lock->MaxSparkles(), int(lock->Columns() * 0.2));
    QCOMPARE(lock->ActiveRainColumns(), 0);
    QVERIFY(lock->SweepColumn() < lock->Columns());
    // The prompt is centred in the new size.
    const int lineCells = int(kPrompt.size()) * cell.width();
    QCOMPARE(lock->LineStart(0).x(), qMax(0, (to.width() - lineCells) / 2 / cell.width()));
    QCOMPARE(lock->LineStart(0).y(), qMax(0, (lock->Rows() - 2) / 2));
    lock->Advance(30000);
    QVERIFY(lock->ActiveRainColumns() <= lock->Columns());
    QCOMPARE(lock->grab().size(), to);
}

void TestLockWindow::noTimerWhileHidden() {
    auto allStopped = [](CScreenLockWnd* lock) {
        for (int i = 0; i < CScreenLockWnd::TimerCount; ++i)
            if (lock->IsTimerActive(static_cast<CScreenLockWnd::Timer>(i)))
                return false;
        for (const QTimer* timer : lock->findChildren<QTimer*>())
            if (timer->isActive())
                return false;
        return true;
    };
    QWidget frame;
    frame.resize(300, 200);
    auto* lock = new CScreenLockWnd(&frame);
    lock->SetRandomSeed(3);
    lock->StartWithPrompt(kPrompt);
    // The real timers: nothing runs before the frame is on the screen.
    QVERIFY(allStopped(lock));
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::RainTimer));
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::BlockTimer));
    QTRY_VERIFY(lock->ActiveRainColumns() > 0); // real time moves it

    lock->hide();
    QVERIFY(allStopped(lock));
    lock->show();
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::RainTimer));
    frame.hide();
    QVERIFY(allStopped(lock));
    frame.show();
    QVERIFY(lock->IsTimerActive(CScreenLockWnd::RainTimer));
}

void TestLockWindow::repaintsOnlyChangedCells() {
    Host host({800, 600}, 21);
    CScreenLockWnd* lock = host.lock;
    QVERIFY(QTest::qWaitForWindowExposed(&host.frame));
    PaintRecorder recorder(lock);
    lock->StartWithPrompt(kPrompt);
    QApplication::processEvents();
    recorder.regions.clear();

    const qint64 window = qint64(lock->width()) * lock->height();
    qint64 total = 0;
    int ticks = 0;
    // Rain alone, the reveal, the hold and the empty line: every kind of tick.
    for (int t = 0; t < 20000; t += 10, ++ticks) {
        lock->Advance(10);
        QApplication::processEvents();
        QRegion painted;
        for (const QRegion& region : recorder.regions)
            painted += region;
        recorder.regions.clear();
        const qint64 area = Area(painted);
        QVERIFY2(area * 10 < window, qPrintable(QStringLiteral("%1 px at %2 ms").arg(area).arg(t)));
        total += area;
    }
    // On average a tick repaints about a hundredth of the window.
    QVERIFY2(total / ticks * 100 < window, qPrintable(QString::number(total / ticks)));
    QVERIFY(total > 0);
}

void TestLockWindow::timerStepsInTimeOrder() {
    QStringList steps;
    LockTimerSet* timers = nullptr;
    LockTimerSet set(
        3,
        [&](int id) {
            steps << QStringLiteral("%1@%2").arg(id).arg(timers->Now());
            // A step may stop itself and start another, as the lock window's steps do.
            if (id == 2) {
                timers->Stop(2);
                timers->Start(0, 25);
            }
        },
        nullptr);
    timers = &set;
    set.SetManual(true);
    set.Start(0, 30);
    set.Start(1, 20);
    set.Start(2, 50);
    for (int t = 0; t < 100; t += 5)
        set.Advance(5);
    QCOMPARE(steps, (QStringList{"1@20", "0@30", "1@40", "2@50", "1@60", "0@75", "1@80", "0@100",
                                 "1@100"}));
    QVERIFY(!set.IsActive(2));
    QCOMPARE(set.Interval(0), 25);

    // Paused: no step runs, however much time passes, and no real timer is armed.
    set.SetPaused(true);
    steps.clear();
    set.Advance(1000);
    QVERIFY(steps.isEmpty());
    QVERIFY(!set.IsActive(0));
    set.SetManual(false);
    for (const QTimer* timer : set.findChildren<QTimer*>())
        QVERIFY(!timer->isActive());
    set.SetPaused(false);
    QVERIFY(set.IsActive(0));
    QVERIFY(!set.IsActive(2));
}

// What the screen shows after many small repaints is what one full paint would show: no cell
// that changed was left out of the repaint.
void TestLockWindow::repaintedScreenMatchesFullPaint() {
    Host host({360, 240}, 17);
    CScreenLockWnd* lock = host.lock;
    QVERIFY(QTest::qWaitForWindowExposed(&host.frame));
    lock->StartWithPrompt(kPrompt);
    QApplication::processEvents();
    int compared = 0;
    for (int t = 10; t <= 30000; t += 10) {
        lock->Advance(10);
        QApplication::processEvents();
        if (t % 1500 != 0)
            continue;
        const QImage screen = host.frame.screen()
                                  ->grabWindow(host.frame.winId())
                                  .toImage()
                                  .convertToFormat(QImage::Format_RGB32);
        if (screen.size() != lock->size())
            QSKIP("this platform cannot read back the window");
        const QImage full = lock->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(screen == full, qPrintable(QStringLiteral("differs at %1 ms").arg(t)));
        ++compared;
    }
    QCOMPARE(compared, 20);
}

std::unique_ptr<QObject> CreateLockWindowTest() {
    return std::make_unique<TestLockWindow>();
}

#include "tst_lockwindow.moc"
