#include "db/DBModFusen.h"
#include "db/PasswordCipher.h"
#include "platform/IniFile.h"

#include <QTemporaryDir>
#include <QTest>

// Name composition and the LocalDB section; no database needed.
class TestDbSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void composeName_data();
    void composeName();
    void setDBFile_data();
    void setDBFile();
    void emptyFileKeepsName();
    void baseDefaults();
    void applicationDefaults();
    void loadValues_data();
    void loadValues();
    void saveOrderAndCipher();
    void saveLoadRoundTrip();
};

void TestDbSettings::composeName_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::newRow("local") << ""
                           << "/data"
                           << "KWIL.FDB"
                           << "/data/KWIL.FDB";
    QTest::newRow("server") << "srv"
                            << "/data"
                            << "KWIL.FDB"
                            << "srv:/data/KWIL.FDB";
    QTest::newRow("server with port") << "srv/3051"
                                      << "/data"
                                      << "K.FDB"
                                      << "srv/3051:/data/K.FDB";
    QTest::newRow("no folder") << ""
                               << ""
                               << "KWIL.FDB"
                               << "KWIL.FDB";
    QTest::newRow("no folder, server") << "srv"
                                       << ""
                                       << "KWIL.FDB"
                                       << "srv:KWIL.FDB";
    QTest::newRow("trailing separator") << ""
                                        << "/data/"
                                        << "KWIL.FDB"
                                        << "/data/KWIL.FDB";
    QTest::newRow("root folder") << ""
                                 << "/"
                                 << "KWIL.FDB"
                                 << "/KWIL.FDB";
}

void TestDbSettings::composeName()
{
    QFETCH(QString, server);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, name);
    TdbmNotes m;
    m.SetServer(server);
    m.SetDBFolder(folder);
    m.SetDBFile(file);
    QCOMPARE(m.DBName(), name);
    // any order of the setters gives the same name
    TdbmNotes m2;
    m2.SetDBFile(file);
    m2.SetDBFolder(folder);
    m2.SetServer(server);
    QCOMPARE(m2.DBName(), name);
}

void TestDbSettings::setDBFile_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::newRow("with folder") << "/old"
                                 << "/x/y.fdb"
                                 << "/x"
                                 << "y.fdb";
    QTest::newRow("without folder keeps folder") << "/old"
                                                 << "y.fdb"
                                                 << "/old"
                                                 << "y.fdb";
    QTest::newRow("relative folder") << ""
                                     << "sub/y.fdb"
                                     << "sub"
                                     << "y.fdb";
    QTest::newRow("in the root") << "/old"
                                 << "/y.fdb"
                                 << "/"
                                 << "y.fdb";
    QTest::newRow("folder with trailing separators") << ""
                                                     << "/x//y.fdb"
                                                     << "/x"
                                                     << "y.fdb";
}

void TestDbSettings::setDBFile()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    TdbmNotes m;
    m.SetServer(QString());
    m.SetDBFolder(before);
    m.SetDBFile(text);
    QCOMPARE(m.DBFolder(), folder);
    QCOMPARE(m.DBFile(), file);
    QVERIFY(m.DBName().endsWith(file));
}

void TestDbSettings::emptyFileKeepsName()
{
    TdbmNotes m;
    m.SetDBFile(QStringLiteral("A.FDB"));
    m.SetServer(QString());
    QCOMPARE(m.DBName(), QStringLiteral("A.FDB"));
    m.SetDBFile(QString());
    m.SetDBFolder(QStringLiteral("/x"));
    QCOMPARE(m.DBName(), QStringLiteral("A.FDB")); // nothing happens without a file
}

namespace {
TIniFile iniWith(const QByteArray& text)
{
    TIniFile ini(QString{});
    ini.parse(text);
    return ini;
}
} // namespace

void TestDbSettings::baseDefaults()
{
    TIniFile ini = iniWith("[LocalDB]\n");
    TdbmBase m;
    m.SetRetaining(false);
    m.LoadSettings(ini, QStringLiteral("LocalDB"));
    QCOMPARE(m.GetClientLibrary(), QStringLiteral("libfbclient.so.2"));
    QCOMPARE(m.Server(), QStringLiteral("localhost"));
    QCOMPARE(m.DBFolder(), QString());
    QCOMPARE(m.DBFile(), QString());
    QCOMPARE(m.GetUserName(), QString());
    QCOMPARE(m.GetPassword(), QString());
    QCOMPARE(m.GetRoleName(), QString());
    QCOMPARE(m.GetCharSet(), QString());
    QVERIFY(m.GetRetaining());
}

void TestDbSettings::applicationDefaults()
{
    TIniFile ini = iniWith("[Other]\nServer=elsewhere\n");
    TdbmNotes m;
    m.SetRetaining(false);
    m.LoadSettings(ini, QStringLiteral("LocalDB"));
    QCOMPARE(m.GetClientLibrary(), QStringLiteral("libfbclient.so.2"));
    QCOMPARE(m.Server(), QString()); // a missing key means local, not "localhost"
    QCOMPARE(m.DBFolder(), QString());
    QCOMPARE(m.DBFile(), QStringLiteral("KWIL.FDB"));
    QCOMPARE(m.DBName(), QStringLiteral("KWIL.FDB"));
    QCOMPARE(m.GetUserName(), QStringLiteral("SYSDBA"));
    QCOMPARE(m.GetPassword(), QStringLiteral("quillfern"));
    QCOMPARE(m.GetRoleName(), QString());
    QCOMPARE(m.GetCharSet(), QStringLiteral("UNICODE_FSS"));
    QVERIFY(m.GetRetaining());
}

void TestDbSettings::loadValues_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("old windows library means the default")
        << QByteArray("ClientLibrary=fbclient.dll\nDBFolder=/d\n") << "libfbclient.so.2"
        << "/d/KWIL.FDB"
        << "SYSDBA"
        << "quillfern";
    QTest::newRow("DLL in capitals")
        << QByteArray("ClientLibrary=C:\\FB\\FBCLIENT.DLL\n") << "libfbclient.so.2"
        << "KWIL.FDB"
        << "SYSDBA"
        << "quillfern";
    QTest::newRow("own library kept")
        << QByteArray("ClientLibrary=/opt/fb/libfbclient.so\n") << "/opt/fb/libfbclient.so"
        << "KWIL.FDB"
        << "SYSDBA"
        << "quillfern";
    QTest::newRow("bracketed password")
        << QByteArray("UserID=bob\nPassword=[s3cret]\nServer=db\nDBFile=/srv/n.fdb\n")
        << "libfbclient.so.2"
        << "db:/srv/n.fdb"
        << "bob"
        << "s3cret";
    QTest::newRow("empty brackets") << QByteArray("Password=[]\n") << "libfbclient.so.2"
                                    << "KWIL.FDB"
                                    << "SYSDBA"
                                    << "";
    QTest::newRow("enciphered password")
        << ("Password=" + EncryptPassword(QStringLiteral("masterkey")).toUtf8() + "\n")
        << "libfbclient.so.2"
        << "KWIL.FDB"
        << "SYSDBA"
        << "masterkey";
    QTest::newRow("empty password") << QByteArray("Password=\n") << "libfbclient.so.2"
                                    << "KWIL.FDB"
                                    << "SYSDBA"
                                    << "";
    QTest::newRow("file with folder overrides DBFolder")
        << QByteArray("DBFolder=/a\nDBFile=/b/c.fdb\n") << "libfbclient.so.2"
        << "/b/c.fdb"
        << "SYSDBA"
        << "quillfern";
}

void TestDbSettings::loadValues()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, library);
    QFETCH(QString, name);
    QFETCH(QString, user);
    QFETCH(QString, password);
    TIniFile ini = iniWith("[LocalDB]\n" + section);
    TdbmNotes m;
    m.LoadSettings(ini, QStringLiteral("LocalDB"));
    QCOMPARE(m.GetClientLibrary(), library);
    QCOMPARE(m.DBName(), name);
    QCOMPARE(m.GetUserName(), user);
    QCOMPARE(m.GetPassword(), password);
}

void TestDbSettings::saveOrderAndCipher()
{
    TIniFile ini = iniWith("[LocalDB]\nPassword=[plain]\nExtra=kept\n");
    TdbmNotes m;
    m.LoadSettings(ini, QStringLiteral("LocalDB"));
    m.SetRoleName(QStringLiteral("R1"));
    m.SaveSettings(ini, QStringLiteral("LocalDB"));
    QCOMPARE(ini.readString("LocalDB", "Password", QString()), EncryptPassword("plain"));
    QVERIFY(!ini.readString("LocalDB", "Password", QString()).contains(u'['));
    // New keys are appended in the order written; the existing ones stay put.
    TIniFile fresh = iniWith("");
    m.SaveSettings(fresh, QStringLiteral("LocalDB"));
    QCOMPARE(fresh.keys(QStringLiteral("LocalDB")),
             (QStringList{"Server", "DBFolder", "DBFile", "UserID", "Password", "RoleName",
                          "CharSet", "ClientLibrary"}));
    QCOMPARE(fresh.readString("LocalDB", "RoleName", QString()), QStringLiteral("R1"));
    QCOMPARE(fresh.readString("LocalDB", "ClientLibrary", QString()),
             QStringLiteral("libfbclient.so.2"));
    QCOMPARE(ini.readString("LocalDB", "Extra", QString()), QStringLiteral("kept"));
}

void TestDbSettings::saveLoadRoundTrip()
{
    TIniFile ini = iniWith("");
    TdbmNotes a;
    a.SetServer(QStringLiteral("host"));
    a.SetDBFolder(QStringLiteral("/var/db/"));
    a.SetDBFile(QStringLiteral("N.FDB"));
    a.SetUserName(QStringLiteral("ユーザー"));
    a.SetPassword(QStringLiteral("パスワード"));
    a.SetCharSet(QStringLiteral("UTF8"));
    a.SetClientLibrary(QStringLiteral("/usr/lib/libfbclient.so.2"));
    a.SaveSettings(ini, QStringLiteral("LocalDB"));
    TdbmNotes b;
    b.LoadSettings(ini, QStringLiteral("LocalDB"));
    QCOMPARE(b.DBName(), QStringLiteral("host:/var/db/N.FDB"));
    QCOMPARE(b.GetUserName(), a.GetUserName());
    QCOMPARE(b.GetPassword(), QStringLiteral("パスワード"));
    QCOMPARE(b.GetCharSet(), QStringLiteral("UTF8"));
    QCOMPARE(b.GetClientLibrary(), QStringLiteral("/usr/lib/libfbclient.so.2"));
}

QTEST_APPLESS_MAIN(TestDbSettings)
#include "tst_dbsettings.moc"
