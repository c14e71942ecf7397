#pragma once

#include "platform/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

// The text rules of a note: how the body's first line becomes the title, the
// body's size limit, links and link tags, and the time label. Pure functions,
// so every rule is checked without a window.
//
// The body works with "\n" between lines; the database keeps CR LF.

// The most UTF-16 code units a body may hold when edit mode ends.
constexpr int MaxBodyLength = 10240;
// Leaving edit mode cuts the title after this many UTF-16 code units; saving
// in edit mode cuts it after this many bytes of its UTF-8 form.
constexpr int MaxTitleChars = 80;
constexpr int MaxTitleBytes = 80;

// The body's lines the way a line list counts them: an empty text has none,
// and a line break at the very end closes the last line instead of opening
// an empty one.
QStringList BodyLines(const QString& text);

// Where to cut a first line so that the title keeps at most maxChars UTF-16
// code units, never separating the two halves of a surrogate pair.
int TitleCutChars(const QString& line, int maxChars = MaxTitleChars);
// Where to cut a first line so that the title's UTF-8 form keeps at most
// maxBytes bytes. A character that would straddle the limit goes whole to the
// remainder.
int TitleCutUtf8(const QString& line, int maxBytes = MaxTitleBytes);

// TITLE and MEMO of a note saved while its body holds the title as its first
// line (edit mode). MEMO is in the stored form: every line followed by CR LF.
struct TTitleMemo
{
    QString title;
    QString memo;
};
TTitleMemo SplitEditBody(const QString& body);

// What leaving edit mode makes of the body: the title from the first line (if
// the body has one) and the body that stays.
struct TLeaveSplit
{
    bool hasLine = false;
    QString title;
    QString body;
};
TLeaveSplit SplitLeaveEdit(const QString& body);

// The message for a body over MaxBodyLength when edit mode ends.
QString BodyTooLargeMessage(int length);

// Line breaks between the body ("\n") and the database (CR LF).
QString ToStoredText(const QString& body);
QString FromStoredText(const QString& stored);

// --- links ---------------------------------------------------------------

// The prefixes that make a link, in the order a tie is decided.
const QStringList& LinkSchemes();
// A link ends before a character whose UTF-16 code unit has one of these low
// bytes: 08-0D, 20, 22, 27, 29, 5D, 7D. Only the low byte counts, so the
// full-width right parenthesis U+FF09 ends a link too.
bool IsLinkEndChar(QChar c);

struct TLinkSpan
{
    int start = 0;
    int length = 0;
    friend bool operator==(const TLinkSpan&, const TLinkSpan&) = default;
};
// Every link of text, in order: from the earliest prefix found at or after
// the search position up to the first end character (excluded); the next
// search starts behind that end character. Prefixes are case-sensitive.
QList<TLinkSpan> FindLinks(const QString& text, const QStringList& schemes = LinkSchemes());

// "fusen:" + id + " " + the title in double quotes, quotes inside doubled.
QString LinkTagText(int32_t id, const QString& title);
// A search result line: like a link tag, but the title as it stands.
QString SearchResultLine(int32_t id, const QString& title);
// The link text trimmed of blanks and control characters at both ends.
QString TrimLinkText(const QString& text);
// The key of a note link ("fusen:" and up to ten digits); 0 when what follows
// the prefix is not a number. -1 when the text is not a note link at all.
int32_t NoteLinkKey(const QString& linkText);
// Whether a link text may be handed to the desktop to open: it begins with
// one of the link prefixes other than the note link.
bool IsOpenableAddress(const QString& linkText);

// --- time label ----------------------------------------------------------

// Whole days between two date-times, as a calendar would count them.
int DaysBetween(TDateTime a, TDateTime b);
// The note's time label: start (and " - " end) as "mm/dd hh:nn", or as
// "yyyy/mm/dd" when the start lies 90 or more whole days from now, then
// " [priority]".
QString TimeLabelText(TDateTime start, TDateTime end, int priority, TDateTime now);
// The header's hint: title, line break, time label, blank, type label.
QString HeaderHintText(const QString& title, const QString& timeLabel, const QString& typeLabel);
