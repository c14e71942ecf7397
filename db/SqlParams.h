#pragma once

#include <QString>
#include <QStringList>

// A statement with its named parameters (":IDKEY") replaced by the positional
// markers Firebird understands.
struct TMappedSql
{
    QString sql;       // the text with every parameter replaced by '?'
    QStringList names; // one per '?', in order, upper-cased; empty for a '?' written as such
};

// Replaces named parameters by '?'. String literals, Q-strings (q'{...}'),
// quoted identifiers and both comment styles are copied untouched, and so are
// the bodies of PSQL (procedures, functions, triggers, packages, and the part
// of EXECUTE BLOCK after its parameter list), where ":name" is a variable.
TMappedSql MapNamedParams(const QString& sql);

// Splits an isql-style script into statements: ";" ends a statement unless
// SET TERM has set another terminator; terminators inside literals, quoted
// identifiers and comments do not count. SET TERM and COMMIT lines are not
// returned (the caller commits every statement).
QStringList SplitSqlScript(const QString& script);
