// Makes a Kwil database full of notes for whole-program and scale checks.
//
//   kwil_gendb --notes 100000 --out /tmp/big/KWIL.FDB [--users 4] [--seed N]
//              [--backup INITIALDB.FBK] [--force]
//
// The database is restored from the initial backup (by default the one
// beside this program) and filled through the program's own database layer.

#include "NoteGenerator.h"

#include "db/FbClient.h"
#include "db/FbServices.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Fills a Kwil database with generated notes."));
    cl.addHelpOption();
    const QCommandLineOption notes(QStringLiteral("notes"), QStringLiteral("Number of notes."),
                                   QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Database file to create."),
                                 QStringLiteral("file"));
    const QCommandLineOption users(QStringLiteral("users"), QStringLiteral("Number of users."),
                                   QStringLiteral("n"), QStringLiteral("4"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                  QStringLiteral("n"), QStringLiteral("20261211"));
    const QCommandLineOption backup(
        QStringLiteral("backup"), QStringLiteral("Initial backup to start from."),
        QStringLiteral("file"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/INITIALDB.FBK"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace an existing database file."));
    cl.addOptions({notes, out, users, seed, backup, force});
    cl.process(app);
    if (!cl.isSet(out)) {
        std::fprintf(stderr, "kwil_gendb: --out is required\n");
        return 2;
    }
    const QString file = QFileInfo(cl.value(out)).absoluteFilePath();
    if (QFile::exists(file)) {
        if (!cl.isSet(force)) {
            std::fprintf(stderr, "kwil_gendb: %s exists (use --force)\n", qPrintable(file));
            return 2;
        }
        QFile::remove(file);
    }
    TGenOptions o;
    o.notes = cl.value(notes).toInt();
    o.users = cl.value(users).toInt();
    o.seed = cl.value(seed).toUInt();
    int rc = 0;
    try {
        TServiceParams sp;
        sp.userName = QStringLiteral("SYSDBA");
        FbServices::Restore(sp, cl.value(backup), file);
        TdbmNotes m;
        m.SetServer(QString());
        m.SetDBFile(file);
        m.SetUserName(QStringLiteral("SYSDBA"));
        m.Connect();
        const TGenStats s = TNoteGenerator::generate(m, o);
        m.Disconnect();
        std::printf("%s: %d notes (%d of %s, %d of them open or anchored), %d completed, "
                    "%d anchored, %d with an end, %d from feeds; %.1f s, %.0f notes/s\n",
                    qPrintable(file), s.notes, s.mainUserNotes,
                    qPrintable(TNoteGenerator::mainUser()), s.mainUserOpen, s.completed, s.anchored,
                    s.withEnd, s.feed, s.seconds, s.seconds > 0 ? s.notes / s.seconds : 0.0);
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "kwil_gendb: %s\n", qPrintable(e.message()));
        rc = 1;
    }
    TFbClient::shutdownAll();
    return rc;
}
