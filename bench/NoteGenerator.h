#pragma once

#include "db/DBModFusen.h"

#include <QString>
#include <QStringList>

// Fills a Kwil database with a realistic mix of notes for scale checks:
// several users (most notes the main user's), all note types and a few extra
// groups, Japanese and ASCII titles and bodies of varied length, five years of
// start dates (a few up to two months ahead), some with end dates (NULL and
// 1899-12-30 both standing for none), almost every note older than a month
// completed, a handful anchored, feed-imported notes with item keys.
struct TGenOptions
{
    int notes = 100000;
    int users = 4; // the main user and users - 1 others
    quint32 seed = 20261211;
    TDateTime now; // reference "now"; 0 = the system clock
};

struct TGenStats
{
    int notes = 0;
    int mainUserNotes = 0;
    int mainUserOpen = 0; // not completed, or anchored: desktop candidates
    int completed = 0;
    int anchored = 0;
    int withEnd = 0;
    int feed = 0;
    double seconds = 0; // time spent inserting
};

class TNoteGenerator
{
public:
    // The main user, as in the Account section's default.
    static QString mainUser() { return QStringLiteral("DefaultUser"); }
    static QStringList users(int count);
    // Words that occur in a known share of titles and bodies (for searches).
    static QString commonJapaneseWord() { return QStringLiteral("会議"); }
    static QString commonAsciiWord() { return QStringLiteral("REPORT"); }

    // Inserts the notes through the module's units of work.
    static TGenStats generate(TdbmNotes& m, const TGenOptions& options);
};
