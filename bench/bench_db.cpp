// Database benchmarks at scale: the desktop selection with and without the
// priority expression, the list window's search, embedded connect, inserts.
//
//   kwil_bench_db                      # generates 100,000 notes first
//   KWIL_BENCH_NOTES=20000 kwil_bench_db
//   KWIL_BENCH_DB=/tmp/big/KWIL.FDB kwil_bench_db   # a database from kwil_gendb
//
// See bench/README.md for the figures and how they were taken.

#include "NoteGenerator.h"

#include "db/FbClient.h"
#include "db/FbServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {
struct BenchDatabase
{
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<TdbmNotes> module;

    void configure(TdbmNotes& m) const
    {
        m.SetServer(QString());
        m.SetDBFile(file);
        m.SetUserName(QStringLiteral("SYSDBA"));
    }
};
BenchDatabase* Db = nullptr;

void prepareDatabase()
{
    Db = new BenchDatabase;
    Db->file = qEnvironmentVariable("KWIL_BENCH_DB");
    const bool generate = Db->file.isEmpty();
    if (generate) {
        Db->file = Db->dir.filePath(QStringLiteral("BENCH.FDB"));
        TServiceParams sp;
        sp.userName = QStringLiteral("SYSDBA");
        FbServices::Restore(sp, QCoreApplication::applicationDirPath() + "/INITIALDB.FBK",
                            Db->file);
    }
    Db->module = std::make_unique<TdbmNotes>();
    Db->configure(*Db->module);
    QElapsedTimer t;
    t.start();
    Db->module->Connect();
    std::printf("first embedded connect in this process: %.1f ms\n", t.nsecsElapsed() / 1e6);
    if (generate) {
        TGenOptions o;
        o.notes = qEnvironmentVariableIsSet("KWIL_BENCH_NOTES")
                      ? qEnvironmentVariableIntValue("KWIL_BENCH_NOTES")
                      : 100000;
        const TGenStats s = TNoteGenerator::generate(*Db->module, o);
        std::printf("generated %d notes (%d of the main user, %d of them open or anchored) in "
                    "%.1f s: %.0f notes/s\n",
                    s.notes, s.mainUserNotes, s.mainUserOpen, s.seconds, s.notes / s.seconds);
    }
    std::fflush(stdout);
}

// Opens the statement and reads n rows as the program would (every column a
// window fills itself from, the body included); returns the rows read.
int readRows(TDbQuery& q, int n)
{
    int rows = 0;
    while (rows < n && q.next()) {
        benchmark::DoNotOptimize(q.field("TITLE").asString());
        benchmark::DoNotOptimize(q.field("MEMO").asString());
        benchmark::DoNotOptimize(q.field("STIME").asDateTime());
        ++rows;
    }
    q.close();
    return rows;
}

const QStringList DesktopSql = {
    "select * from VW_Fusen where USERID=:USERID",
    "and (COMPLETED=0 or (COMPLETED=1 and ANCHOR=1))",
    "and PRIORITY > :LOWPRIORITY",
    "order by ANCHOR desc,PRIORITY desc,STIME desc",
};

void BM_DesktopSelection(benchmark::State& state)
{
    TdbmNotes& m = *Db->module;
    int rows = 0;
    for (auto _ : state) {
        m.BeginWork();
        TDbQuery q(m.UpdateTransaction(), DesktopSql);
        q.setParam("USERID", TNoteGenerator::mainUser());
        q.setParam("LOWPRIORITY", 0);
        q.open();
        rows = readRows(q, 40);
        m.CommitWork();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_DesktopSelection)->Unit(benchmark::kMillisecond);

// The same selection and order without the priority: what the engine needs
// for the rest of the work.
void BM_DesktopWithoutPriority(benchmark::State& state)
{
    TdbmNotes& m = *Db->module;
    int rows = 0;
    for (auto _ : state) {
        m.BeginWork();
        TDbQuery q(m.UpdateTransaction(),
                   {"select F.*, T.LABEL TYPENAME, G.LABEL GROUPNAME from FUSEN F",
                    "left join FUSENTYPE T on T.IDKEY = F.FTYPE",
                    "left join FUSENGROUP G on G.IDKEY = F.FGROUP", "where F.USERID=:USERID",
                    "and (F.COMPLETED=0 or (F.COMPLETED=1 and F.ANCHOR=1))",
                    "order by F.ANCHOR desc,F.STIME desc"});
        q.setParam("USERID", TNoteGenerator::mainUser());
        q.open();
        rows = readRows(q, 40);
        m.CommitWork();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_DesktopWithoutPriority)->Unit(benchmark::kMillisecond);

// The list window's statement with a search over titles and bodies, as many
// rows as fill the grid. Arg 0: a Japanese word, 1: an ASCII word.
void BM_ListSearch(benchmark::State& state)
{
    TdbmNotes& m = *Db->module;
    const QString word = state.range(0) == 0 ? TNoteGenerator::commonJapaneseWord()
                                             : TNoteGenerator::commonAsciiWord();
    int rows = 0;
    for (auto _ : state) {
        TDbQuery q(
            m.ReadTransaction(),
            {"select * from VW_FUSEN", "where (USERID = :USERID)",
             " and ((UPPER(TITLE) like UPPER(:SEARCH)) or (UPPER(MEMO) like UPPER(:SEARCH)))",
             "order by STIME asc"});
        q.setParam("USERID", TNoteGenerator::mainUser());
        q.setParam("SEARCH", QStringLiteral("%") + word + QStringLiteral("%"));
        q.open();
        rows = readRows(q, 30);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ListSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The list window without a search: every note of the user, by start.
void BM_ListAll(benchmark::State& state)
{
    TdbmNotes& m = *Db->module;
    for (auto _ : state) {
        TDbQuery q(m.ReadTransaction(), {"select * from VW_FUSEN", "where (USERID = :USERID)",
                                         " and COMPLETED = 0", "order by STIME asc"});
        q.setParam("USERID", TNoteGenerator::mainUser());
        q.open();
        benchmark::DoNotOptimize(readRows(q, 30));
    }
}
BENCHMARK(BM_ListAll)->Unit(benchmark::kMillisecond);

void BM_ConnectEmbedded(benchmark::State& state)
{
    for (auto _ : state) {
        TdbmNotes m;
        Db->configure(m);
        m.Connect();
        m.Disconnect();
    }
}
BENCHMARK(BM_ConnectEmbedded)->Unit(benchmark::kMillisecond);

// Notes inserted in units of work of 1,000, with a body each.
void BM_InsertNotes(benchmark::State& state)
{
    TdbmNotes& m = *Db->module;
    TDbQuery q(m.UpdateTransaction(),
               {"insert into FUSEN (USERID, FTYPE, FGROUP, TITLE, MEMO, STIME, ETIME, P_TOP,",
                " P_LEFT, P_WIDTH, P_HEIGHT, ANCHOR, COMPLETED)",
                "values (:USERID, 1, 0, :TITLE, :MEMO, :STIME, :ETIME, 150, 200, 400, 100, 0, 0)"});
    const TDateTime now = TDateTime::fromDate(2026, 12, 11, 9, 0);
    const QString memo = QStringLiteral("本文の一行目\r\n二行目 with some ASCII\r\n");
    int n = 0;
    for (auto _ : state) {
        m.BeginWork();
        for (int i = 0; i < 1000; ++i, ++n) {
            q.setParam("USERID", QStringLiteral("bench"));
            q.setParam("TITLE", QStringLiteral("挿入 %1").arg(n));
            q.setParam("MEMO", memo);
            q.setParam("STIME", now.addDays(n / 1440.0));
            q.setParam("ETIME", TDateTime());
            q.execute();
        }
        m.CommitWork();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_InsertNotes)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        prepareDatabase();
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        Db->module->Disconnect();
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    delete Db;
    TFbClient::shutdownAll();
    return 0;
}
