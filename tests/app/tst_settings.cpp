#include "app/Settings.h"
#include "platform/IniFile.h"

#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsWithoutFile();
    void fullSaveAndReload();
    void writesEveryKeyInOrder();
    void valueForms_data();
    void valueForms();
    void unknownKeysSurvive();
    void brokenFileGivesDefaults();
};

void TestSettings::defaultsWithoutFile()
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath(QStringLiteral("Kwil.ini")));
    TSettings s;
    s.FusenMax = 3; // whatever was there is replaced by the defaults
    s.read(ini);
    const TSettings d;
    QCOMPARE(s.UserID, QStringLiteral("DefaultUser"));
    QCOMPARE(s.AlphaBlend, 255);
    QCOMPARE(s.FusenMax, 20);
    QCOMPARE(s.AutoDelete, 30);
    QCOMPARE(s.BackupEnd, true);
    QCOMPARE(s.BackupStart, false);
    QCOMPARE(s.FontSize, 10);
    QCOMPARE(s.SpiPath, QStringLiteral("SPI"));
    QCOMPARE(s.DefaultPos, (TArrangeParams{150, 200, 400, 100, 10, 20}));
    QCOMPARE(s.Cascade, (TArrangeParams{0, 2000, 250, 90, 0, 20}));
    QCOMPARE(s.Tile, (TArrangeParams{0, 0, 200, 90, 0, 0}));
}

void TestSettings::fullSaveAndReload()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kwil.ini"));
    TSettings s;
    s.UserID = QStringLiteral("山田 太郎");
    s.Password = QStringLiteral("secret");
    s.AlphaBlend = 200;
    s.FrameType = 2;
    s.FusenMax = 40;
    s.AutoDelete = 0;
    s.AutoPriority = false;
    s.AutoComplete = false;
    s.LowPriority = 99;
    s.AlignType = 2;
    s.BackupStart = true;
    s.BackupEnd = false;
    s.BackupFolder = QStringLiteral("/home/y/バックアップ");
    s.Beep = false;
    s.PasteClipboard = false;
    s.ViewModeEdit = true;
    s.FontSize = 14;
    s.SpiPath = QStringLiteral("/opt/spi");
    s.DefaultPos = {1, 2, 3, 4, 5, 6};
    s.Cascade = {7, 8, 9, 10, 11, 12};
    s.Tile = {13, 14, 15, 16, 17, -1};
    {
        TIniFile ini(path);
        s.write(ini);
        QVERIFY(ini.save());
    }
    TSettings r;
    r.read(TIniFile(path));
    QCOMPARE(r.UserID, s.UserID);
    QCOMPARE(r.Password, s.Password);
    QCOMPARE(r.AlphaBlend, 200);
    QCOMPARE(r.FrameType, 2);
    QCOMPARE(r.FusenMax, 40);
    QCOMPARE(r.AutoDelete, 0);
    QCOMPARE(r.AutoPriority, false);
    QCOMPARE(r.AutoComplete, false);
    QCOMPARE(r.LowPriority, 99);
    QCOMPARE(r.AlignType, 2);
    QCOMPARE(r.BackupStart, true);
    QCOMPARE(r.BackupEnd, false);
    QCOMPARE(r.BackupFolder, s.BackupFolder);
    QCOMPARE(r.Beep, false);
    QCOMPARE(r.PasteClipboard, false);
    QCOMPARE(r.ViewModeEdit, true);
    QCOMPARE(r.FontSize, 14);
    QCOMPARE(r.SpiPath, s.SpiPath);
    QCOMPARE(r.DefaultPos, s.DefaultPos);
    QCOMPARE(r.Cascade, s.Cascade);
    QCOMPARE(r.Tile, s.Tile);
}

void TestSettings::writesEveryKeyInOrder()
{
    TIniFile ini(QString{});
    TSettings().write(ini);
    QCOMPARE(ini.sections(), (QStringList{"Account", "Params", "DefaultPos", "Cascade", "Tile"}));
    QCOMPARE(ini.keys(QStringLiteral("Account")), (QStringList{"UserID", "Password"}));
    QCOMPARE(ini.keys(QStringLiteral("Params")),
             (QStringList{"AlphaBlend", "FrameType", "FusenMax", "AutoDelete", "AutoPriority",
                          "AutoComplete", "LowPriority", "AlignType", "BackupStart", "BackupEnd",
                          "BackupFolder", "Beep", "PasteClipboard", "ViewModeEdit", "FontSize",
                          "SpiPath"}));
    for (const char* s : {"DefaultPos", "Cascade", "Tile"})
        QCOMPARE(ini.keys(QLatin1String(s)),
                 (QStringList{"Top", "Left", "Width", "Height", "DW", "DH"}));
    // booleans are written as 1 and 0
    QCOMPARE(ini.readString(QStringLiteral("Params"), QStringLiteral("BackupEnd"), {}),
             QStringLiteral("1"));
    QCOMPARE(ini.readString(QStringLiteral("Params"), QStringLiteral("BackupStart"), {}),
             QStringLiteral("0"));
}

void TestSettings::valueForms_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<int>("fusenMax");
    QTest::addColumn<bool>("beep");
    QTest::addColumn<int>("alpha");
    QTest::newRow("non-numeric integer reads as its default")
        << QByteArray("FusenMax=many") << 20 << true << 255;
    QTest::newRow("boolean 0") << QByteArray("Beep=0") << 20 << false << 255;
    QTest::newRow("boolean read as integer: 2 is true")
        << QByteArray("Beep=2") << 20 << true << 255;
    QTest::newRow("boolean word is not an integer")
        << QByteArray("Beep=false") << 20 << true << 255;
    QTest::newRow("alpha keeps its low 8 bits")
        << QByteArray("AlphaBlend=456") << 20 << true << 200;
    QTest::newRow("alpha 0") << QByteArray("AlphaBlend=0") << 20 << true << 0;
}

void TestSettings::valueForms()
{
    QFETCH(QByteArray, params);
    QFETCH(int, fusenMax);
    QFETCH(bool, beep);
    QFETCH(int, alpha);
    TIniFile ini(QString{});
    ini.parse("[Params]\n" + params + "\n");
    TSettings s;
    s.read(ini);
    QCOMPARE(s.FusenMax, fusenMax);
    QCOMPARE(s.Beep, beep);
    QCOMPARE(s.AlphaBlend, alpha);
}

void TestSettings::unknownKeysSurvive()
{
    TIniFile ini(QString{});
    ini.parse("[Params]\nFusenMax=5\nFutureKey=x\n[Plugins]\nA=1\n");
    TSettings s;
    s.read(ini);
    s.FusenMax = 6;
    s.write(ini);
    QCOMPARE(ini.readString(QStringLiteral("Params"), QStringLiteral("FutureKey"), {}),
             QStringLiteral("x"));
    QCOMPARE(ini.readString(QStringLiteral("Plugins"), QStringLiteral("A"), {}),
             QStringLiteral("1"));
    QCOMPARE(ini.readInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 0), 6);
}

void TestSettings::brokenFileGivesDefaults()
{
    TIniFile ini(QString{});
    ini.parse(QByteArray("[Params\nFusenMax\n\x01\x02=\n[DefaultPos]\nTop=abc\nLeft=7\n"));
    TSettings s;
    s.read(ini);
    QCOMPARE(s.FusenMax, 20);
    QCOMPARE(s.DefaultPos.Top, 150);
    QCOMPARE(s.DefaultPos.Left, 7);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
