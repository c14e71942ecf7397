#include "Application.h"

#include "db/DbError.h"
#include "platform/Platform.h"
#include "types/FusenGroup.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcApp, "kwil.app")

TKwilApplication::TKwilApplication(int& argc, char** argv) : QApplication(argc, argv)
{}

void ShowApplicationError(const std::exception& e)
{
    if (dynamic_cast<const EDatabaseError*>(&e))
        return; // the database module's box has shown it
    if (auto* g = dynamic_cast<const EGroupError*>(&e)) {
        platform::messages().showError(g->text());
        return;
    }
    platform::messages().showError(QString::fromUtf8(e.what()));
}

bool TKwilApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qCWarning(lcApp) << "error in a command:" << e.what();
        ShowApplicationError(e);
    } catch (...) {
        qCWarning(lcApp) << "unknown error in a command";
        platform::messages().showError(QStringLiteral("不明な例外が発生しました"));
    }
    return false;
}
