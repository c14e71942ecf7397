#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Reads an entry the way a session's autostart does, written from the
// Desktop Entry rules rather than from our writer: the string escapes first,
// then the quoting of Exec arguments, then the %% field code.
QString unescapeString(const QString& v)
{
    QString out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v.at(i) == u'\\' && i + 1 < v.size()) {
            const QChar n = v.at(++i);
            if (n == u's')
                out += u' ';
            else if (n == u'n')
                out += u'\n';
            else if (n == u't')
                out += u'\t';
            else if (n == u'r')
                out += u'\r';
            else if (n == u'\\')
                out += u'\\';
            else
                out += QStringLiteral("\\") + n; // left for the Exec quoting rule
        } else {
            out += v.at(i);
        }
    }
    return out;
}

QStringList splitExec(const QString& exec)
{
    QStringList args;
    QString cur;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size() &&
                QStringView(u"\"`$\\").contains(exec.at(i + 1)))
                cur += exec.at(++i);
            else if (c == u'"')
                quoted = false;
            else
                cur += c;
        } else if (c == u'"') {
            quoted = any = true;
        } else if (c == u' ') {
            if (any || !cur.isEmpty())
                args << cur;
            cur.clear();
            any = false;
        } else {
            cur += c;
        }
    }
    if (any || !cur.isEmpty())
        args << cur;
    for (QString& a : args)
        a.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return args;
}

// Key -> raw value of the [Desktop Entry] group; fails on anything else.
QMap<QString, QString> readEntry(const QString& text)
{
    QMap<QString, QString> keys;
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    if (lines.value(0) != QStringLiteral("[Desktop Entry]"))
        return {};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype eq = lines.at(i).indexOf(u'=');
        if (eq <= 0)
            return {};
        keys.insert(lines.at(i).left(eq), lines.at(i).mid(eq + 1));
    }
    return keys;
}

QString readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startupFolder_data();
    void startupFolder();
    void shortcutPath_data();
    void shortcutPath();
    void execLine_data();
    void execLine();
    void entryRunsTheProgramInItsFolder_data();
    void entryRunsTheProgramInItsFolder();
    void createExistsDelete();
    void createReplacesAnOlderEntry();
    void createFailsSilently_data();
    void createFailsSilently();
};

void TestAutostart::startupFolder_data()
{
    QTest::addColumn<QByteArray>("xdgConfigHome");
    QTest::addColumn<bool>("isSet");
    QTest::addColumn<QString>("expected");
    const QString home = QDir::homePath();
    QTest::newRow("set") << QByteArray("/srv/cfg") << true << QStringLiteral("/srv/cfg/autostart");
    QTest::newRow("set with a trailing slash")
        << QByteArray("/srv/cfg/") << true << QStringLiteral("/srv/cfg/autostart");
    QTest::newRow("unset") << QByteArray() << false << home + QStringLiteral("/.config/autostart");
    QTest::newRow("empty") << QByteArray("") << true << home + QStringLiteral("/.config/autostart");
    QTest::newRow("relative is ignored")
        << QByteArray("cfg") << true << home + QStringLiteral("/.config/autostart");
}

void TestAutostart::startupFolder()
{
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(bool, isSet);
    QFETCH(QString, expected);
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    const bool hadBefore = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    if (isSet)
        qputenv("XDG_CONFIG_HOME", xdgConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
    const QString folder = GetStartupFolder();
    if (hadBefore)
        qputenv("XDG_CONFIG_HOME", before);
    else
        qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(folder, expected);
}

void TestAutostart::shortcutPath_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension") << "/x/kwil"
                                  << "/auto/kwil.desktop";
    QTest::newRow("one extension dropped") << "/x/kwil.bin"
                                           << "/auto/kwil.desktop";
    QTest::newRow("only the last extension dropped") << "/x/kwil.2009.bin"
                                                     << "/auto/kwil.2009.desktop";
    QTest::newRow("folder with dots") << "/opt/k.w.i.l/Kwil"
                                      << "/auto/Kwil.desktop";
}

void TestAutostart::shortcutPath()
{
    QFETCH(QString, program);
    QFETCH(QString, expected);
    QCOMPARE(StartupShortcutPath(program, QStringLiteral("/auto")), expected);
}

void TestAutostart::execLine_data()
{
    // Expected lines worked out by hand from the Desktop Entry rules: quoted
    // argument, a backslash before each of " ` $ and backslash inside the
    // quotes, then every backslash doubled by the string escaping, % doubled.
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/x/kwil"
                           << R"(Exec="/x/kwil")"
                           << "Path=/x";
    QTest::newRow("spaces") << "/home/a b/Kwil Notes/kwil"
                            << R"(Exec="/home/a b/Kwil Notes/kwil")"
                            << "Path=/home/a b/Kwil Notes";
    QTest::newRow("double quote") << R"(/tmp/say "hi"/kwil)"
                                  << R"(Exec="/tmp/say \\"hi\\"/kwil")"
                                  << R"(Path=/tmp/say "hi")";
    QTest::newRow("single quote") << "/tmp/it's/kwil"
                                  << R"(Exec="/tmp/it's/kwil")"
                                  << "Path=/tmp/it's";
    QTest::newRow("backslash") << R"(/tmp/a\b/kwil)"
                               << R"(Exec="/tmp/a\\\\b/kwil")"
                               << R"(Path=/tmp/a\\b)";
    QTest::newRow("dollar and backtick") << "/tmp/$X`y`/kwil"
                                         << R"(Exec="/tmp/\\$X\\`y\\`/kwil")"
                                         << "Path=/tmp/$X`y`";
    QTest::newRow("percent") << "/tmp/100%/kwil"
                             << R"(Exec="/tmp/100%%/kwil")"
                             << "Path=/tmp/100%";
    QTest::newRow("Japanese") << "/home/利用者/付箋/kwil"
                              << R"(Exec="/home/利用者/付箋/kwil")"
                              << "Path=/home/利用者/付箋";
    QTest::newRow("dots cleaned") << "/x/./y/../kwil"
                                  << R"(Exec="/x/kwil")"
                                  << "Path=/x";
}

void TestAutostart::execLine()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QFETCH(QString, path);
    const QStringList lines = StartupShortcutText(program).split(u'\n');
    QVERIFY2(lines.contains(exec), qPrintable(lines.join(u'|')));
    QVERIFY2(lines.contains(path), qPrintable(lines.join(u'|')));
}

void TestAutostart::entryRunsTheProgramInItsFolder_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("plain") << "/usr/local/bin/kwil";
    QTest::newRow("everything at once") << R"(/tmp/ a"b' c\d $e `f` %g %% h/kwil)";
    QTest::newRow("tab and newline") << "/tmp/a\tb\nc/kwil";
    QTest::newRow("leading space in a folder") << "/ lead/kwil";
    QTest::newRow("field code look-alike") << "/tmp/%f %u/kwil";
    QTest::newRow("trailing backslash") << "/tmp/x\\/kwil";
}

void TestAutostart::entryRunsTheProgramInItsFolder()
{
    QFETCH(QString, program);
    const QMap<QString, QString> keys = readEntry(StartupShortcutText(program));
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Name"), QStringLiteral("Kwil"));
    QCOMPARE(keys.value("X-GNOME-Autostart-enabled"), QStringLiteral("true"));
    const QStringList argv = splitExec(unescapeString(keys.value("Exec")));
    QCOMPARE(argv, QStringList{program});
    QCOMPARE(unescapeString(keys.value("Path")), program.left(program.lastIndexOf(u'/')));
}

void TestAutostart::createExistsDelete()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString folder = tmp.filePath(QStringLiteral("config/autostart")); // not there yet
    const QString program = tmp.filePath(QStringLiteral("Kwil Notes/kwil"));
    const QString entry = folder + QStringLiteral("/kwil.desktop");

    QVERIFY(!StartupShortcutExists(program, folder));
    QVERIFY(CreateStartupShortcut(program, folder));
    QVERIFY(StartupShortcutExists(program, folder));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("kwil.desktop")});
    QCOMPARE(readFile(entry), StartupShortcutText(program));

    QVERIFY(DeleteStartupShortcut(program, folder));
    QVERIFY(!StartupShortcutExists(program, folder));
    QVERIFY(!QFile::exists(entry));
    QVERIFY(QDir(folder).exists());                  // the user's folder stays
    QVERIFY(DeleteStartupShortcut(program, folder)); // nothing to delete is fine
}

void TestAutostart::createReplacesAnOlderEntry()
{
    // The program moved since the entry was made: the new entry must start
    // the program where it is now.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(CreateStartupShortcut(QStringLiteral("/old/place/kwil"), tmp.path()));
    QVERIFY(CreateStartupShortcut(QStringLiteral("/new/place/kwil"), tmp.path()));
    const QString text = readFile(tmp.filePath(QStringLiteral("kwil.desktop")));
    QVERIFY(text.contains(QStringLiteral("Exec=\"/new/place/kwil\"")));
    QVERIFY(!text.contains(QStringLiteral("/old/")));
}

void TestAutostart::createFailsSilently_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder is a file") << "folder is a file";
    QTest::newRow("folder below a file") << "folder below a file";
    QTest::newRow("entry name taken by a folder") << "entry name taken by a folder";
    // Permissions do not stop root, so this case only means something for
    // other users.
    if (geteuid() != 0)
        QTest::newRow("read-only folder") << "read-only folder";
}

void TestAutostart::createFailsSilently()
{
    QFETCH(QString, kind);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString program = QStringLiteral("/opt/kwil/kwil");
    QString folder = tmp.filePath(QStringLiteral("autostart"));
    if (kind == QLatin1String("folder is a file") || kind == QLatin1String("folder below a file")) {
        QFile f(folder);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        if (kind == QLatin1String("folder below a file"))
            folder += QStringLiteral("/autostart");
    } else if (kind == QLatin1String("entry name taken by a folder")) {
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/kwil.desktop")));
    } else {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QStringList before =
        QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    const QStringList beforeInside =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    QVERIFY(!CreateStartupShortcut(program, folder));

    QVERIFY(!StartupShortcutExists(program, folder));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             before);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             beforeInside);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
