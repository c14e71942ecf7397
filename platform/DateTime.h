#pragma once

#include <QDateTime>
#include <cstdint>

// The day count every stored date-time is exchanged as: the whole part counts
// days from 1899-12-30, the fraction is the time of day, local time. A value of
// 0 means "not set" wherever a date-time is optional (ETIME).
//
// Negative values keep the whole part as the day and the absolute fraction as
// the time of day (-1.25 is 1899-12-29 06:00), which is how such counts have
// always been read; they never occur for real notes but must not scramble.
struct TDateTime
{
    double value = 0.0;

    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double v) : value(v) {}

    static TDateTime fromDate(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0, int msec = 0);
    static TDateTime fromQDateTime(const QDateTime& dt);
    QDateTime toQDateTime() const;

    // Firebird's TIMESTAMP: days since 1858-11-17 and ten-thousandths of a
    // second since midnight. Kept as plain integers so this header does not
    // depend on the client headers.
    struct FbTimestamp
    {
        int32_t date = 0;
        uint32_t time = 0;
    };
    static TDateTime fromFbTimestamp(FbTimestamp ts);
    FbTimestamp toFbTimestamp() const;

    bool isZero() const { return value == 0.0; }
    TDateTime addDays(double days) const { return TDateTime(value + days); }
    // Format with Delphi-style patterns used by the interface texts
    // ("yyyy/mm/dd hh:nn:ss", "m/d hh:nn" ...).
    QString format(const QString& pattern) const;

    friend bool operator==(TDateTime a, TDateTime b) { return a.value == b.value; }
    friend auto operator<=>(TDateTime a, TDateTime b) { return a.value <=> b.value; }
};

// Whole milliseconds since 1899-12-30 00:00 for a day count, rounded to the
// nearest millisecond; the inverse of TDateTime(double) on that grid.
int64_t dateTimeToMSecs(TDateTime dt);
TDateTime msecsToDateTime(int64_t msecs);
