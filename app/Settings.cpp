#include "Settings.h"

#include "platform/IniFile.h"

namespace {
const QString Account = QStringLiteral("Account");
const QString Params = QStringLiteral("Params");

void readArrange(const TIniFile& ini, const QString& section, TArrangeParams& p)
{
    p.Top = ini.readInteger(section, QStringLiteral("Top"), p.Top);
    p.Left = ini.readInteger(section, QStringLiteral("Left"), p.Left);
    p.Width = ini.readInteger(section, QStringLiteral("Width"), p.Width);
    p.Height = ini.readInteger(section, QStringLiteral("Height"), p.Height);
    p.DW = ini.readInteger(section, QStringLiteral("DW"), p.DW);
    p.DH = ini.readInteger(section, QStringLiteral("DH"), p.DH);
}

void writeArrange(TIniFile& ini, const QString& section, const TArrangeParams& p)
{
    ini.writeInteger(section, QStringLiteral("Top"), p.Top);
    ini.writeInteger(section, QStringLiteral("Left"), p.Left);
    ini.writeInteger(section, QStringLiteral("Width"), p.Width);
    ini.writeInteger(section, QStringLiteral("Height"), p.Height);
    ini.writeInteger(section, QStringLiteral("DW"), p.DW);
    ini.writeInteger(section, QStringLiteral("DH"), p.DH);
}
} // namespace

void TSettings::read(const TIniFile& ini)
{
    const TSettings d; // defaults
    UserID = ini.readString(Account, QStringLiteral("UserID"), d.UserID);
    Password = ini.readString(Account, QStringLiteral("Password"), d.Password);

    AlphaBlend = ini.readInteger(Params, QStringLiteral("AlphaBlend"), d.AlphaBlend) & 0xFF;
    FrameType = ini.readInteger(Params, QStringLiteral("FrameType"), d.FrameType);
    FusenMax = ini.readInteger(Params, QStringLiteral("FusenMax"), d.FusenMax);
    AutoDelete = ini.readInteger(Params, QStringLiteral("AutoDelete"), d.AutoDelete);
    AutoPriority = ini.readBool(Params, QStringLiteral("AutoPriority"), d.AutoPriority);
    AutoComplete = ini.readBool(Params, QStringLiteral("AutoComplete"), d.AutoComplete);
    LowPriority = ini.readInteger(Params, QStringLiteral("LowPriority"), d.LowPriority);
    AlignType = ini.readInteger(Params, QStringLiteral("AlignType"), d.AlignType);
    BackupStart = ini.readBool(Params, QStringLiteral("BackupStart"), d.BackupStart);
    BackupEnd = ini.readBool(Params, QStringLiteral("BackupEnd"), d.BackupEnd);
    BackupFolder = ini.readString(Params, QStringLiteral("BackupFolder"), d.BackupFolder);
    Beep = ini.readBool(Params, QStringLiteral("Beep"), d.Beep);
    PasteClipboard = ini.readBool(Params, QStringLiteral("PasteClipboard"), d.PasteClipboard);
    ViewModeEdit = ini.readBool(Params, QStringLiteral("ViewModeEdit"), d.ViewModeEdit);
    FontSize = ini.readInteger(Params, QStringLiteral("FontSize"), d.FontSize);
    SpiPath = ini.readString(Params, QStringLiteral("SpiPath"), d.SpiPath);

    DefaultPos = d.DefaultPos;
    Cascade = d.Cascade;
    Tile = d.Tile;
    readArrange(ini, QStringLiteral("DefaultPos"), DefaultPos);
    readArrange(ini, QStringLiteral("Cascade"), Cascade);
    readArrange(ini, QStringLiteral("Tile"), Tile);
}

void TSettings::write(TIniFile& ini) const
{
    ini.writeString(Account, QStringLiteral("UserID"), UserID);
    ini.writeString(Account, QStringLiteral("Password"), Password);

    ini.writeInteger(Params, QStringLiteral("AlphaBlend"), AlphaBlend);
    ini.writeInteger(Params, QStringLiteral("FrameType"), FrameType);
    ini.writeInteger(Params, QStringLiteral("FusenMax"), FusenMax);
    ini.writeInteger(Params, QStringLiteral("AutoDelete"), AutoDelete);
    ini.writeBool(Params, QStringLiteral("AutoPriority"), AutoPriority);
    ini.writeBool(Params, QStringLiteral("AutoComplete"), AutoComplete);
    ini.writeInteger(Params, QStringLiteral("LowPriority"), LowPriority);
    ini.writeInteger(Params, QStringLiteral("AlignType"), AlignType);
    ini.writeBool(Params, QStringLiteral("BackupStart"), BackupStart);
    ini.writeBool(Params, QStringLiteral("BackupEnd"), BackupEnd);
    ini.writeString(Params, QStringLiteral("BackupFolder"), BackupFolder);
    ini.writeBool(Params, QStringLiteral("Beep"), Beep);
    ini.writeBool(Params, QStringLiteral("PasteClipboard"), PasteClipboard);
    ini.writeBool(Params, QStringLiteral("ViewModeEdit"), ViewModeEdit);
    ini.writeInteger(Params, QStringLiteral("FontSize"), FontSize);
    ini.writeString(Params, QStringLiteral("SpiPath"), SpiPath);

    writeArrange(ini, QStringLiteral("DefaultPos"), DefaultPos);
    writeArrange(ini, QStringLiteral("Cascade"), Cascade);
    writeArrange(ini, QStringLiteral("Tile"), Tile);
}
