#pragma once

#include <QList>
#include <QString>
#include <cstdint>

class TdbmBase;

// The note types' labels with their keys, in IDKEY order: the source of the
// new-note menus and the type combo boxes.
struct TTypeEntry
{
    int32_t IDKEY = 0;
    QString LABEL;
    friend bool operator==(const TTypeEntry&, const TTypeEntry&) = default;
};

class TTypeList
{
public:
    // Refills the list from FUSENTYPE.
    void Reload(TdbmBase& db);

    int count() const { return FItems.size(); }
    const TTypeEntry& at(int i) const { return FItems.at(i); }
    const QList<TTypeEntry>& items() const { return FItems; }
    // -1 when the key is not in the list.
    int indexOfID(int32_t id) const;

private:
    QList<TTypeEntry> FItems;
};
