#include "NoteText.h"

#include <cstdlib>

namespace {
const QString NoteScheme = QStringLiteral("fusen:");
const QString CrLf = QStringLiteral("\r\n");

// UTF-8 length of the character starting at i, and how many code units it takes.
int utf8Length(const QString& s, int i, int* units)
{
    const char16_t c = s.at(i).unicode();
    *units = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return 4;
    }
    if (c < 0x80)
        return 1;
    if (c < 0x800)
        return 2;
    return 3; // the rest of the BMP, and a lone surrogate as its replacement
}
} // namespace

QStringList BodyLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int TitleCutChars(const QString& line, int maxChars)
{
    if (line.size() <= maxChars)
        return line.size();
    int cut = maxChars;
    if (cut > 0 && line.at(cut - 1).isHighSurrogate() && line.at(cut).isLowSurrogate())
        --cut;
    return cut;
}

int TitleCutUtf8(const QString& line, int maxBytes)
{
    int bytes = 0;
    int i = 0;
    while (i < line.size()) {
        int units = 1;
        const int n = utf8Length(line, i, &units);
        if (bytes + n > maxBytes)
            break;
        bytes += n;
        i += units;
    }
    return i;
}

TTitleMemo SplitEditBody(const QString& body)
{
    // Every character of the body ends up in TITLE or MEMO whatever its
    // length: a body the size check would refuse is still saved whole.
    TTitleMemo out;
    QStringList lines = BodyLines(body);
    if (lines.isEmpty())
        return out;
    const QString first = lines.first();
    const int cut = TitleCutUtf8(first);
    out.title = first.left(cut);
    if (cut >= first.size())
        lines.removeFirst();
    else
        lines.first() = first.mid(cut);
    for (const QString& line : std::as_const(lines))
        out.memo += line + CrLf;
    return out;
}

TLeaveSplit SplitLeaveEdit(const QString& body)
{
    TLeaveSplit out;
    if (body.isEmpty())
        return out;
    out.hasLine = true;
    const int nl = body.indexOf(u'\n');
    const QString first = nl < 0 ? body : body.left(nl);
    const QString rest = nl < 0 ? QString() : body.mid(nl + 1);
    const int cut = TitleCutChars(first);
    out.title = first.left(cut);
    if (cut >= first.size())
        out.body = rest;
    else
        out.body = first.mid(cut) + (nl < 0 ? QString() : QStringLiteral("\n") + rest);
    return out;
}

QString BodyTooLargeMessage(int length)
{
    return QStringLiteral("テキストサイズが大きすぎます(") + QString::number(length) +
           QStringLiteral(")\n\r保存可能なサイズは ") + QString::number(MaxBodyLength) +
           QStringLiteral(" 文字です");
}

QString ToStoredText(const QString& body)
{
    QString s = body;
    s.replace(u'\n', CrLf);
    return s;
}

QString FromStoredText(const QString& stored)
{
    QString s = stored;
    s.replace(CrLf, QStringLiteral("\n"));
    s.replace(u'\r', u'\n');
    // Paragraph and line separators would split the body differently from
    // the line rules above.
    s.replace(QChar::ParagraphSeparator, u'\n');
    s.replace(QChar::LineSeparator, u'\n');
    return s;
}

// --- links ---------------------------------------------------------------

const QStringList& LinkSchemes()
{
    static const QStringList schemes{QStringLiteral("http://"), QStringLiteral("https://"),
                                     QStringLiteral("ftp://"),  QStringLiteral("ftps://"),
                                     QStringLiteral("file://"), QStringLiteral("mailto:"),
                                     QStringLiteral("callto:"), NoteScheme};
    return schemes;
}

bool IsLinkEndChar(QChar c)
{
    const unsigned low = c.unicode() & 0xFF;
    return (low >= 0x08 && low <= 0x0D) || low == 0x20 || low == 0x22 || low == 0x27 ||
           low == 0x29 || low == 0x5D || low == 0x7D;
}

QList<TLinkSpan> FindLinks(const QString& text, const QStringList& schemes)
{
    QList<TLinkSpan> out;
    int from = 0;
    while (from < text.size()) {
        int found = -1;
        for (const QString& scheme : schemes) {
            const int at = text.indexOf(scheme, from, Qt::CaseSensitive);
            if (at >= 0 && (found < 0 || at < found))
                found = at;
        }
        if (found < 0)
            break;
        int end = found;
        while (end < text.size() && !IsLinkEndChar(text.at(end)))
            ++end;
        out << TLinkSpan{found, end - found};
        from = end + 1;
    }
    return out;
}

QString LinkTagText(int32_t id, const QString& title)
{
    QString quoted = title;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return NoteScheme + QString::number(id) + QStringLiteral(" \"") + quoted + u'"';
}

QString SearchResultLine(int32_t id, const QString& title)
{
    return NoteScheme + QString::number(id) + QStringLiteral(" \"") + title + u'"';
}

QString TrimLinkText(const QString& text)
{
    int b = 0;
    int e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}

int32_t NoteLinkKey(const QString& linkText)
{
    if (!linkText.startsWith(NoteScheme, Qt::CaseSensitive))
        return -1;
    bool ok = false;
    const int32_t key = linkText.mid(NoteScheme.size(), 10).toInt(&ok, 10);
    return ok ? key : 0;
}

bool IsOpenableAddress(const QString& linkText)
{
    for (const QString& scheme : LinkSchemes())
        if (scheme != NoteScheme && linkText.startsWith(scheme, Qt::CaseSensitive) &&
            linkText.size() > scheme.size())
            return true;
    return false;
}

// --- time label ----------------------------------------------------------

int DaysBetween(TDateTime a, TDateTime b)
{
    const int64_t span = std::llabs(dateTimeToMSecs(a) - dateTimeToMSecs(b));
    return static_cast<int>(span / 86400000);
}

QString TimeLabelText(TDateTime start, TDateTime end, int priority, TDateTime now)
{
    const QString f = DaysBetween(now, start) >= 90 ? QStringLiteral("yyyy/mm/dd")
                                                    : QStringLiteral("mm/dd hh:nn");
    QString text = start.format(f);
    if (!end.isZero())
        text += QStringLiteral(" - ") + end.format(f);
    return text + QStringLiteral(" [") + QString::number(priority) + u']';
}

QString HeaderHintText(const QString& title, const QString& timeLabel, const QString& typeLabel)
{
    return title + u'\n' + timeLabel + u' ' + typeLabel;
}
