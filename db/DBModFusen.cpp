#include "DBModFusen.h"

#include "PasswordCipher.h"
#include "platform/IniFile.h"

const QString TdbmNotes::DefaultClientLibrary = QStringLiteral("libfbclient.so.2");
const QString TdbmNotes::DefaultDBFile = QStringLiteral("KWIL.FDB");
const QString TdbmNotes::DefaultUserName = QStringLiteral("SYSDBA");
const QString TdbmNotes::DefaultPassword = QStringLiteral("[quillfern]");
const QString TdbmNotes::DefaultCharSet = QStringLiteral("UNICODE_FSS");

TdbmNotes::TdbmNotes() : TdbmBase(QStringLiteral("dbmNotes"))
{}

void TdbmNotes::LoadSettings(TIniFile& ini, const QString& section)
{
    TdbmBase::LoadSettings(ini, section);
    const QString library =
        ini.readString(section, QStringLiteral("ClientLibrary"), DefaultClientLibrary);
    SetClientLibrary(library.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive)
                         ? DefaultClientLibrary
                         : library);
    SetServer(ini.readString(section, QStringLiteral("Server"), QString()));
    SetDBFolder(ini.readString(section, QStringLiteral("DBFolder"), QString()));
    SetDBFile(ini.readString(section, QStringLiteral("DBFile"), DefaultDBFile));
    SetUserName(ini.readString(section, QStringLiteral("UserID"), DefaultUserName));
    SetPassword(
        DecodeStoredPassword(ini.readString(section, QStringLiteral("Password"), DefaultPassword)));
    SetRoleName(ini.readString(section, QStringLiteral("RoleName"), QString()));
    SetCharSet(ini.readString(section, QStringLiteral("CharSet"), DefaultCharSet));
}

int32_t TdbmNotes::nextValue(const char* generator)
{
    TDbQuery q(
        ReadTransaction(),
        {QStringLiteral("select gen_id(%1, 1) from RDB$DATABASE").arg(QLatin1String(generator))});
    q.open();
    q.next();
    // Keys are 32-bit; the generator's 64-bit value is narrowed.
    const auto id = static_cast<int32_t>(q.field(0).asInt64());
    q.close();
    return id;
}

int32_t TdbmNotes::NextFusenID()
{
    return nextValue("GEN_FUSEN_ID");
}

int32_t TdbmNotes::NextAttachmentID()
{
    return nextValue("GEN_ATTACHMENTS_ID");
}
