#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class TDbQuery;

// What the list window's header controls ask for.
struct TListFilter
{
    QString UserID;
    QString SearchText;             // editSearch; empty adds no condition
    bool SearchBody = false;        // "タイトル＋本文" rather than "タイトルのみ"
    std::optional<int32_t> TypeID;  // none: "すべてのタイプ"
    std::optional<int32_t> GroupID; // none: "すべてのグループ"
    bool ShowCompleted = false;
};

// The grid's sort, changed by clicks on the column titles.
struct TListSort
{
    QString FSortField = QStringLiteral("STIME");
    QString FSortOrder = QStringLiteral("asc");
    QString FSortSecond;

    // A click on the title of the column showing field (a VW_FUSEN column).
    // The type and group columns sort by key, then by start.
    void ClickColumn(const QString& field);
    bool descending() const { return FSortOrder == QLatin1String("desc"); }
};

// The grid's statement, one line per condition.
QStringList BuildListSql(const TListFilter& filter, const TListSort& sort);

// The longest search text. Its parameter takes the type of TITLE (255
// characters) and the pattern adds a "%" on each side; nothing longer could
// match a title anyway, and the engine would refuse it with an error.
constexpr int MaxSearchLength = 253;

// Whether one note (:IDKEY) is among the rows of that statement: the list
// reads on to a note it follows only when the note is there to be found.
QStringList BuildHoldsNoteSql(const TListFilter& filter);

// The LIKE pattern for a search text. The text goes in as typed: its "%" and
// "_" stay wildcards, as users of the search have always had them.
QString SearchPattern(const QString& text);

// Binds the parameters BuildListSql(filter, ...) refers to.
void BindListParams(TDbQuery& q, const TListFilter& filter);
