#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

class TdbmBase;

// One group in memory. A colour of 0 stands for "not set" (NULL in the
// database): black cannot be a group colour.
struct TGroupRecord
{
    int32_t IDKEY = 0;
    QString LABEL;
    uint32_t TEXTCOLOR = 0;
    uint32_t BGCOLOR = 0;
    uint32_t HTEXTCOLOR = 0;
    uint32_t LINKCOLOR = 0;
    int32_t ICONNUM = 0; // index into the group icons; NULL reads as 0
    bool VISIBLE = true;
};

// The lookup errors of the group list; their texts are shown as they stand.
class EGroupError : public std::runtime_error
{
public:
    explicit EGroupError(const QString& text) : std::runtime_error(text.toStdString()), FText(text)
    {}
    const QString& text() const { return FText; }

private:
    QString FText;
};

// The groups, in IDKEY order as loaded.
class TFusenGroup
{
public:
    explicit TFusenGroup(TdbmBase& db) : FDB(db) {}

    // Replaces the list with the rows of FUSENGROUP.
    void Load();
    // Writes one group, or every group for -1, in one unit of work: all or none.
    void Save(int32_t id = -1);

    int IndexOfID(int32_t id) const; // EGroupError "GroupIDが見つかりません"
    QString LabelOfID(int32_t id) const;
    int Count() const { return FItems.size(); }
    const TGroupRecord&
    Items(int index) const; // EGroupError "GroupListのインデックス範囲を超えています"
    TGroupRecord& Items(int index);

    // One line per group: its label, with the IDKEY beside it.
    void FillStrings(QStringList& labels, QList<int32_t>& ids) const;

    // Every group visible, or every group hidden: no group condition.
    // Otherwise the visible groups' keys in list order.
    bool HasMixedVisibility() const;
    QList<int32_t> VisibleIDs() const;

private:
    TdbmBase& FDB;
    QList<TGroupRecord> FItems;
};
