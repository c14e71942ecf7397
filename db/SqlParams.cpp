#include "SqlParams.h"

namespace {
bool isIdentStart(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}
bool isIdentChar(QChar c)
{
    return isIdentStart(c) || (c >= u'0' && c <= u'9') || c == u'$';
}

QChar closingDelimiter(QChar open)
{
    switch (open.unicode()) {
    case u'(':
        return u')';
    case u'[':
        return u']';
    case u'{':
        return u'}';
    case u'<':
        return u'>';
    default:
        return open;
    }
}

// The leading words of the statement, comments skipped, upper-cased.
QStringList leadingWords(const QString& s, int count)
{
    QStringList words;
    int i = 0;
    const int n = s.size();
    while (i < n && words.size() < count) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const int end = s.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (isIdentStart(c)) {
            const int start = i;
            while (i < n && isIdentChar(s[i]))
                ++i;
            words << s.mid(start, i - start).toUpper();
        } else {
            break;
        }
    }
    return words;
}

enum class Body
{
    None,    // parameters anywhere
    Whole,   // a PSQL module: no parameters at all
    AfterAs, // EXECUTE BLOCK: parameters only before the AS of its body
};

Body bodyKind(const QString& sql)
{
    const QStringList w = leadingWords(sql, 4);
    if (w.size() >= 2 && w[0] == u"EXECUTE" && w[1] == u"BLOCK")
        return Body::AfterAs;
    int k = 0;
    if (k < w.size() && (w[k] == u"CREATE" || w[k] == u"ALTER" || w[k] == u"RECREATE")) {
        ++k;
        if (k + 1 < w.size() && w[k] == u"OR" && w[k + 1] == u"ALTER")
            k += 2;
    } else {
        return Body::None;
    }
    if (k < w.size() &&
        (w[k] == u"PROCEDURE" || w[k] == u"TRIGGER" || w[k] == u"FUNCTION" || w[k] == u"PACKAGE"))
        return Body::Whole;
    return Body::None;
}
} // namespace

TMappedSql MapNamedParams(const QString& sql)
{
    TMappedSql out;
    const Body body = bodyKind(sql);
    if (body == Body::Whole) {
        out.sql = sql;
        return out;
    }
    bool inBody = false;
    int depth = 0; // parentheses, to find EXECUTE BLOCK's AS outside its parameter list
    const int n = sql.size();
    QString& r = out.sql;
    r.reserve(n);
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        // Q-string: q'<delimiter> ... <closing delimiter>'
        if ((c == u'q' || c == u'Q') && i + 2 < n && sql[i + 1] == u'\'' &&
            (i == 0 || !isIdentChar(sql[i - 1]))) {
            const QChar close = closingDelimiter(sql[i + 2]);
            int j = i + 3;
            while (j < n && !(sql[j] == close && j + 1 < n && sql[j + 1] == u'\''))
                ++j;
            const int end = j >= n ? n : j + 2;
            r += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            // literal or quoted identifier; a doubled quote stays inside
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const int end = j >= n ? n : j + 1;
            r += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            int j = sql.indexOf(u'\n', i);
            const int end = j < 0 ? n : j;
            r += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            const int j = sql.indexOf(QStringLiteral("*/"), i + 2);
            const int end = j < 0 ? n : j + 2;
            r += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (isIdentStart(c)) {
            int j = i;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            if (body == Body::AfterAs && depth == 0 &&
                word.compare(u"AS", Qt::CaseInsensitive) == 0)
                inBody = true;
            r += word;
            i = j;
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        if (!inBody && c == u':' && i + 1 < n && isIdentStart(sql[i + 1])) {
            int j = i + 1;
            while (j < n && isIdentChar(sql[j]))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1).toUpper();
            r += u'?';
            i = j;
            continue;
        }
        if (!inBody && c == u'?')
            out.names << QString();
        r += c;
        ++i;
    }
    return out;
}

QStringList SplitSqlScript(const QString& script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString current;
    const int n = script.size();
    int i = 0;
    auto flush = [&] {
        const QString s = current.trimmed();
        current.clear();
        if (s.isEmpty())
            return;
        const QStringList w = leadingWords(s, 2);
        if (w.size() == 2 && w[0] == u"SET" && w[1] == u"TERM") {
            // "SET TERM <new> <old>": the text after TERM up to the old terminator
            const QString rest =
                s.mid(s.indexOf(QStringLiteral("TERM"), 0, Qt::CaseInsensitive) + 4).trimmed();
            term = rest.section(u' ', 0, 0, QString::SectionSkipEmpty);
            return;
        }
        if (w.size() == 1 && w[0] == u"COMMIT")
            return;
        out << s;
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && !(script[j] == c && (j + 1 >= n || script[j + 1] != c)))
                j += (script[j] == c) ? 2 : 1;
            const int end = j >= n ? n : j + 1;
            current += QStringView(script).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            const int j = script.indexOf(u'\n', i);
            i = j < 0 ? n : j;
            continue;
        }
        if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            const int j = script.indexOf(QStringLiteral("*/"), i + 2);
            i = j < 0 ? n : j + 2;
            continue;
        }
        if (QStringView(script).mid(i).startsWith(term)) {
            flush();
            i += term.size();
            continue;
        }
        // SET TERM ends at the terminator in force, like any statement, but
        // the new terminator inside it must not end it early: handled above
        // because the new terminator only takes effect after the flush.
        current += c;
        ++i;
    }
    flush();
    return out;
}
