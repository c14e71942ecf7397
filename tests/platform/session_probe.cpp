// A stand-in for the program's start and end on a real desktop: one
// instance, a tray icon with a menu, and the end of the session. It reports
// what happens to it on standard output, one line per event, for
// desktop_session_test.sh to check.

#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/Tray.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    TSingleInstance instance(QStringLiteral("Kwil2009"));
    if (!instance.start()) {
        say(QStringLiteral("second"));
        return 3;
    }
    QObject::connect(&instance, &TSingleInstance::activationRequested, &app,
                     [] { say(QStringLiteral("activated")); });

    TSessionEnd end;
    QObject::connect(&end, &TSessionEnd::endRequested, &app, [](TSessionEnd::Cause, int sig) {
        say(QStringLiteral("end %1").arg(sig));
        QCoreApplication::quit();
    });

    QMenu menu;
    QAction* list = menu.addAction(QStringLiteral("一覧・検索"));
    menu.setDefaultAction(list);
    menu.addSeparator();
    QAction* quit = menu.addAction(QStringLiteral("終了"));
    QObject::connect(quit, &QAction::triggered, &app, &QCoreApplication::quit);
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&menu] {
        QTimer::singleShot(300, &menu, [&menu] {
            // Where the pointer sits on the panel, the menu is pushed into
            // the work area: beside the pointer, not under it.
            const QPoint pointer = QCursor::pos();
            const QRect r = menu.geometry();
            const int dx = qMax(qMax(r.left() - pointer.x(), pointer.x() - r.right()), 0);
            const int dy = qMax(qMax(r.top() - pointer.y(), pointer.y() - r.bottom()), 0);
            say(QStringLiteral("menu %1 px from the pointer").arg(qMax(dx, dy)));
        });
    });

    TTray tray;
    tray.setMenu(&menu);
    QObject::connect(&tray, &TTray::doubleClicked, &app,
                     [] { say(QStringLiteral("double-clicked")); });
    tray.show();

    // Report where the icon landed once the tray host has embedded it. Until
    // then it is a window of its own at the origin; the panel is elsewhere.
    QTimer poll;
    int polls = 0;
    QRect last;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        const QRect r = tray.icon()->geometry();
        const bool settled =
            r.isValid() && !r.isEmpty() && r.topLeft() != QPoint(0, 0) && r == last;
        last = r;
        if (settled) {
            poll.stop();
            say(QStringLiteral("tray %1 %2 %3 %4")
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height()));
        } else if (++polls > 150) {
            poll.stop();
            say(QStringLiteral("no tray"));
        }
    });
    poll.start(100);

    // Never outlive a forgotten test by long.
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    const int rc = app.exec();
    say(QStringLiteral("ended"));
    return rc;
}
