#pragma once

#include "DbError.h"
#include "FbClient.h"
#include "SqlParams.h"
#include "platform/DateTime.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class TDbTransaction;
class TDbQuery;

// Everything needed to attach to a database.
struct TDbParams
{
    QString clientLibrary = QStringLiteral("libfbclient.so.2");
    QString server;   // host, "host/port" or empty for the embedded engine
    QString database; // the file path (on the server when server is set)
    QString userName;
    QString password; // plain
    QString roleName;
    QString charSet = QStringLiteral("UNICODE_FSS");

    // server + ":" + database, or database alone.
    QString attachName() const;
};

// One attachment. It and everything made on it (transactions, queries) belong
// to one thread at a time: calls on one attachment are serialised by the
// engine anyway, and the status object is not shared. A worker thread opens an
// attachment of its own.
//
// Every error raised by the layer first goes to the connection's reporter (the
// error hook; none by default) and is then thrown as EDatabaseError.
class TDbConnection
{
public:
    using Reporter = std::function<void(const EDatabaseError&)>;

    TDbConnection();
    ~TDbConnection();
    TDbConnection(const TDbConnection&) = delete;
    TDbConnection& operator=(const TDbConnection&) = delete;

    void setReporter(Reporter r) { FReporter = std::move(r); }

    // Attaches. With an empty server only the embedded engine is tried: a
    // plain path never silently reaches a server that happens to run here.
    void connect(const TDbParams& params);
    // Creates a new database file and stays attached to it.
    void create(const TDbParams& params, int pageSize = 16384);
    // Rolls back what is still open (this layer's transactions), then detaches.
    // An attachment that fails to detach (a lost connection) is dropped anyway.
    void disconnect();
    bool isConnected() const { return FAttachment != nullptr; }
    const TDbParams& params() const { return FParams; }

    // Runs one statement without parameters or results in tr.
    void executeImmediate(TDbTransaction& tr, const QString& sql);

    // Reports and throws an error; for the layer and its tools.
    [[noreturn]] void raise(const EDatabaseError& e);
    // Raises the error held by st (taking SQLCODE and message from it).
    [[noreturn]] void raiseStatus(TFbStatus& st);
    void check(TFbStatus& st)
    {
        if (failed(st))
            raiseStatus(st);
    }

    TFbStatus& status() { return *FStatus; }
    Firebird::IAttachment* handle() const { return FAttachment; }
    TFbClient& client() const { return *FClient; }
    // The attachment's own id (MON$ATTACHMENT_ID), for tests and diagnostics.
    int64_t attachmentId();

private:
    friend class TDbTransaction;
    friend class TDbQuery;
    void attach(const TDbParams& params, bool create, int pageSize);
    TFbClient& loadClient(const QString& library);
    TDbParams FParams;
    Reporter FReporter;
    TFbClient* FClient = nullptr;
    Firebird::IStatus* FRawStatus = nullptr;
    std::unique_ptr<TFbStatus> FStatus;
    Firebird::IAttachment* FAttachment = nullptr;
    std::set<TDbTransaction*> FTransactions;
    std::set<TDbQuery*> FQueries;
};

// A transaction of one connection.
class TDbTransaction
{
public:
    // Both read and write, read committed with record versions.
    enum class Mode
    {
        NoWait, // a lock conflict fails at once (the read transaction, the feed import)
        Wait,   // a lock conflict waits for the other transaction (units of work)
    };

    TDbTransaction(TDbConnection& connection, Mode mode);
    // Rolls back when still active.
    ~TDbTransaction();
    TDbTransaction(const TDbTransaction&) = delete;
    TDbTransaction& operator=(const TDbTransaction&) = delete;

    void start();
    bool isActive() const { return FTransaction != nullptr; }
    void commit();
    void rollback();
    void commitRetaining();
    void rollbackRetaining();
    // Runs a statement without parameters (savepoints and the like).
    void execute(const QString& sql);

    TDbConnection& connection() const { return *FConnection; }
    Firebird::ITransaction* handle() const { return FTransaction; }

private:
    friend class TDbConnection;
    void drop();
    TDbConnection* FConnection;
    Mode FMode;
    Firebird::ITransaction* FTransaction = nullptr;
};

class TDbField;

// A statement with named parameters and a forward-only cursor.
//
//   TDbQuery q(dbm.UpdateTransaction(), {"select IDKEY, TITLE from FUSEN",
//                                        "where USERID = :USERID"});
//   q.setParam("USERID", user);
//   q.open();
//   while (q.next())
//       use(q.field("IDKEY").asInt(), q.field("TITLE").asString());
//
// Reading follows the stored-value conventions: NULL reads as 0, the empty
// text or date-time 0; asBool() is true only for the value 1. Texts travel as
// UTF-8; a text longer than its column's declared character length is refused
// before it reaches the database. Blob columns of sub-type -15 are compressed
// on the way in and inflated on the way out.
class TDbQuery
{
public:
    explicit TDbQuery(TDbTransaction& tr);
    TDbQuery(TDbTransaction& tr, const QStringList& sqlLines);
    ~TDbQuery();
    TDbQuery(const TDbQuery&) = delete;
    TDbQuery& operator=(const TDbQuery&) = delete;

    // The statement as a list of lines, joined with "\n". Clears parameters.
    void setSQL(const QStringList& lines);
    void setSQL(const QString& text);
    const QString& sql() const { return FSql; }
    // Another transaction of the same connection for the next execution.
    void setTransaction(TDbTransaction& tr);
    TDbTransaction& transaction() const { return *FTransaction; }

    // Parameters, by name without the colon (any case). Unknown names throw
    // std::invalid_argument: that is a fault of the calling code.
    QStringList paramNames() const;
    bool hasParam(const QString& name) const;
    void setParam(const QString& name, int value);
    void setParam(const QString& name, qint64 value);
    void setParam(const QString& name, double value);
    void setParam(const QString& name, bool value); // 1 or 0
    void setParam(const QString& name, const QString& value);
    void setParam(const QString& name, const char* value)
    {
        setParam(name, QString::fromUtf8(value));
    }
    void setParam(const QString& name, TDateTime value);
    void setParam(const QString& name, const QByteArray& blob);
    void setNull(const QString& name);
    // A '?' written in the text, by its position among all parameters.
    void setParamAt(int index, const QVariant& value);
    void clearParams();

    // Prepares now (execute() does it when needed).
    void prepare();
    // Runs the statement. A select opens its cursor before the first row;
    // a statement with a single result row (RETURNING, EXECUTE PROCEDURE)
    // makes that row current at once.
    void execute();
    // execute() for selects, for readability at the call site.
    void open() { execute(); }
    // Moves to the next row of the open cursor; false (and closed) at the end.
    bool next();
    bool isOpen() const { return FCursor != nullptr; }
    bool hasRow() const { return FHasRow; }
    void close();
    // Rows changed by the last execution of an insert, update or delete.
    qint64 rowsAffected();
    // Whether the prepared statement is a select (has a cursor).
    bool isSelect();

    // The current row.
    int fieldCount() const { return static_cast<int>(FFields.size()); }
    QString fieldName(int index) const;
    int fieldIndex(const QString& name) const; // -1 when there is none
    TDbField field(const QString& name) const;
    TDbField field(int index) const;
    bool isNull(const QString& name) const;

    // Blob columns of sub-type -15 arrive as stored (compressed) when false.
    void setBlobFilter(bool on) { FBlobFilter = on; }

private:
    friend class TDbField;
    friend class TDbConnection;
    struct Value
    {
        enum Kind
        {
            Null,
            Int,
            Double,
            Text,
            Time,
            Bytes,
            Unset
        } kind = Unset;
        qint64 i = 0;
        double d = 0;
        QString s;
        QByteArray b;
        TDateTime t;
    };
    struct Column
    {
        QString name;
        unsigned type;
        int subType;
        unsigned length;
        int scale;
        unsigned charSet;
        unsigned offset;
        unsigned nullOffset;
    };
    Value& slot(const QString& name);
    void unprepare();
    void releaseHandles();
    void buildInput();
    void writeBlob(const QByteArray& data, ISC_QUAD* quad);
    QByteArray readBlob(const Column& c) const;
    const Column& column(int index) const;
    [[noreturn]] void truncation(const Column& c, qsizetype actual) const;

    TDbConnection* FConnection;
    TDbTransaction* FTransaction;
    QString FSql;
    TMappedSql FMapped;
    QStringList FUniqueNames;
    std::vector<Value> FValues; // per unique name, then per unnamed '?'
    std::vector<int> FSlotOfPosition;
    Firebird::IStatement* FStatement = nullptr;
    unsigned FStatementType = 0;
    Firebird::IMessageMetadata* FInDeclared = nullptr;
    std::vector<Column> FInColumns;
    Firebird::IMessageMetadata* FInMeta = nullptr;
    std::vector<unsigned> FInSignature;
    std::vector<unsigned char> FInBuffer;
    Firebird::IMessageMetadata* FOutMeta = nullptr;
    std::vector<Column> FFields;
    QHash<QString, int> FFieldIndex;
    std::vector<unsigned char> FOutBuffer;
    Firebird::IResultSet* FCursor = nullptr;
    bool FHasRow = false;
    bool FBlobFilter = true;
};

// A column of the current row.
class TDbField
{
public:
    bool isNull() const;
    int asInt() const;
    qint64 asInt64() const;
    double asDouble() const;
    bool asBool() const; // only the value 1 is true
    QString asString() const;
    TDateTime asDateTime() const;
    QByteArray asBytes() const; // blob contents, or the raw bytes of a text
    QVariant value() const;     // null QVariant for NULL
    const QString& name() const;
    // Declared character length of a text column (0 for other types).
    int charLength() const;

private:
    friend class TDbQuery;
    TDbField(const TDbQuery* q, int index) : Q(q), I(index) {}
    const unsigned char* data() const;
    const TDbQuery* Q;
    int I;
};
