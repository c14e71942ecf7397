// How long the desktop takes to come up on a large database: from the
// connect to the last note window shown, with FusenMax notes selected.
//
//   notes_loadtime DATABASE [FUSENMAX] [RUNS]
//
// The database is used as it stands (kwil_gendb makes one); the notes are
// closed without saving between runs, so every run starts alike.
#include "app/Settings.h"
#include "db/DBModFusen.h"
#include "notes/Desktop.h"
#include "notes/Fusen.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/TypeList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    if (args.size() < 2) {
        out << "usage: notes_loadtime DATABASE [FUSENMAX] [RUNS]" << Qt::endl;
        return 2;
    }
    const QFileInfo file(args.at(1));
    TSettings settings;
    settings.FusenMax = args.size() > 2 ? args.at(2).toInt() : 40;
    const int runs = args.size() > 3 ? args.at(3).toInt() : 5;

    QList<qint64> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        TdbmNotes db;
        db.SetServer(QString());
        db.SetDBFolder(file.absolutePath());
        db.SetDBFile(file.fileName());
        db.SetUserName(QStringLiteral("SYSDBA"));
        db.SetPassword(QString());
        db.Connect();
        TTypeList types;
        types.Reload(db);
        TFusenGroup groups(db);
        groups.Load();
        TGroupIcons icons;
        QTimer timer;
        {
            TDesktop desktop(db, settings, types, groups, icons, timer);
            desktop.LoadDesktopNotes(true, false);
            const qint64 ms = clock.elapsed();
            times << ms;
            out << "run " << run + 1 << ": " << desktop.notes().size() << " notes in " << ms
                << " ms" << Qt::endl;
            for (TFusenForm* w : desktop.notes())
                w->FModified = false; // leave the database as it was
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        db.Disconnect();
    }
    std::sort(times.begin(), times.end());
    out << "median " << times.at(times.size() / 2) << " ms" << Qt::endl;
    return 0;
}
