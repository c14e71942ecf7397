#include "ListModel.h"

#include "db/DBModBase.h"

#include <QLocale>

#include <optional>
#include <stdexcept>

namespace {
// Column indexes of the cursor, looked up once per open.
struct TFieldIndexes
{
    int IDKEY, FTYPE, FGROUP, STIME, TITLE, MEMO, PRIORITY, TYPENAME, GROUPNAME, COMPLETED;
};

TFieldIndexes indexesOf(const TDbQuery& q)
{
    auto at = [&](const char* name) {
        const int i = q.fieldIndex(QString::fromLatin1(name));
        if (i < 0)
            throw std::logic_error(std::string("VW_FUSEN has no column ") + name);
        return i;
    };
    return {at("IDKEY"), at("FTYPE"),    at("FGROUP"),   at("STIME"),     at("TITLE"),
            at("MEMO"),  at("PRIORITY"), at("TYPENAME"), at("GROUPNAME"), at("COMPLETED")};
}
} // namespace

TListModel::TListModel(TdbmBase& db, QObject* parent) : QAbstractTableModel(parent), FDB(db)
{}

TListModel::~TListModel() = default;

QString TListModel::FieldName(int column)
{
    switch (column) {
    case colSTIME:
        return QStringLiteral("STIME");
    case colTITLE:
        return QStringLiteral("TITLE");
    case colMEMO:
        return QStringLiteral("MEMO");
    case colPRIORITY:
        return QStringLiteral("PRIORITY");
    case colTYPENAME:
        return QStringLiteral("TYPENAME");
    case colGROUPNAME:
        return QStringLiteral("GROUPNAME");
    }
    return QString();
}

QString TListModel::Title(int column)
{
    switch (column) {
    case colSTIME:
        return QStringLiteral("日付");
    case colTITLE:
        return QStringLiteral("タイトル");
    case colMEMO:
        return QStringLiteral("本文");
    case colPRIORITY:
        return QStringLiteral("優先度");
    case colTYPENAME:
        return QStringLiteral("タイプ");
    case colGROUPNAME:
        return QStringLiteral("グループ");
    }
    return QString();
}

QString TListModel::FormatDateTime(TDateTime t)
{
    return t.format(QStringLiteral("yyyy/mm/dd hh:nn"));
}

QString TListModel::FormatNumber(double v)
{
    static const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    QString s = grouped.toString(v, 'f', 1);
    if (s.endsWith(QLatin1String(".0")))
        s.chop(2);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString TListModel::Excerpt(const QString& memo)
{
    QString out;
    out.reserve(std::min<qsizetype>(memo.size(), ExcerptLength + 1));
    bool space = false;
    for (const QChar c : memo) {
        if (c.isSpace()) {
            space = !out.isEmpty();
            continue;
        }
        if (space) {
            out += u' ';
            space = false;
        }
        if (out.size() >= ExcerptLength && !c.isLowSurrogate()) {
            out += QChar(0x2026); // …
            break;
        }
        out += c;
    }
    return out;
}

void TListModel::Open(const TListFilter& filter, const TListSort& sort)
{
    Close();
    FSql = BuildListSql(filter, sort);
    auto q = std::make_unique<TDbQuery>(FDB.ReadTransaction(), FSql);
    BindListParams(*q, filter);
    q->open();
    FQuery = std::move(q);
    QList<TListRow> rows;
    try {
        read(FirstBatch, rows);
    } catch (...) {
        FQuery.reset();
        throw;
    }
    beginResetModel();
    FRows = std::move(rows);
    FOpen = true;
    endResetModel();
    Q_EMIT rowsFetched();
}

void TListModel::Close()
{
    if (!FOpen && FRows.isEmpty() && !FQuery)
        return;
    beginResetModel();
    FQuery.reset();
    FRows.clear();
    FRows.squeeze();
    FOpen = false;
    endResetModel();
}

int TListModel::read(int n, QList<TListRow>& into)
{
    if (!FQuery)
        return 0;
    TDbQuery& q = *FQuery;
    int count = 0;
    try {
        std::optional<TFieldIndexes> f;
        while (count < n) {
            if (!q.next()) {
                FQuery.reset();
                break;
            }
            if (!f)
                f = indexesOf(q);
            TListRow r;
            r.IDKEY = q.field(f->IDKEY).asInt();
            r.FTYPE = q.field(f->FTYPE).asInt();
            r.FGROUP = q.field(f->FGROUP).asInt();
            r.HasSTIME = !q.field(f->STIME).isNull();
            r.STIME = q.field(f->STIME).asDateTime();
            r.TITLE = q.field(f->TITLE).asString();
            r.MEMO = Excerpt(q.field(f->MEMO).asString());
            r.PRIORITY = q.field(f->PRIORITY).asInt();
            r.TYPENAME = q.field(f->TYPENAME).asString();
            r.GROUPNAME = q.field(f->GROUPNAME).asString();
            r.COMPLETED = q.field(f->COMPLETED).asBool();
            into << std::move(r);
            ++count;
        }
    } catch (...) {
        // The cursor is of no further use; what was read stays.
        FQuery.reset();
        throw;
    }
    return count;
}

void TListModel::append(int n)
{
    QList<TListRow> rows;
    try {
        read(n, rows);
    } catch (const EDatabaseError&) {
        // Shown by the module's error hook; the list ends where reading failed.
    }
    if (!rows.isEmpty()) {
        const int first = static_cast<int>(FRows.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
        FRows.append(std::move(rows));
        endInsertRows();
    }
    Q_EMIT rowsFetched();
}

int TListModel::FindKey(int32_t id, int readUpTo)
{
    for (int i = 0; i < FRows.size(); ++i)
        if (FRows[i].IDKEY == id)
            return i;
    while (FQuery && FRows.size() < readUpTo) {
        const int from = static_cast<int>(FRows.size());
        append(std::min<int>(Batch, readUpTo - from));
        for (int i = from; i < FRows.size(); ++i)
            if (FRows[i].IDKEY == id)
                return i;
    }
    return -1;
}

bool TListModel::Holds(const TListFilter& filter, int32_t id)
{
    try {
        TDbQuery q(FDB.ReadTransaction(), BuildHoldsNoteSql(filter));
        BindListParams(q, filter);
        q.setParam(QStringLiteral("IDKEY"), id);
        q.open();
        return q.next();
    } catch (const EDatabaseError&) {
        return false; // shown by the module's error hook
    }
}

void TListModel::FetchAll()
{
    while (FQuery)
        append(Batch * 4);
}

int TListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= FRows.size())
        return QVariant();
    const TListRow& r = FRows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case colSTIME:
            return r.HasSTIME ? FormatDateTime(r.STIME) : QString();
        case colTITLE:
            return r.TITLE;
        case colMEMO:
            return r.MEMO;
        case colPRIORITY:
            return FormatNumber(r.PRIORITY);
        case colTYPENAME:
            return r.TYPENAME;
        case colGROUPNAME:
            return r.GROUPNAME;
        }
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == colPRIORITY)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case KeyRole:
        return r.IDKEY;
    case CompletedRole:
        return r.COMPLETED;
    }
    return QVariant();
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return Title(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QString(); // the row indicator carries no numbers
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool TListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && FQuery != nullptr;
}

void TListModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid())
        append(Batch);
}
