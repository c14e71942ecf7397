// Build tool: creates a database, runs the schema script on it and backs it up
// as the initial backup the program restores on its first start.
//
//   kwil_mkinitdb SCRIPT.sql OUTPUT.FBK

#include "DbConnection.h"
#include "FbClient.h"
#include "FbServices.h"
#include "SqlParams.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {
int fail(const QString& what)
{
    std::fprintf(stderr, "kwil_mkinitdb: %s\n", qPrintable(what));
    TFbClient::shutdownAll();
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: kwil_mkinitdb SCRIPT.sql OUTPUT.FBK"));
    QFile scriptFile(args[1]);
    if (!scriptFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + args[1]);
    const QStringList statements = SplitSqlScript(QString::fromUtf8(scriptFile.readAll()));

    QTemporaryDir work;
    if (!work.isValid())
        return fail(QStringLiteral("no temporary folder"));
    TDbParams p;
    p.database = work.filePath(QStringLiteral("INITIALDB.FDB"));
    p.userName = QStringLiteral("SYSDBA");
    const QString output = args[2];
    const QString partial = output + QStringLiteral(".part");
    try {
        {
            TDbConnection db;
            db.create(p);
            for (const QString& s : statements) {
                TDbTransaction tr(db, TDbTransaction::Mode::Wait);
                try {
                    tr.execute(s);
                } catch (const EDatabaseError& e) {
                    return fail(e.message() + QStringLiteral("\nin:\n") + s);
                }
                tr.commit();
            }
            db.disconnect();
        }
        QFile::remove(partial);
        TServiceParams sp;
        sp.userName = p.userName;
        FbServices::Backup(sp, p.database, partial);
    } catch (const EDatabaseError& e) {
        return fail(e.message());
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output))
        return fail(QStringLiteral("cannot write ") + output);
    TFbClient::shutdownAll();
    return 0;
}
