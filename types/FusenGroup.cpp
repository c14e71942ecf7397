#include "FusenGroup.h"

#include "db/DBModBase.h"

#include <QVariant>

namespace {
void bindColour(TDbQuery& q, const QString& name, uint32_t colour)
{
    if (colour == 0)
        q.setNull(name);
    else
        q.setParam(name, static_cast<int>(colour));
}
} // namespace

void TFusenGroup::Load()
{
    FItems.clear();
    FDB.BeginWork();
    try {
        TDbQuery q(FDB.UpdateTransaction(),
                   QStringList{QStringLiteral("select * from FusenGroup order by IDKEY")});
        q.open();
        while (q.next()) {
            TGroupRecord r;
            r.IDKEY = q.field(QStringLiteral("IDKEY")).asInt();
            r.LABEL = q.field(QStringLiteral("LABEL")).asString();
            r.TEXTCOLOR = static_cast<uint32_t>(q.field(QStringLiteral("TEXTCOLOR")).asInt());
            r.BGCOLOR = static_cast<uint32_t>(q.field(QStringLiteral("BGCOLOR")).asInt());
            r.HTEXTCOLOR = static_cast<uint32_t>(q.field(QStringLiteral("HTEXTCOLOR")).asInt());
            r.LINKCOLOR = static_cast<uint32_t>(q.field(QStringLiteral("LINKCOLOR")).asInt());
            r.ICONNUM = q.field(QStringLiteral("ICONNUM")).asInt();
            r.VISIBLE = q.field(QStringLiteral("VISIBLE")).asBool();
            FItems << r;
        }
    } catch (...) {
        FDB.CommitWork(); // a read: ending the unit of work loses nothing
        throw;
    }
    FDB.CommitWork();
}

void TFusenGroup::Save(int32_t id)
{
    FDB.BeginWork();
    try {
        TDbQuery q(FDB.UpdateTransaction(),
                   QStringList{
                       QStringLiteral("update FusenGroup set "), QStringLiteral("LABEL=:LABEL,"),
                       QStringLiteral("TEXTCOLOR=:TEXTCOLOR,"), QStringLiteral("BGCOLOR=:BGCOLOR,"),
                       QStringLiteral("HTEXTCOLOR=:HTEXTCOLOR,"),
                       QStringLiteral("LINKCOLOR=:LINKCOLOR,"), QStringLiteral("ICONNUM=:ICONNUM,"),
                       QStringLiteral("VISIBLE=:VISIBLE"), QStringLiteral("where IDKEY=:IDKEY")});
        auto write = [&](const TGroupRecord& r) {
            q.setParam(QStringLiteral("IDKEY"), static_cast<int>(r.IDKEY));
            q.setParam(QStringLiteral("LABEL"), r.LABEL);
            bindColour(q, QStringLiteral("TEXTCOLOR"), r.TEXTCOLOR);
            bindColour(q, QStringLiteral("BGCOLOR"), r.BGCOLOR);
            bindColour(q, QStringLiteral("HTEXTCOLOR"), r.HTEXTCOLOR);
            bindColour(q, QStringLiteral("LINKCOLOR"), r.LINKCOLOR);
            q.setParam(QStringLiteral("ICONNUM"), static_cast<int>(r.ICONNUM));
            q.setParam(QStringLiteral("VISIBLE"), r.VISIBLE);
            q.execute();
        };
        if (id == -1) {
            for (const TGroupRecord& r : std::as_const(FItems))
                write(r);
        } else {
            write(FItems.at(IndexOfID(id)));
        }
        FDB.CommitWork();
    } catch (...) {
        FDB.RollbackWork();
        throw;
    }
}

int TFusenGroup::IndexOfID(int32_t id) const
{
    for (int i = 0; i < FItems.size(); ++i)
        if (FItems[i].IDKEY == id)
            return i;
    throw EGroupError(QStringLiteral("GroupIDが見つかりません"));
}

QString TFusenGroup::LabelOfID(int32_t id) const
{
    return FItems.at(IndexOfID(id)).LABEL;
}

const TGroupRecord& TFusenGroup::Items(int index) const
{
    if (index < 0 || index >= FItems.size())
        throw EGroupError(QStringLiteral("GroupListのインデックス範囲を超えています"));
    return FItems[index];
}

TGroupRecord& TFusenGroup::Items(int index)
{
    if (index < 0 || index >= FItems.size())
        throw EGroupError(QStringLiteral("GroupListのインデックス範囲を超えています"));
    return FItems[index];
}

void TFusenGroup::FillStrings(QStringList& labels, QList<int32_t>& ids) const
{
    for (const TGroupRecord& r : FItems) {
        labels << r.LABEL;
        ids << r.IDKEY;
    }
}

bool TFusenGroup::HasMixedVisibility() const
{
    bool anyVisible = false, anyHidden = false;
    for (const TGroupRecord& r : FItems)
        (r.VISIBLE ? anyVisible : anyHidden) = true;
    return anyVisible && anyHidden;
}

QList<int32_t> TFusenGroup::VisibleIDs() const
{
    QList<int32_t> out;
    for (const TGroupRecord& r : FItems)
        if (r.VISIBLE)
            out << r.IDKEY;
    return out;
}
