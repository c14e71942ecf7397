#include "OptionsHost.h"

#include "db/DbError.h"
#include "platform/Autostart.h"
#include "platform/Platform.h"
#include "types/FusenGroup.h"

#include <QDialog>

QString TOptionsHost::startupFolder()
{
    return GetStartupFolder();
}

void ShowCommandError(const std::exception& e)
{
    if (dynamic_cast<const EDatabaseError*>(&e))
        return;
    if (const auto* g = dynamic_cast<const EGroupError*>(&e)) {
        platform::messages().showError(g->text());
        return;
    }
    platform::messages().showError(QString::fromLocal8Bit(e.what()));
}

void RaiseDialog(QDialog* dialog)
{
    if (!dialog)
        return;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
