#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A value of type string in a desktop entry: backslash and control
// characters escaped, and a leading space kept from being trimmed.
QString escapeString(const QString& value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

// One argument of an Exec line before the string escaping: always in double
// quotes, so any path is safe; inside them ", `, $ and \ take a backslash, and
// a literal % is doubled so it is not read as a field code.
QString quoteArgument(const QString& arg)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        if (c == u'%')
            out += u'%';
        out += c;
    }
    out += u'"';
    return out;
}

} // namespace

QString GetStartupFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG base directory rules call relative values invalid.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/autostart"));
}

QString StartupShortcutPath(const QString& programFile, const QString& startupFolder)
{
    const QFileInfo program(programFile);
    QString name = program.completeBaseName();
    if (name.isEmpty())
        name = program.fileName();
    return QDir(startupFolder).filePath(name + QStringLiteral(".desktop"));
}

QString StartupShortcutText(const QString& programFile)
{
    const QFileInfo program(programFile);
    const QString target = QDir::cleanPath(program.absoluteFilePath());
    const QString folder = QDir::cleanPath(program.absolutePath());
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Kwil\n");
    text += QStringLiteral("Exec=") + escapeString(quoteArgument(target)) + u'\n';
    text += QStringLiteral("Path=") + escapeString(folder) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text;
}

bool StartupShortcutExists(const QString& programFile, const QString& startupFolder)
{
    return QFileInfo(StartupShortcutPath(programFile, startupFolder)).isFile();
}

bool CreateStartupShortcut(const QString& programFile, const QString& startupFolder)
{
    if (programFile.isEmpty() || startupFolder.isEmpty())
        return false;
    // A fresh account may have no autostart folder yet.
    if (!QDir().mkpath(startupFolder))
        return false;
    // Written beside and renamed into place, so a failure leaves no half entry
    // that the session would try to run.
    QSaveFile file(StartupShortcutPath(programFile, startupFolder));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = StartupShortcutText(programFile).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DeleteStartupShortcut(const QString& programFile, const QString& startupFolder)
{
    const QString path = StartupShortcutPath(programFile, startupFolder);
    const QFileInfo entry(path);
    if (!entry.isFile() && !entry.isSymLink())
        return !entry.exists();
    return QFile::remove(path);
}
