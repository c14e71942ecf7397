#include "Priority.h"

#include <cmath>

int RoundHalfEven(double x)
{
    // std::nearbyint follows the current rounding mode, which is
    // round-to-nearest-even unless someone changed it; do it explicitly.
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff > 0.5)
        return static_cast<int>(f) + 1;
    if (diff < 0.5)
        return static_cast<int>(f);
    const auto fi = static_cast<long long>(f);
    return static_cast<int>(fi % 2 == 0 ? fi : fi + 1);
}

namespace {
// Whole hours between two date-times, truncated toward zero.
double hoursBetween(TDateTime a, TDateTime b)
{
    return std::trunc(std::fabs(a.value - b.value) * 24.0);
}

int interpolate(int base, int far, double h, double total)
{
    return base + RoundHalfEven((h / total) * (far - base));
}
} // namespace

int CalcPriority(const TPriorityParams& p, TDateTime t)
{
    const double S = p.STime.value;
    const double E = p.ETime.value;
    const double A = S - p.SSPAN;
    if (t.value <= A)
        return p.INITVAL;
    if (t.value <= S) {
        const double total = p.SSPAN * 24.0;
        const double h = hoursBetween(t, TDateTime(A));
        if (h == 0)
            return p.INITVAL;
        return interpolate(p.INITVAL, p.SVAL, h, total);
    }
    if (E > 0) {
        const double Z = E + p.ESPAN;
        if (t.value >= Z)
            return p.CLOSEVAL;
        if (t.value < E) {
            const double total = hoursBetween(TDateTime(E), TDateTime(S));
            const double h = hoursBetween(TDateTime(E), t);
            if (total == 0)
                return p.SVAL;
            if (h == 0)
                return p.EVAL;
            return interpolate(p.EVAL, p.SVAL, h, total);
        }
        const double total = p.ESPAN * 24.0;
        const double h = hoursBetween(TDateTime(Z), t);
        if (h == 0)
            return p.CLOSEVAL;
        return interpolate(p.CLOSEVAL, p.EVAL, h, total);
    }
    const double Z = S + p.ESPAN;
    if (t.value >= Z)
        return p.CLOSEVAL;
    const double total = p.ESPAN * 24.0;
    const double h = hoursBetween(TDateTime(Z), t);
    if (h == 0)
        return p.CLOSEVAL;
    return interpolate(p.CLOSEVAL, p.SVAL, h, total);
}

int HeaderLevel(int priority)
{
    return (255 - RoundHalfEven((priority / 100.0) * 127)) & 0xFF;
}

uint32_t ShadeColor(bool r, bool g, bool b, int level)
{
    int on, off;
    if (level >= 128) {
        on = 255;
        off = 2 * (level - 128);
    } else {
        on = 2 * level;
        off = 0;
    }
    const auto ch = [&](bool flag) { return static_cast<uint32_t>((flag ? on : off) & 0xFF); };
    return ch(r) | (ch(g) << 8) | (ch(b) << 16);
}
