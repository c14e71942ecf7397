// Note windows on a real X desktop, for notes_session_test.sh: a fresh
// database with three notes of two groups is loaded onto the desktop, and
// every change of a window's bounds, of its mode and of the stored rows is
// printed, so the script can drive the pointer and keyboard and check the
// outcome.
//
//   note KEY X Y W H edit 0|1 drag 0|1   a window's bounds and state, at
//                                         start and whenever they change
//   row KEY TITLE|MEMO|P_LEFT|P_TOP      a stored row, likewise
//   ready                                the notes are on the screen
//   ended                                "done" was seen; all notes closed
#include "NoteFixture.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QTest>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    NoteFixture f;
    platform::QtScreens screens;
    platform::QtClipboard clipboard;
    platform::Services desktop;
    desktop.screens = &screens;
    desktop.clipboard = &clipboard;
    platform::install(desktop);

    f.settings.AlphaBlend = 200;
    f.addGroup(1, QStringLiteral("仕事"), true, 0, 3);
    QList<int32_t> keys;
    for (int i = 0; i < 3; ++i) {
        NoteFixture::Note n;
        n.title = QStringList{QStringLiteral("買い物"), QStringLiteral("会議の準備"),
                              QStringLiteral("電話")}[i];
        n.memo = QStringLiteral("牛乳\nhttp://example.jp/%1").arg(i);
        n.type = f.constType(70 - 10 * i);
        n.group = i < 2 ? 1 : 0;
        n.bounds = QRect(100 + 340 * i, 200, 300, 140);
        keys << f.addNote(n);
    }
    f.desktop().LoadDesktopNotes(false, false);

    QTextStream out(stdout);
    QHash<int32_t, QString> last;
    auto report = [&] {
        for (TFusenForm* w : f.desktop().notes()) {
            const QRect g = w->geometry();
            const QString line = QStringLiteral("note %1 %2 %3 %4 %5 edit %6 drag %7")
                                     .arg(w->FIDKey)
                                     .arg(g.x())
                                     .arg(g.y())
                                     .arg(g.width())
                                     .arg(g.height())
                                     .arg(w->IsEditMode() ? 1 : 0)
                                     .arg(w->IsDragging() ? 1 : 0);
            if (last.value(w->FIDKey) != line) {
                last[w->FIDKey] = line;
                out << line << Qt::endl;
            }
        }
        for (int32_t k : keys) {
            const QString row = QStringLiteral("row %1 %2|%3|%4|%5")
                                    .arg(k)
                                    .arg(f.column(k, QStringLiteral("TITLE")))
                                    .arg(f.column(k, QStringLiteral("MEMO"))
                                             .replace(QLatin1String("\r\n"), QLatin1String("/"))
                                             .replace(u'\n', u'/'))
                                    .arg(f.column(k, QStringLiteral("P_LEFT")))
                                    .arg(f.column(k, QStringLiteral("P_TOP")));
            if (last.value(-k) != row) {
                last[-k] = row;
                out << row << Qt::endl;
            }
        }
    };
    for (TFusenForm* w : f.desktop().notes())
        if (!QTest::qWaitForWindowExposed(w))
            return 2;
    // A file named "done" in the working folder ends the probe: every note
    // is closed (saving what changed) and the rows are reported once more.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        report();
        if (QFile::exists(QStringLiteral("done"))) {
            poll.stop();
            f.desktop().CloseAllNotes();
            report();
            out << "ended" << Qt::endl;
            app.quit();
        }
    });
    poll.start(100);
    report();
    out << "ready" << Qt::endl;
    QTimer::singleShot(80000, &app, &QCoreApplication::quit);
    return app.exec();
}
