#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString& overrideDir()
{
    static QString dir;
    return dir;
}

QString runningExecutable()
{
    // /proc/self/exe names the executable even when started through a link or
    // from another directory; QCoreApplication needs an instance to answer.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return target;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString stripSeparator(QString p)
{
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}
} // namespace

QString TProgramFolder::programFile()
{
    if (!overrideDir().isEmpty())
        return overrideDir() + QStringLiteral("/kwil");
    return runningExecutable();
}

QString TProgramFolder::path()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return stripSeparator(QFileInfo(runningExecutable()).absolutePath());
}

QString TProgramFolder::file(const QString& name)
{
    return path() + u'/' + name;
}

QString TProgramFolder::settingsFile()
{
    return file(QStringLiteral("Kwil.ini"));
}

void TProgramFolder::setOverride(const QString& dir)
{
    overrideDir() = dir.isEmpty() ? QString() : stripSeparator(QDir::cleanPath(dir));
}
