// A text document of 100 000 lines in the real text window, offscreen, driven by its own keys
// and dialogs: open (from the password dialog's OK to the text shown, caret at the start),
// Ctrl+End, typing at the end, Find Next of a word that occurs once near the end, Replace All
// of a word that occurs 10 000 times, and Ctrl+S (from the Set Password dialog's OK to the file
// written). Each measure is printed as "name<TAB>ms<TAB>reference ms", the reference being the
// container's own decrypt or encrypt of the same text (0 where there is none), the median of
// the rounds; the last line is "peak-rss-mb<TAB>growth<TAB>UTF-16 MB": the peak resident size
// beyond the program's size at rest, beside the text's size in memory.
// Run on demand, never by the tests: bench_textwindow [rounds] [lines].
#include "CEditorApp.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CFindReplaceDlg.h"
#include "CMDIFrameWnd.h"
#include "CShellDialog.h"
#include "CWinApp.h"
#include "resource.h"

#include <TextFile.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const QString kPassword = QStringLiteral("bench pw 42");
const QString kOnce = QStringLiteral("quetzalcoatl");
const QString kOften = QStringLiteral("lantern");
const QString kReplacement = QStringLiteral("lamp");

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bench_textwindow: %s\n", what);
    std::exit(1);
}

// Plain words, Cyrillic, Greek and CJK: none holds kOnce or kOften.
QString Generate(int lines) {
    static const char* const kWords[] = {
        "the",      "quick",      "brown",    "fox",     "jumps",      "over",   "lazy",
        "dog",      "note",       "meeting",  "garden",  "river",      "window", "journal",
        "morning",  "evening",    "coffee",   "letter",  "station",    "market", "summer",
        "winter",   "bridge",     "mountain", "account", "2026-12-08", "12:45",  "(draft)",
        "Привет",   "дневник",    "заметка",  "вечером", "работа",     "Москва", "погода",
        "Καλημέρα", "σημείωση",   "θάλασσα",  "ημέρα",   "会议",       "日记",   "天气",
        "東京",     "ありがとう", "메모",     "오늘"};
    constexpr int kCount = int(sizeof kWords / sizeof kWords[0]);
    std::vector<QString> words;
    for (const char* word : kWords)
        words.push_back(QString::fromUtf8(word));
    QRandomGenerator random(42);
    QString text;
    text.reserve(qsizetype(lines) * 50);
    for (int line = 0; line < lines; ++line) {
        const int target = 30 + static_cast<int>(random.bounded(30));
        qsizetype start = text.size();
        if (line % 10 == 3) {
            text += kOften;
            text += QLatin1Char(' ');
        }
        if (line == lines - lines / 100)
            text += kOnce + QLatin1Char(' ');
        while (text.size() - start < target) {
            text += words[random.bounded(kCount)];
            text += QLatin1Char(' ');
        }
        text.chop(1);
        text += QLatin1String("\r\n");
    }
    return text;
}

// The current and the peak resident size in MiB since the peak was last reset.
double StatusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

void ResetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double Ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Waits for the modal dialog of that class, then lets answer fill it in and press OK;
// okClicked starts right before the button is pressed.
void AnswerDialog(const char* className, std::function<void(CShellDialog*)> answer,
                  QElapsedTimer* okClicked) {
    QTimer::singleShot(0, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || qstrcmp(modal->metaObject()->className(), className) != 0) {
            AnswerDialog(className, answer, okClicked);
            return;
        }
        auto* dlg = static_cast<CShellDialog*>(modal);
        answer(dlg);
        auto* ok = qobject_cast<QAbstractButton*>(dlg->GetDlgItem(IDOK));
        if (!ok)
            Fail("the dialog has no OK button");
        okClicked->start();
        ok->click();
    });
}

void SetField(CShellDialog* dlg, int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(id));
    if (!edit)
        Fail("a password dialog lacks its field");
    edit->setText(text);
}

// The key, then everything it set off, painting included.
double TimeKey(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(to, key, modifiers);
    QApplication::processEvents();
    return Ms(timer);
}

double TimeClick(QAbstractButton* button) {
    QElapsedTimer timer;
    timer.start();
    button->click();
    QApplication::processEvents();
    return Ms(timer);
}

// Offscreen, a closed dialog gives the keyboard back to no window: the person's click on the
// text does. The menu commands then follow the document, as the idle update makes them.
void Activate(CMDIFrameWnd* frame, QWidget* view) {
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame))
        Fail("the main window does not become active");
    view->setFocus();
    frame->UpdateCommandActions();
}

// With KEYSTOW_BENCH_STAGES set, the processor time since the last stage (on a loaded machine
// the wall-clock figures above it are longer), and the resident and peak size after each step;
// the resident size split into the program's own memory and pages of files (fonts, libraries)
// mapped in, which the first text in a script brings in once.
void Stage(const char* name) {
    static double last = 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    if (qEnvironmentVariableIsSet("KEYSTOW_BENCH_STAGES"))
        std::fprintf(stderr,
                     "%-12s processor %7.1f ms, resident %.1f MB (own %.1f, files %.1f), "
                     "peak %.1f MB\n",
                     name, cpu - last, StatusMb("VmRSS:"), StatusMb("RssAnon:"),
                     StatusMb("RssFile:"), StatusMb("VmHWM:"));
    last = cpu;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // As the program does: a freed buffer of megabytes goes back to the system.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int lines = argc > 2 ? std::max(200, std::atoi(argv[2])) : 100000;

    QTemporaryDir dir;
    qputenv("KEYSTOW_DATA_DIR", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    const QString pristine = dir.filePath(QStringLiteral("pristine.etx"));
    const QString path = dir.filePath(QStringLiteral("journal.etx"));
    const QString copy = dir.filePath(QStringLiteral("copy.etx"));
    qsizetype units = 0;
    {
        QString text = Generate(lines);
        units = text.size();
        if (SaveTextFile(pristine, kPassword, text) != SaveResult::Saved)
            Fail("cannot write the document");
    }
    const double utf16Mb = double(units) * 2 / (1 << 20);
    std::fprintf(stderr, "document: %d lines, %lld characters, %.1f MB as UTF-16\n", lines,
                 static_cast<long long>(units), utf16Mb);

    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor Bench"));
    CEditorApp app;
    if (!app.InitInstance())
        Fail("the program did not start");
    CMDIFrameWnd* frame = app.GetMainWnd();
    frame->resize(1280, 900);
    frame->show();
    QApplication::processEvents();

    std::map<std::string, std::vector<double>> ms;
    std::vector<double> decrypt, encrypt;
    double rest = 0;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(path);
        if (!QFile::copy(pristine, path))
            Fail("cannot copy the document");
        // The container alone, on the same file and text.
        {
            QString text;
            QElapsedTimer timer;
            timer.start();
            if (LoadTextFile(path, kPassword, text) != LoadResult::Loaded)
                Fail("the document does not decrypt");
            decrypt.push_back(Ms(timer));
            timer.start();
            if (SaveTextFile(copy, kPassword, text) != SaveResult::Saved)
                Fail("cannot write the copy");
            encrypt.push_back(Ms(timer));
        }
        Stage("reference");
        if (round == 0) {
            rest = StatusMb("VmRSS:");
            ResetPeak();
        }

        QElapsedTimer okClicked;
        AnswerDialog(
            "CPasswordDlg", [](CShellDialog* d) { SetField(d, IDC_PASSWORD, kPassword); },
            &okClicked);
        auto* doc = qobject_cast<CEditorDoc*>(app.OpenDocumentFile(path));
        if (!doc || !doc->GetView())
            Fail("the document did not open");
        QApplication::processEvents();
        ms["open"].push_back(Ms(okClicked));
        Stage("open");
        CEditorView* view = doc->GetView();
        QTextDocument* text = view->document();
        if (view->textCursor().position() != 0 || text->blockCount() != lines + 1)
            Fail("the text is not shown with the caret at the start");
        Activate(frame, view);
        Stage("activate");

        ms["ctrl-end"].push_back(TimeKey(view, Qt::Key_End, Qt::ControlModifier));
        Stage("ctrl-end");
        if (view->textCursor().position() != text->characterCount() - 1)
            Fail("Ctrl+End did not reach the end");
        ms["type-at-end"].push_back(TimeKey(view, Qt::Key_X));
        Stage("type-at-end");
        if (text->lastBlock().text() != QLatin1String("x"))
            Fail("the typed character is not at the end");

        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        CFindReplaceDlg* find = view->FindDialog();
        if (!find || find->IsReplaceMode())
            Fail("Ctrl+F did not open the find dialog");
        find->SetFindWhat(kOnce);
        find->SetOptions(false, false, true);
        ms["find-next"].push_back(TimeClick(find->FindNextButton()));
        Stage("find-next");
        if (view->textCursor().selectedText() != kOnce ||
            view->textCursor().block().blockNumber() != lines - lines / 100)
            Fail("Find Next did not select the word");
        find->close();

        Activate(frame, view);
        QTest::keyClick(view, Qt::Key_H, Qt::ControlModifier);
        CFindReplaceDlg* replace = view->FindDialog();
        if (!replace || !replace->IsReplaceMode())
            Fail("Ctrl+H did not open the replace dialog");
        replace->SetFindWhat(kOften);
        replace->SetReplaceWith(kReplacement);
        const int before = text->characterCount();
        ms["replace-all"].push_back(TimeClick(replace->ReplaceAllButton()));
        Stage("replace-all");
        const int replaced = (lines / 10) * int(kOften.size() - kReplacement.size());
        if (!text->find(kOften).isNull() || text->characterCount() != before - replaced)
            Fail("Replace All did not replace every occurrence");
        // One undo step takes all of it back, and redo brings it again.
        text->undo();
        if (text->characterCount() != before || text->find(kOften).isNull())
            Fail("Replace All is not one undo step");
        text->redo();
        if (text->characterCount() != before - replaced)
            Fail("Replace All does not redo");
        replace->close();
        QApplication::processEvents();

        QElapsedTimer setOk;
        AnswerDialog(
            "CSetPasswordDlg",
            [](CShellDialog* d) {
                SetField(d, IDC_PASSWORD, kPassword);
                SetField(d, IDC_CONFIRM_PASSWORD, kPassword);
            },
            &setOk);
        Activate(frame, view);
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        ms["save"].push_back(Ms(setOk));
        Stage("save");
        if (doc->IsModified() || !setOk.isValid())
            Fail("Ctrl+S did not save the document");
        QString saved;
        if (LoadTextFile(path, kPassword, saved) != LoadResult::Loaded ||
            saved.size() != text->characterCount() - 1 + lines ||
            !saved.endsWith(QLatin1String("\r\nx")))
            Fail("the saved file does not hold the text");
        saved.fill(QChar(0));
        saved.clear();

        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    const double peak = StatusMb("VmHWM:");
    std::fprintf(stderr, "resident at rest %.1f MB, peak %.1f MB; medians of %d rounds\n", rest,
                 peak, rounds);

    const double decryptMs = Median(decrypt);
    const double encryptMs = Median(encrypt);
    for (const char* name :
         {"open", "ctrl-end", "type-at-end", "find-next", "replace-all", "save"}) {
        const std::string key(name);
        const double reference = key == "open" ? decryptMs : key == "save" ? encryptMs : 0;
        std::printf("%s\t%.1f\t%.1f\n", name, Median(ms[key]), reference);
    }
    std::printf("peak-rss-mb\t%.1f\t%.1f\n", peak - rest, utf16Mb);
    return 0;
}
