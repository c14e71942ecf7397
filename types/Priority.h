#pragma once

#include "platform/DateTime.h"

#include <cstdint>

// What the priority rule needs of a note: its own dates and its type's curve.
struct TPriorityParams
{
    TDateTime STime; // STIME and ETIME; <errno.h> owns the name ETIME
    TDateTime ETime; // 0 = no end
    int32_t SSPAN = 0;
    int32_t ESPAN = 0;
    int32_t SVAL = 0;
    int32_t EVAL = 0;
    int32_t INITVAL = 0;
    int32_t CLOSEVAL = 0;
};

// The note's priority (0-100 for the editor's ranges) at local time t.
int CalcPriority(const TPriorityParams& p, TDateTime t);

// Round half to even, as the rule and the database view both round.
int RoundHalfEven(double x);

// Header tint: 255 at priority 0 down to 128 at priority 100.
int HeaderLevel(int priority);
// A colour 0x00BBGGRR from the type's channel flags and a level 0-255.
uint32_t ShadeColor(bool r, bool g, bool b, int level);
