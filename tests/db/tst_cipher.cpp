#include "db/PasswordCipher.h"

#include <QTest>

// Vectors from tools/cipher_vectors.py, which enciphers with the openssl
// command's Blowfish and its own CFB-8, MD5 and Base64:
//   tools/cipher_vectors.py kw1lN0te quillfern masterkey a パスワード ab
class TestCipher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void independentVectors_data();
    void independentVectors();
    void storedLengthAndDeterminism();
    void decodeStored_data();
    void decodeStored();
    void garbageNeverCrashes();
};

void TestCipher::independentVectors_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("stored");
    QTest::newRow("default password") << "quillfern"
                                      << "/Lpi859cy6rb";
    QTest::newRow("masterkey") << "masterkey"
                               << "4CymcrldK6mE";
    QTest::newRow("one byte") << "a"
                              << "7A==";
    QTest::newRow("two bytes") << "ab"
                               << "7OY=";
    QTest::newRow("japanese, utf-8 bytes") << "パスワード"
                                           << "bq+J5WMFzvTySBAWmETR";
}

void TestCipher::independentVectors()
{
    QFETCH(QString, plain);
    QFETCH(QString, stored);
    QCOMPARE(EncryptPassword(plain), stored);
    QCOMPARE(DecryptPassword(stored), plain);
}

void TestCipher::storedLengthAndDeterminism()
{
    const QString nine = QStringLiteral("123456789");
    QCOMPARE(EncryptPassword(nine), EncryptPassword(nine));
    QCOMPARE(EncryptPassword(nine).size(), 12);
    // 60 bytes is the most a feed password column (80 ASCII characters) holds
    QCOMPARE(EncryptPassword(QString(60, u'x')).size(), 80);
    QCOMPARE(EncryptPassword(QString(61, u'x')).size(), 84);
    QCOMPARE(EncryptPassword(QString()), QString());
    QCOMPARE(DecryptPassword(QString()), QString());
    for (int n = 1; n <= 20; ++n) {
        const QString p = QString(n, u'p') + QString::number(n);
        QCOMPARE(DecryptPassword(EncryptPassword(p)), p);
    }
}

void TestCipher::decodeStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("plain in brackets") << "[quillfern]"
                                       << "quillfern";
    QTest::newRow("empty brackets") << "[]"
                                    << "";
    QTest::newRow("brackets keep inner brackets") << "[a]b]"
                                                  << "a]b";
    QTest::newRow("enciphered") << "/Lpi859cy6rb"
                                << "quillfern";
}

void TestCipher::decodeStored()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QCOMPARE(DecodeStoredPassword(text), plain);
}

void TestCipher::garbageNeverCrashes()
{
    // An opening bracket without a closing one is stored text, deciphered
    // to something that is not the bracketed text.
    const QString open = QStringLiteral("[quillfern");
    QVERIFY(DecodeStoredPassword(open) != QStringLiteral("quillfern"));
    QVERIFY(DecodeStoredPassword(open) == DecryptPassword(open));
    DecryptPassword(QStringLiteral("!!!not base64 at all ☃"));
    DecryptPassword(QStringLiteral("="));
}

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
