#pragma once

#include "DBModBase.h"

#include <cstdint>

// The program's connection module: the application's defaults for the
// connection settings and the key generators.
class TdbmNotes : public TdbmBase
{
public:
    TdbmNotes();

    // Reads the section like TdbmBase, then again with the application's
    // defaults (a local database KWIL.FDB, user SYSDBA).
    void LoadSettings(TIniFile& ini, const QString& section) override;

    // The next note key (GEN_FUSEN_ID) and attachment key (GEN_ATTACHMENTS_ID).
    int32_t NextFusenID();
    int32_t NextAttachmentID();

    // The application's defaults of the LocalDB section.
    static const QString DefaultClientLibrary;
    static const QString DefaultDBFile;
    static const QString DefaultUserName;
    static const QString DefaultPassword; // stored form
    static const QString DefaultCharSet;

private:
    int32_t nextValue(const char* generator);
};
