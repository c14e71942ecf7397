#include "app/Main.h"
#include "app/Application.h"
#include "db/DBModFusen.h"
#include "platform/QtPlatform.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/Tray.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    TKwilApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kwil"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kwil!"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TTray::programIcon());
    // The interface is Japanese whatever the session's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    platform::installDesktopServices();

    // One instance per user: a second start asks the first to come forward
    // and ends before touching the database.
    TSingleInstance single(QStringLiteral("Kwil2009"));
    if (!single.start())
        return 0;

    // The ending signals are caught from the first moment, so a session that
    // ends during start-up still closes the database cleanly.
    TSessionEnd sessionEnd;

    TdbmNotes db;
    TMainForm form(db);
    QObject::connect(&form, &TMainForm::terminateRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&sessionEnd, &TSessionEnd::endRequested, &form,
                     [&form](TSessionEnd::Cause cause) {
                         form.EndSession(cause == TSessionEnd::ByTerminationSignal);
                     });
    QObject::connect(&single, &TSingleInstance::activationRequested, &form,
                     &TMainForm::BringToFront);

    TTray tray;
    tray.setMenu(&form.PopupMenu);
    QObject::connect(&tray, &TTray::doubleClicked, &form, &TMainForm::actShowGridExecute);
    tray.show();

    if (!form.FormCreate())
        return 1;
    // Without a notification area the list window is the program's only face.
    if (!TTray::isAvailable())
        form.actShowGridExecute();
    return QApplication::exec();
}
