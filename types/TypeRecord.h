#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// One FUSENTYPE row as the type editor and its owner exchange it. The
// defaults are the values a new type starts with.
struct TTypeRecord
{
    std::optional<int32_t> IDKEY; // empty until the database assigns one
    QString LABEL;
    int32_t INITVAL = 1;
    int32_t SSPAN = 14;
    int32_t SVAL = 60;
    int32_t EVAL = 60;
    int32_t ESPAN = 14;
    int32_t CLOSEVAL = 1;
    uint32_t TEXTCOLOR = 0x000000;
    uint32_t BGCOLOR = 0x00FF00; // lime
    uint32_t HTEXTCOLOR = 0x000000;
    uint32_t LINKCOLOR = 0xFF0000; // blue: 0x00BBGGRR
    bool R = true;
    bool G = true;
    bool B = false;

    friend bool operator==(const TTypeRecord&, const TTypeRecord&) = default;
};
