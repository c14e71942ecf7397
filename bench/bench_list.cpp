// The list window at scale: how long until the first rows are on screen when
// the window opens and when a search word is typed, on 100,000 notes.
//
//   kwil_bench_list                       # generates 100,000 notes first
//   KWIL_BENCH_DB=/tmp/big/KWIL.FDB kwil_bench_list
//   KWIL_BENCH_NOTES=20000 KWIL_BENCH_RUNS=9 kwil_bench_list
//   KWIL_BENCH_ONLY=search kwil_bench_list   # only the steps named so
//
// Every figure is the wall time of the user's step up to the grid's viewport
// repainted with the new rows, offscreen. See bench/README.md.

#include "NoteGenerator.h"

#include "app/Settings.h"
#include "db/FbClient.h"
#include "db/FbServices.h"
#include "list/ListGrid.h"
#include "list/ListHost.h"
#include "list/ListModel.h"
#include "list/ListWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {
class BenchHost : public TListHost
{
public:
    void OpenNoteByKey(int32_t) override {}
    void DiscardNote(int32_t) override {}
    QTimer& timer() override { return FTimer; }

private:
    QTimer FTimer;
};

int Runs = 7;
QString Only; // KWIL_BENCH_ONLY: run only the steps whose name contains it

// The offscreen platform says on every show that it cannot pass size hints on.
QtMessageHandler NextHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("propagateSizeHints")))
        return;
    if (NextHandler)
        NextHandler(type, context, text);
}

void paint(TListWindow& w)
{
    QCoreApplication::processEvents();
    w.dbGrid->viewport()->repaint();
}

// Runs setup (untimed) and step (timed) Runs times; prints the median, the
// best and the worst, and the rows the grid held after the step.
double measure(const char* name, const std::function<void()>& setup,
               const std::function<void()>& step, TListWindow& w)
{
    if (!QString::fromUtf8(name).contains(Only))
        return 0;
    QList<double> ms;
    for (int i = 0; i < Runs; ++i) {
        setup();
        paint(w);
        QElapsedTimer t;
        t.start();
        step();
        paint(w);
        ms << t.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-52s median %7.1f ms  best %7.1f  worst %7.1f  rows read %d%s\n", name, median,
                ms.first(), ms.last(), w.model().rowCount(), w.model().AtEnd() ? " (all)" : "");
    std::fflush(stdout);
    return median;
}
} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    NextHandler = qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsSet("KWIL_BENCH_RUNS"))
        Runs = std::max(1, qEnvironmentVariableIntValue("KWIL_BENCH_RUNS"));
    Only = qEnvironmentVariable("KWIL_BENCH_ONLY");

    QTemporaryDir dir;
    QString file = qEnvironmentVariable("KWIL_BENCH_DB");
    const bool generate = file.isEmpty();
    int rc = 0;
    try {
        if (generate) {
            file = dir.filePath(QStringLiteral("BENCH.FDB"));
            TServiceParams sp;
            sp.userName = QStringLiteral("SYSDBA");
            FbServices::Restore(sp, QCoreApplication::applicationDirPath() + "/INITIALDB.FBK",
                                file);
        }
        TdbmNotes m;
        m.SetServer(QString());
        m.SetDBFile(file);
        m.SetUserName(QStringLiteral("SYSDBA"));
        m.Connect();
        if (generate) {
            TGenOptions o;
            o.notes = qEnvironmentVariableIsSet("KWIL_BENCH_NOTES")
                          ? qEnvironmentVariableIntValue("KWIL_BENCH_NOTES")
                          : 100000;
            const TGenStats s = TNoteGenerator::generate(m, o);
            std::printf("generated %d notes, %d of %s (%d open or anchored)\n", s.notes,
                        s.mainUserNotes, qPrintable(TNoteGenerator::mainUser()), s.mainUserOpen);
        }
        std::printf("%d runs each\n", Runs);

        TSettings settings;
        settings.UserID = TNoteGenerator::mainUser();
        BenchHost host;
        auto w = std::make_unique<TListWindow>(m, settings, host);
        w->resize(900, 600);
        auto reset = [&](bool completed) {
            w->hide();
            w->editSearch->clear();
            w->radioTitle->setChecked(true);
            w->checkCompleted->setChecked(completed);
        };
        auto show = [&] { w->show(); };
        for (const bool completed : {false, true}) {
            const QByteArray name =
                QByteArray("open the list") + (completed ? ", completed shown" : "");
            measure(
                name.constData(), [&] { reset(completed); }, show, *w);
        }

        const QString words[] = {TNoteGenerator::commonJapaneseWord(),
                                 TNoteGenerator::commonAsciiWord(),
                                 QStringLiteral("該当なしの語句")};
        for (const bool completed : {false, true})
            for (const QString& word : words) {
                const QByteArray name = QStringLiteral("search %1, title+body%2")
                                            .arg(word, completed ? ", completed shown" : "")
                                            .toUtf8();
                measure(
                    name.constData(),
                    [&] {
                        reset(completed);
                        show();
                        w->radioBody->setChecked(true);
                    },
                    [&] { w->editSearch->setText(word); }, *w);
            }

        // Typed key by key: every key rebuilds the list.
        for (const bool completed : {false, true}) {
            if (!QStringLiteral("typing").contains(Only))
                break;
            const QString word = TNoteGenerator::commonAsciiWord();
            reset(completed);
            show();
            w->radioBody->setChecked(true);
            paint(*w);
            double worst = 0, total = 0;
            for (int i = 1; i <= word.size(); ++i) {
                QElapsedTimer t;
                t.start();
                w->editSearch->setText(word.left(i));
                paint(*w);
                const double ms = t.nsecsElapsed() / 1e6;
                worst = std::max(worst, ms);
                total += ms;
            }
            std::printf("%-52s worst key %7.1f ms  all %lld keys %7.1f ms\n",
                        completed ? "typing REPORT key by key, completed shown"
                                  : "typing REPORT key by key",
                        worst, static_cast<long long>(word.size()), total);
        }

        for (const bool completed : {false, true}) {
            const QByteArray name =
                QByteArray("sort by the type column") + (completed ? ", completed shown" : "");
            measure(
                name.constData(),
                [&] {
                    reset(completed);
                    show();
                },
                [&] { w->SortByColumn(TListModel::colTYPENAME); }, *w);
        }
        measure(
            "select all, completed shown (reads every row)",
            [&] {
                reset(true);
                show();
            },
            [&] { w->actGridSelAllExecute(); }, *w);
        measure(
            "select completed, completed shown (reads every row)",
            [&] {
                reset(true);
                show();
            },
            [&] { w->actGridSelCompleteExecute(); }, *w);
        w.reset();
        m.Disconnect();
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        rc = 1;
    }
    TFbClient::shutdownAll();
    return rc;
}
