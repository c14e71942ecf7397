#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingFileGivesDefaults();
    void readsValueForms_data();
    void readsValueForms();
    void roundTripKeepsUnknownAndOrder();
    void brokenFilesNeverCrash_data();
    void brokenFilesNeverCrash();
    void legacyEncodingIsDecoded();
    void failedSaveIsReported();
};

void TestIniFile::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath(QStringLiteral("none.ini")));
    QVERIFY(!ini.exists());
    QCOMPARE(ini.readString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
             QStringLiteral("d"));
    QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("k"), 20), 20);
    QCOMPARE(ini.readBool(QStringLiteral("A"), QStringLiteral("k"), true), true);
    QVERIFY(!QFile::exists(ini.fileName())); // reading creates nothing
}

void TestIniFile::readsValueForms_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("asInteger"); // with default 20
    QTest::addColumn<bool>("asBool");   // with default false
    QTest::newRow("decimal") << "15" << 15 << true;
    QTest::newRow("zero") << "0" << 0 << false;
    QTest::newRow("negative") << "-1" << -1 << true;
    QTest::newRow("spaces around") << "  7 " << 7 << true;
    QTest::newRow("not a number") << "twenty" << 20 << false;
    QTest::newRow("trailing garbage") << "12abc" << 20 << false;
    QTest::newRow("empty") << "" << 20 << false;
    QTest::newRow("boolean word is not an integer") << "true" << 20 << false;
    QTest::newRow("two as boolean") << "2" << 2 << true;
    QTest::newRow("hex") << "$FF" << 255 << true;
}

void TestIniFile::readsValueForms()
{
    QFETCH(QString, value);
    QFETCH(int, asInteger);
    QFETCH(bool, asBool);
    TIniFile ini(QString{});
    ini.parse(("[Params]\nKey=" + value + "\n").toUtf8());
    QCOMPARE(ini.readInteger(QStringLiteral("params"), QStringLiteral("KEY"), 20), asInteger);
    QCOMPARE(ini.readBool(QStringLiteral("Params"), QStringLiteral("Key"), false), asBool);
}

void TestIniFile::roundTripKeepsUnknownAndOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; a comment the user wrote\n"
                "[Account]\nUserID=山田\nExtra=keep me\n\n"
                "[Mine]\nfoo=bar\n");
    }
    TIniFile ini(path);
    ini.writeString(QStringLiteral("Account"), QStringLiteral("userid"),
                    QStringLiteral("佐藤 花子"));
    ini.writeInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 40);
    ini.writeBool(QStringLiteral("Params"), QStringLiteral("Beep"), false);
    ini.writeString(QStringLiteral("Account"), QStringLiteral("Password"), QStringLiteral("a=b"));
    QVERIFY(ini.save());

    TIniFile back(path);
    QCOMPARE(back.readString(QStringLiteral("Account"), QStringLiteral("UserID"), {}),
             QStringLiteral("佐藤 花子"));
    QCOMPARE(back.readString(QStringLiteral("Account"), QStringLiteral("Extra"), {}),
             QStringLiteral("keep me"));
    QCOMPARE(back.readString(QStringLiteral("Account"), QStringLiteral("Password"), {}),
             QStringLiteral("a=b"));
    QCOMPARE(back.readString(QStringLiteral("Mine"), QStringLiteral("foo"), {}),
             QStringLiteral("bar"));
    QCOMPARE(back.readInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 0), 40);
    QCOMPARE(back.readBool(QStringLiteral("Params"), QStringLiteral("Beep"), true), false);
    QCOMPARE(back.sections(), (QStringList{QStringLiteral("Account"), QStringLiteral("Mine"),
                                           QStringLiteral("Params")}));
    // the key keeps the spelling it had in the file, new keys go after the old ones
    QCOMPARE(back.keys(QStringLiteral("Account")),
             (QStringList{QStringLiteral("UserID"), QStringLiteral("Extra"),
                          QStringLiteral("Password")}));
    const QByteArray text = back.serialize();
    QVERIFY(text.startsWith("; a comment the user wrote\n[Account]\n"));
    // saving what was read changes nothing
    QCOMPARE(back.serialize(), ini.serialize());
}

void TestIniFile::brokenFilesNeverCrash_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no equals sign") << QByteArray("[Params]\nFusenMax\nBeep=0\n");
    QTest::newRow("unclosed section") << QByteArray("[Params\nFusenMax=5\n");
    QTest::newRow("binary noise") << QByteArray("\x00\xff\xfe[\x01=\x02\n\n]]]==", 15);
    QTest::newRow("key without name") << QByteArray("[Params]\n=5\n");
    QTest::newRow("crlf and bom") << QByteArray("\xef\xbb\xbf[Params]\r\nBeep=0\r\n");
    QTest::newRow("empty") << QByteArray();
}

void TestIniFile::brokenFilesNeverCrash()
{
    QFETCH(QByteArray, bytes);
    TIniFile ini(QString{});
    ini.parse(bytes);
    // whatever is unreadable reads as the default; readable keys still read
    QCOMPARE(ini.readInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 20), 20);
    const bool beep = ini.readBool(QStringLiteral("Params"), QStringLiteral("Beep"), true);
    QCOMPARE(beep, !bytes.contains("Beep=0"));
    // and it can be written back and read again
    TIniFile again(QString{});
    again.parse(ini.serialize());
    QCOMPARE(again.serialize(), ini.serialize());
}

void TestIniFile::legacyEncodingIsDecoded()
{
    // Latin-1 bytes are not UTF-8 (the tests run in a UTF-8 locale): no byte
    // may turn into a replacement character.
    TIniFile ini(QString{});
    ini.parse(QByteArray("[Account]\nUserID=Jos\xe9\n"));
    const QString v = ini.readString(QStringLiteral("Account"), QStringLiteral("UserID"), {});
    QCOMPARE(v, QStringLiteral("Jos\u00e9"));
}

void TestIniFile::failedSaveIsReported()
{
    TIniFile ini(QStringLiteral("/nonexistent-folder/sub/k.ini"));
    ini.writeInteger(QStringLiteral("Params"), QStringLiteral("FusenMax"), 3);
    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
