#pragma once

#include "ListQuery.h"
#include "platform/DateTime.h"

#include <QAbstractTableModel>
#include <QList>
#include <memory>

class TdbmBase;
class TDbQuery;

// One row of the list as the grid shows it. The body is kept as a one-line
// excerpt: a grid over a hundred thousand notes must not hold every body.
struct TListRow
{
    int32_t IDKEY = 0;
    int32_t FTYPE = 0;
    int32_t FGROUP = 0;
    TDateTime STIME;
    bool HasSTIME = false;
    QString TITLE;
    QString MEMO;
    int PRIORITY = 0;
    QString TYPENAME;
    QString GROUPNAME;
    bool COMPLETED = false;
};

// The grid's data set: the list statement's open cursor, read as far as the
// view has asked. Rows arrive in batches through canFetchMore()/fetchMore(),
// so the first screen is shown as soon as the engine delivers it.
//
// The model is "open" from Open() to Close() even after its cursor has
// delivered the last row; the window closes it while it is hidden.
class TListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        colSTIME,
        colTITLE,
        colMEMO,
        colPRIORITY,
        colTYPENAME,
        colGROUPNAME,
        ColumnCount
    };
    enum Role
    {
        KeyRole = Qt::UserRole + 1, // IDKEY
        CompletedRole,              // bool
    };

    explicit TListModel(TdbmBase& db, QObject* parent = nullptr);
    ~TListModel() override;

    // The VW_FUSEN column and the title of a grid column.
    static QString FieldName(int column);
    static QString Title(int column);
    // "yyyy/mm/dd hh:nn" and "#,##0.#".
    static QString FormatDateTime(TDateTime t);
    static QString FormatNumber(double v);
    // The body folded into one line of at most ExcerptLength characters.
    static QString Excerpt(const QString& memo);
    static constexpr int ExcerptLength = 120;

    // Opens the statement built from filter and sort and reads the first
    // rows. A database error (shown by the module) is thrown again with the
    // model left closed.
    void Open(const TListFilter& filter, const TListSort& sort);
    void Close();
    bool IsOpen() const { return FOpen; }
    // The statement of the last Open().
    const QStringList& sql() const { return FSql; }
    // Whether the cursor has delivered its last row.
    bool AtEnd() const { return !FQuery; }

    const TListRow& Row(int row) const { return FRows.at(row); }
    // The row of a note among the rows read, reading further rows while
    // fewer than readUpTo are held; -1 when it is not there.
    int FindKey(int32_t id, int readUpTo = 0);
    // Whether the note is among the rows of filter, asked of the database
    // without reading the result (false after an error, which was shown).
    bool Holds(const TListFilter& filter, int32_t id);
    // Reads every remaining row (select all and friends walk the whole result).
    void FetchAll();

    static constexpr int FirstBatch = 100;
    static constexpr int Batch = 500;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // More rows arrived (or the end was reached); for the status line.
    void rowsFetched();

private:
    // Reads up to n rows into FRows (without telling views); returns the count.
    int read(int n, QList<TListRow>& into);
    void append(int n);

    TdbmBase& FDB;
    std::unique_ptr<TDbQuery> FQuery;
    QList<TListRow> FRows;
    QStringList FSql;
    bool FOpen = false;
};
