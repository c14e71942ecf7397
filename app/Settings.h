#pragma once

#include <QString>

class TIniFile;
class TdbmBase;

// Top, left, size and steps of a window arrangement: where new notes go
// (DefaultPos), and the cascade and tile layouts.
struct TArrangeParams
{
    int Top = 0;
    int Left = 0;
    int Width = 0;
    int Height = 0;
    int DW = 0;
    int DH = 0;

    friend bool operator==(const TArrangeParams&, const TArrangeParams&) = default;
};

// Every setting of the settings file except the connection (section LocalDB,
// which the database module keeps). Read once at start; other parts of the
// program read these fields, never the file.
struct TSettings
{
    // [Account]
    QString UserID = QStringLiteral("DefaultUser");
    QString Password; // kept only so a save writes it back

    // [Params]
    int AlphaBlend = 255; // 0-255; 0 and 255 both mean opaque
    int FrameType = 0;
    int FusenMax = 20;
    int AutoDelete = 30;
    bool AutoPriority = true; // kept only so a save writes it back
    bool AutoComplete = true;
    int LowPriority = 0;
    int AlignType = 0;
    bool BackupStart = false;
    bool BackupEnd = true;
    QString BackupFolder;
    bool Beep = true;
    bool PasteClipboard = true;
    bool ViewModeEdit = false;
    int FontSize = 10;
    QString SpiPath = QStringLiteral("SPI");

    TArrangeParams DefaultPos{150, 200, 400, 100, 10, 20};
    TArrangeParams Cascade{0, 2000, 250, 90, 0, 20};
    TArrangeParams Tile{0, 0, 200, 90, 0, 0};

    // Sections Account, Params, DefaultPos, Cascade, Tile.
    void read(const TIniFile& ini);
    void write(TIniFile& ini) const;
};

// The whole settings file: the sections above, then LocalDB through the
// database module. After reading, a database with no folder lives in the
// program's folder.
void LoadIniSettings(TSettings& settings, TdbmBase& db, const QString& fileName);
// Writes every key in the order of the file's sections; a database beside the
// program is written with an empty folder so the installation can move.
// False with a reason when the file cannot be written.
bool SaveIniSettings(const TSettings& settings, TdbmBase& db, const QString& fileName,
                     QString* error = nullptr);
