#include "DateTime.h"

#include <cmath>

namespace {
constexpr int64_t MSecsPerDay = 86400000;
// 1899-12-30 is day 15018 of Firebird's calendar (1858-11-17 = 0).
constexpr int32_t FbDateOffset = 15018;

QDate epoch()
{
    return QDate(1899, 12, 30);
}
} // namespace

int64_t dateTimeToMSecs(TDateTime dt)
{
    // Position on a linear timeline: the day part plus the time of day.
    const double whole = std::trunc(dt.value);
    const int64_t ms = std::llround(std::fabs(dt.value - whole) * MSecsPerDay);
    return static_cast<int64_t>(whole) * MSecsPerDay + ms;
}

TDateTime msecsToDateTime(int64_t msecs)
{
    int64_t days = msecs / MSecsPerDay;
    int64_t ms = msecs % MSecsPerDay;
    if (ms < 0) {
        ms += MSecsPerDay;
        --days;
    }
    const double frac = static_cast<double>(ms) / MSecsPerDay;
    return TDateTime(days < 0 ? static_cast<double>(days) - frac
                              : static_cast<double>(days) + frac);
}

namespace {
struct DayAndTime
{
    int64_t days;
    int64_t ms;
};
DayAndTime split(TDateTime dt)
{
    const int64_t p = dateTimeToMSecs(dt);
    int64_t days = p / MSecsPerDay;
    int64_t ms = p % MSecsPerDay;
    if (ms < 0) {
        ms += MSecsPerDay;
        --days;
    }
    return {days, ms};
}
} // namespace

TDateTime TDateTime::fromDate(int year, int month, int day, int hour, int minute, int second,
                              int msec)
{
    return fromQDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec)));
}

TDateTime TDateTime::fromQDateTime(const QDateTime& dt)
{
    if (!dt.isValid())
        return TDateTime();
    const int64_t days = epoch().daysTo(dt.date());
    return msecsToDateTime(days * MSecsPerDay + dt.time().msecsSinceStartOfDay());
}

QDateTime TDateTime::toQDateTime() const
{
    const DayAndTime t = split(*this);
    return QDateTime(epoch().addDays(t.days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(t.ms)));
}

TDateTime TDateTime::fromFbTimestamp(FbTimestamp ts)
{
    const int64_t days = static_cast<int64_t>(ts.date) - FbDateOffset;
    // ten-thousandths to milliseconds, rounding half up
    const int64_t ms = (static_cast<int64_t>(ts.time) + 5) / 10;
    return msecsToDateTime(days * MSecsPerDay + ms);
}

TDateTime::FbTimestamp TDateTime::toFbTimestamp() const
{
    const DayAndTime t = split(*this);
    FbTimestamp ts;
    ts.date = static_cast<int32_t>(t.days + FbDateOffset);
    ts.time = static_cast<uint32_t>(t.ms * 10);
    return ts;
}

QString TDateTime::format(const QString& pattern) const
{
    // Delphi's "nn" is minutes and "mm" after "h" is minutes too; Qt uses "mm"
    // for minutes and "MM" for months. Translate the handful of patterns the
    // program uses rather than pretend to support Delphi's whole grammar.
    const QDateTime dt = toQDateTime();
    QString out;
    const QString p = pattern;
    for (int i = 0; i < p.size();) {
        auto run = [&](QChar c) {
            int n = 0;
            while (i + n < p.size() && p[i + n].toLower() == c)
                ++n;
            return n;
        };
        const QChar c = p[i].toLower();
        if (c == u'y') {
            const int n = run(u'y');
            out += n <= 2 ? dt.toString(QStringLiteral("yy")) : dt.toString(QStringLiteral("yyyy"));
            i += n;
        } else if (c == u'm') {
            const int n = run(u'm');
            out += n == 1 ? QString::number(dt.date().month())
                          : QStringLiteral("%1").arg(dt.date().month(), 2, 10, QLatin1Char('0'));
            i += n;
        } else if (c == u'd') {
            const int n = run(u'd');
            out += n == 1 ? QString::number(dt.date().day())
                          : QStringLiteral("%1").arg(dt.date().day(), 2, 10, QLatin1Char('0'));
            i += n;
        } else if (c == u'h') {
            const int n = run(u'h');
            out += n == 1 ? QString::number(dt.time().hour())
                          : QStringLiteral("%1").arg(dt.time().hour(), 2, 10, QLatin1Char('0'));
            i += n;
        } else if (c == u'n') {
            const int n = run(u'n');
            out += n == 1 ? QString::number(dt.time().minute())
                          : QStringLiteral("%1").arg(dt.time().minute(), 2, 10, QLatin1Char('0'));
            i += n;
        } else if (c == u's') {
            const int n = run(u's');
            out += n == 1 ? QString::number(dt.time().second())
                          : QStringLiteral("%1").arg(dt.time().second(), 2, 10, QLatin1Char('0'));
            i += n;
        } else if (p[i] == u'"') {
            const int end = p.indexOf(u'"', i + 1);
            const int stop = end < 0 ? p.size() : end;
            out += p.mid(i + 1, stop - i - 1);
            i = stop + 1;
        } else {
            out += p[i];
            ++i;
        }
    }
    return out;
}
