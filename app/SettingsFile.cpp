#include "Settings.h"

#include "db/DBModBase.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

namespace {
const QString LocalDB = QStringLiteral("LocalDB");
}

void LoadIniSettings(TSettings& settings, TdbmBase& db, const QString& fileName)
{
    TIniFile ini(fileName);
    settings.read(ini);
    db.LoadSettings(ini, LocalDB);
    if (db.DBFolder().isEmpty())
        db.SetDBFolder(TProgramFolder::path());
}

bool SaveIniSettings(const TSettings& settings, TdbmBase& db, const QString& fileName,
                     QString* error)
{
    TIniFile ini(fileName);
    settings.write(ini);
    db.SaveSettings(ini, LocalDB);
    if (db.DBFolder() == TProgramFolder::path())
        ini.writeString(LocalDB, QStringLiteral("DBFolder"), QString());
    return ini.save(error);
}
