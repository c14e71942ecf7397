#include "DbConnection.h"

#include "BlobCodec.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

using namespace Firebird;

namespace {
// Blob segments stay well under the protocol's 16-bit segment length: over a
// network longer segments are silently cut, and long reads hang the client.
constexpr unsigned BlobChunk = 32768;

unsigned bytesPerChar(unsigned charSet)
{
    switch (charSet & 0xFF) {
    case 3: // UNICODE_FSS
        return 3;
    case 4: // UTF8
        return 4;
    case 5: // SJIS_0208
    case 6: // EUCJ_0208
        return 2;
    default:
        return 1;
    }
}

bool isText(unsigned type)
{
    return type == SQL_TEXT || type == SQL_VARYING;
}

qsizetype codePoints(const QString& s)
{
    qsizetype n = 0;
    for (const QChar c : s)
        if (!c.isLowSurrogate())
            ++n;
    return n;
}

double pow10(int scale)
{
    return std::pow(10.0, scale);
}

TDateTime fromTimestamp(ISC_DATE date, ISC_TIME time)
{
    TDateTime::FbTimestamp ts;
    ts.date = date;
    ts.time = time;
    return TDateTime::fromFbTimestamp(ts);
}

EDatabaseError noConnection()
{
    return EDatabaseError::fromCodes(
        fbcode::BadDbHandle, -904,
        QStringLiteral("invalid database handle (no active connection)"));
}
} // namespace

// ---------------------------------------------------------------------------

QString TDbParams::attachName() const
{
    return server.isEmpty() ? database : server + u':' + database;
}

// ---------------------------------------------------------------------------

TDbConnection::TDbConnection() = default;

TDbConnection::~TDbConnection()
{
    disconnect();
    for (TDbQuery* q : FQueries)
        q->FConnection = nullptr;
    for (TDbTransaction* t : FTransactions)
        t->FConnection = nullptr;
    FStatus.reset();
    if (FRawStatus)
        FRawStatus->dispose();
}

TFbClient& TDbConnection::loadClient(const QString& library)
{
    TFbClient* c = nullptr;
    try {
        c = &TFbClient::load(library);
    } catch (const EDatabaseError& e) {
        raise(e);
    }
    if (c != FClient) {
        FStatus.reset();
        if (FRawStatus)
            FRawStatus->dispose();
        FClient = c;
        FRawStatus = c->master()->getStatus();
        FStatus = std::make_unique<TFbStatus>(FRawStatus);
    }
    return *c;
}

void TDbConnection::connect(const TDbParams& params)
{
    attach(params, false, 0);
}

void TDbConnection::create(const TDbParams& params, int pageSize)
{
    attach(params, true, pageSize);
}

void TDbConnection::attach(const TDbParams& params, bool create, int pageSize)
{
    disconnect();
    TFbClient& c = loadClient(params.clientLibrary);
    FParams = params;
    TFbStatus& st = *FStatus;
    IXpbBuilder* dpb = c.util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    check(st);
    auto str = [&](unsigned char tag, const QString& v) {
        if (!v.isEmpty())
            dpb->insertString(&st, tag, v.toUtf8().constData());
    };
    str(isc_dpb_user_name, params.userName);
    str(isc_dpb_password, params.password);
    str(isc_dpb_sql_role_name, params.roleName);
    str(isc_dpb_lc_ctype, params.charSet);
    dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    if (params.server.isEmpty()) {
        // Otherwise the loopback provider reaches a local server when the
        // engine cannot open the file, under that server's rules.
        dpb->insertString(&st, isc_dpb_config, "Providers=Engine12");
    }
    if (create) {
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        str(isc_dpb_set_db_charset, params.charSet);
    }
    if (failed(st)) {
        const EDatabaseError e = [&] {
            return EDatabaseError::fromCodes(0, 0, c.formatStatus(&st));
        }();
        dpb->dispose();
        raise(e);
    }
    const QByteArray name =
        params.server.isEmpty() ? QFile::encodeName(params.database) : params.attachName().toUtf8();
    TFbSignalGuard signalGuard; // the first attachment starts the engine
    IAttachment* att =
        create ? c.provider()->createDatabase(&st, name.constData(), dpb->getBufferLength(&st),
                                              dpb->getBuffer(&st))
               : c.provider()->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st),
                                              dpb->getBuffer(&st));
    if (failed(st)) {
        dpb->dispose();
        raiseStatus(st);
    }
    dpb->dispose();
    FAttachment = att;
    TFbClient::attached();
}

void TDbConnection::disconnect()
{
    if (!FAttachment)
        return;
    for (TDbQuery* q : FQueries)
        q->releaseHandles();
    for (TDbTransaction* t : FTransactions)
        t->drop();
    TFbStatus& st = *FStatus;
    FAttachment->detach(&st);
    if (failed(st))
        FAttachment->release();
    FAttachment = nullptr;
}

void TDbConnection::executeImmediate(TDbTransaction& tr, const QString& sql)
{
    if (!FAttachment)
        raise(noConnection());
    if (!tr.isActive())
        tr.start();
    TFbStatus& st = *FStatus;
    const QByteArray text = sql.toUtf8();
    FAttachment->execute(&st, tr.handle(), text.size(), text.constData(), 3, nullptr, nullptr,
                         nullptr, nullptr);
    check(st);
}

void TDbConnection::raise(const EDatabaseError& e)
{
    if (FReporter)
        FReporter(e);
    throw e;
}

void TDbConnection::raiseStatus(TFbStatus& st)
{
    const intptr_t* v = st.getErrors();
    const int64_t gds = (v && v[0] == isc_arg_gds) ? v[1] : 0;
    const int sqlCode = FClient ? FClient->sqlCode(v) : 0;
    const QString text = FClient ? FClient->formatStatus(&st) : QString();
    st.init();
    raise(EDatabaseError::fromCodes(gds, sqlCode, text));
}

int64_t TDbConnection::attachmentId()
{
    TDbTransaction tr(*this, TDbTransaction::Mode::NoWait);
    TDbQuery q(tr, {QStringLiteral("select current_connection from rdb$database")});
    q.open();
    q.next();
    const int64_t id = q.field(0).asInt64();
    q.close();
    tr.commit();
    return id;
}

// ---------------------------------------------------------------------------

TDbTransaction::TDbTransaction(TDbConnection& connection, Mode mode)
    : FConnection(&connection), FMode(mode)
{
    FConnection->FTransactions.insert(this);
}

TDbTransaction::~TDbTransaction()
{
    if (!FConnection)
        return;
    drop();
    FConnection->FTransactions.erase(this);
}

void TDbTransaction::start()
{
    if (!FConnection)
        throw std::logic_error("transaction outlived its connection");
    if (FTransaction)
        return;
    if (!FConnection->isConnected())
        FConnection->raise(noConnection());
    TFbStatus& st = FConnection->status();
    IXpbBuilder* tpb =
        FConnection->client().util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
    FConnection->check(st);
    tpb->insertTag(&st, isc_tpb_write);
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, FMode == Mode::NoWait ? isc_tpb_nowait : isc_tpb_wait);
    ITransaction* t = FConnection->handle()->startTransaction(&st, tpb->getBufferLength(&st),
                                                              tpb->getBuffer(&st));
    tpb->dispose();
    FConnection->check(st);
    FTransaction = t;
}

void TDbTransaction::commit()
{
    if (!FTransaction)
        return;
    TFbStatus& st = FConnection->status();
    FTransaction->commit(&st);
    FConnection->check(st); // still active on failure: the caller may roll back
    FTransaction = nullptr;
}

void TDbTransaction::rollback()
{
    if (!FTransaction)
        return;
    TFbStatus& st = FConnection->status();
    FTransaction->rollback(&st);
    if (failed(st)) {
        // Nothing more can be done with it (the connection is gone).
        FTransaction->release();
        FTransaction = nullptr;
        FConnection->raiseStatus(st);
    }
    FTransaction = nullptr;
}

void TDbTransaction::commitRetaining()
{
    if (!FTransaction)
        return;
    TFbStatus& st = FConnection->status();
    FTransaction->commitRetaining(&st);
    FConnection->check(st);
}

void TDbTransaction::rollbackRetaining()
{
    if (!FTransaction)
        return;
    TFbStatus& st = FConnection->status();
    FTransaction->rollbackRetaining(&st);
    FConnection->check(st);
}

void TDbTransaction::execute(const QString& sql)
{
    if (!FConnection)
        throw std::logic_error("transaction outlived its connection");
    FConnection->executeImmediate(*this, sql);
}

void TDbTransaction::drop()
{
    if (!FTransaction)
        return;
    TFbStatus& st = FConnection->status();
    FTransaction->rollback(&st);
    if (failed(st)) {
        FTransaction->release();
        st.init();
    }
    FTransaction = nullptr;
}

// ---------------------------------------------------------------------------

TDbQuery::TDbQuery(TDbTransaction& tr) : FConnection(&tr.connection()), FTransaction(&tr)
{
    FConnection->FQueries.insert(this);
}

TDbQuery::TDbQuery(TDbTransaction& tr, const QStringList& sqlLines) : TDbQuery(tr)
{
    setSQL(sqlLines);
}

TDbQuery::~TDbQuery()
{
    if (!FConnection)
        return;
    releaseHandles();
    FConnection->FQueries.erase(this);
}

void TDbQuery::setSQL(const QStringList& lines)
{
    setSQL(lines.join(u'\n'));
}

void TDbQuery::setSQL(const QString& text)
{
    unprepare();
    FSql = text;
    FMapped = MapNamedParams(text);
    FUniqueNames.clear();
    FSlotOfPosition.clear();
    int unnamed = 0;
    for (const QString& n : std::as_const(FMapped.names))
        if (!n.isEmpty() && !FUniqueNames.contains(n))
            FUniqueNames << n;
    for (const QString& n : std::as_const(FMapped.names))
        FSlotOfPosition.push_back(n.isEmpty() ? static_cast<int>(FUniqueNames.size()) + unnamed++
                                              : static_cast<int>(FUniqueNames.indexOf(n)));
    FValues.assign(FUniqueNames.size() + unnamed, Value());
}

void TDbQuery::setTransaction(TDbTransaction& tr)
{
    if (&tr.connection() != FConnection)
        throw std::invalid_argument("transaction of another connection");
    close();
    FTransaction = &tr;
}

QStringList TDbQuery::paramNames() const
{
    return FUniqueNames;
}

bool TDbQuery::hasParam(const QString& name) const
{
    return FUniqueNames.contains(name.toUpper());
}

TDbQuery::Value& TDbQuery::slot(const QString& name)
{
    const qsizetype i = FUniqueNames.indexOf(name.toUpper());
    if (i < 0)
        throw std::invalid_argument("no parameter " + name.toStdString() +
                                    " in: " + FSql.toStdString());
    return FValues[static_cast<size_t>(i)];
}

void TDbQuery::setParam(const QString& name, int value)
{
    setParam(name, static_cast<qint64>(value));
}

void TDbQuery::setParam(const QString& name, qint64 value)
{
    Value& v = slot(name);
    v.kind = Value::Int;
    v.i = value;
}

void TDbQuery::setParam(const QString& name, double value)
{
    Value& v = slot(name);
    v.kind = Value::Double;
    v.d = value;
}

void TDbQuery::setParam(const QString& name, bool value)
{
    setParam(name, static_cast<qint64>(value ? 1 : 0));
}

void TDbQuery::setParam(const QString& name, const QString& value)
{
    Value& v = slot(name);
    v.kind = Value::Text;
    v.s = value;
}

void TDbQuery::setParam(const QString& name, TDateTime value)
{
    Value& v = slot(name);
    v.kind = Value::Time;
    v.t = value;
}

void TDbQuery::setParam(const QString& name, const QByteArray& blob)
{
    Value& v = slot(name);
    v.kind = Value::Bytes;
    v.b = blob;
}

void TDbQuery::setNull(const QString& name)
{
    slot(name).kind = Value::Null;
}

void TDbQuery::setParamAt(int index, const QVariant& value)
{
    if (index < 0 || index >= static_cast<int>(FSlotOfPosition.size()))
        throw std::invalid_argument("parameter index out of range");
    Value& v = FValues[static_cast<size_t>(FSlotOfPosition[static_cast<size_t>(index)])];
    v = Value();
    if (value.isNull()) {
        v.kind = Value::Null;
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
        v.kind = Value::Int;
        v.i = value.toLongLong();
        break;
    case QMetaType::Bool:
        v.kind = Value::Int;
        v.i = value.toBool() ? 1 : 0;
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        v.kind = Value::Double;
        v.d = value.toDouble();
        break;
    case QMetaType::QByteArray:
        v.kind = Value::Bytes;
        v.b = value.toByteArray();
        break;
    case QMetaType::QDateTime:
        v.kind = Value::Time;
        v.t = TDateTime::fromQDateTime(value.toDateTime());
        break;
    default:
        v.kind = Value::Text;
        v.s = value.toString();
    }
}

void TDbQuery::clearParams()
{
    for (Value& v : FValues)
        v = Value();
}

void TDbQuery::prepare()
{
    if (!FConnection)
        throw std::logic_error("query outlived its connection");
    if (FStatement)
        return;
    if (!FConnection->isConnected())
        FConnection->raise(noConnection());
    if (!FTransaction->isActive())
        FTransaction->start();
    TFbStatus& st = FConnection->status();
    const QByteArray text = FMapped.sql.toUtf8();
    IStatement* s =
        FConnection->handle()->prepare(&st, FTransaction->handle(), text.size(), text.constData(),
                                       3, IStatement::PREPARE_PREFETCH_METADATA);
    FConnection->check(st);
    FStatement = s;
    FStatementType = s->getType(&st);
    FInDeclared = s->getInputMetadata(&st);
    FOutMeta = s->getOutputMetadata(&st);
    FConnection->check(st);

    auto columns = [&](IMessageMetadata* m, std::vector<Column>& out) {
        out.clear();
        const unsigned n = m->getCount(&st);
        for (unsigned i = 0; i < n; ++i) {
            Column c;
            const char* alias = m->getAlias(&st, i);
            c.name = QString::fromUtf8(alias && *alias ? alias : m->getField(&st, i));
            c.type = m->getType(&st, i) & ~1u;
            c.subType = m->getSubType(&st, i);
            c.length = m->getLength(&st, i);
            c.scale = m->getScale(&st, i);
            c.charSet = m->getCharSet(&st, i);
            c.offset = m->getOffset(&st, i);
            c.nullOffset = m->getNullOffset(&st, i);
            out.push_back(c);
        }
    };
    columns(FInDeclared, FInColumns);
    columns(FOutMeta, FFields);
    FConnection->check(st);
    if (FInColumns.size() != static_cast<size_t>(FMapped.names.size())) {
        // The mapper and the engine disagree on the parameters: a statement
        // shape the mapper does not know. Safer to stop than to bind wrongly.
        const QString sql = FSql;
        unprepare();
        throw std::logic_error("parameter count mismatch in: " + sql.toStdString());
    }
    FFieldIndex.clear();
    for (int i = static_cast<int>(FFields.size()) - 1; i >= 0; --i)
        FFieldIndex.insert(FFields[static_cast<size_t>(i)].name.toUpper(), i);
    FOutBuffer.assign(FOutMeta->getMessageLength(&st), 0);
    FInSignature.clear();
}

void TDbQuery::unprepare()
{
    close();
    FHasRow = false;
    if (FInMeta) {
        FInMeta->release();
        FInMeta = nullptr;
    }
    if (FInDeclared) {
        FInDeclared->release();
        FInDeclared = nullptr;
    }
    if (FOutMeta) {
        FOutMeta->release();
        FOutMeta = nullptr;
    }
    if (FStatement) {
        TFbStatus& st = FConnection->status();
        FStatement->free(&st);
        if (failed(st)) {
            FStatement->release();
            st.init();
        }
        FStatement = nullptr;
    }
    FInColumns.clear();
    FFields.clear();
    FFieldIndex.clear();
    FInSignature.clear();
}

void TDbQuery::releaseHandles()
{
    unprepare();
}

void TDbQuery::truncation(const Column& c, qsizetype actual) const
{
    FConnection->raise(EDatabaseError::fromCodes(
        fbcode::ArithExcept, -802,
        QStringLiteral("arithmetic exception, numeric overflow, or string truncation\n"
                       "-string right truncation\n-expected length %1, actual %2")
            .arg(c.length / bytesPerChar(c.charSet))
            .arg(actual)));
}

void TDbQuery::buildInput()
{
    const size_t n = FInColumns.size();
    if (n == 0)
        return;
    struct Target
    {
        unsigned type, length, charSet;
        int subType, scale;
        QByteArray bytes; // text and blob contents
    };
    std::vector<Target> targets(n);
    std::vector<unsigned> signature;
    signature.reserve(n * 5);
    for (size_t i = 0; i < n; ++i) {
        const Column& d = FInColumns[i];
        const Value& v = FValues[static_cast<size_t>(FSlotOfPosition[i])];
        Target& t = targets[i];
        t = {d.type, d.length, d.charSet, d.subType, d.scale, {}};
        Value::Kind kind = v.kind == Value::Unset ? Value::Null : v.kind;
        if (kind != Value::Null && d.type == SQL_BLOB) {
            switch (kind) {
            case Value::Int:
                t.bytes = QByteArray::number(v.i);
                break;
            case Value::Double:
                t.bytes = QByteArray::number(v.d, 'g', 17);
                break;
            case Value::Time:
                t.bytes = v.t.toQDateTime().toString(Qt::ISODateWithMs).toUtf8();
                break;
            case Value::Text:
                t.bytes = v.s.toUtf8();
                break;
            default:
                t.bytes = v.b;
            }
        } else {
            switch (kind) {
            case Value::Null:
            case Value::Unset:
                break;
            case Value::Int:
                if (d.type == SQL_BOOLEAN) {
                    t.length = 1;
                } else {
                    t = {SQL_INT64, 8, 0, 0, 0, {}};
                }
                break;
            case Value::Double:
                t = {SQL_DOUBLE, 8, 0, 0, 0, {}};
                break;
            case Value::Time:
                t = {SQL_TIMESTAMP, 8, 0, 0, 0, {}};
                break;
            case Value::Text:
            case Value::Bytes: {
                QByteArray bytes = kind == Value::Text ? v.s.toUtf8() : v.b;
                if (isText(d.type)) {
                    // The engine only checks bytes, and a UNICODE_FSS column
                    // takes three per character: enforce the character count.
                    const qsizetype chars = kind == Value::Text
                                                ? codePoints(v.s)
                                                : static_cast<qsizetype>(bytes.size());
                    const unsigned limit = d.length / bytesPerChar(d.charSet);
                    if (chars > static_cast<qsizetype>(limit))
                        truncation(d, chars);
                    t = {SQL_VARYING, std::max(d.length, static_cast<unsigned>(bytes.size())),
                         d.charSet,   0,
                         0,           {}};
                } else {
                    unsigned len = 32;
                    while (len < static_cast<unsigned>(bytes.size()))
                        len *= 2;
                    t = {SQL_VARYING, len, kind == Value::Text ? 0u : 1u, 0, 0, {}};
                }
                t.bytes = std::move(bytes);
                break;
            }
            }
        }
        signature.insert(signature.end(),
                         {t.type, t.length, t.charSet, static_cast<unsigned>(t.subType),
                          static_cast<unsigned>(t.scale)});
    }

    TFbStatus& st = FConnection->status();
    if (!FInMeta || signature != FInSignature) {
        if (FInMeta) {
            FInMeta->release();
            FInMeta = nullptr;
        }
        IMetadataBuilder* b = FInDeclared->getBuilder(&st);
        FConnection->check(st);
        for (unsigned i = 0; i < n; ++i) {
            const Target& t = targets[i];
            b->setType(&st, i, t.type | 1);
            b->setLength(&st, i, t.length);
            b->setCharSet(&st, i, t.charSet);
            b->setSubType(&st, i, t.subType);
            b->setScale(&st, i, t.scale);
        }
        IMessageMetadata* m = failed(st) ? nullptr : b->getMetadata(&st);
        b->release();
        FConnection->check(st);
        FInMeta = m;
        FInSignature = signature;
        FInBuffer.assign(FInMeta->getMessageLength(&st), 0);
    }

    for (unsigned i = 0; i < n; ++i) {
        const Value& v = FValues[static_cast<size_t>(FSlotOfPosition[i])];
        Target& t = targets[i];
        unsigned char* base = FInBuffer.data();
        const unsigned offset = FInMeta->getOffset(&st, i);
        auto* nullFlag = reinterpret_cast<short*>(base + FInMeta->getNullOffset(&st, i));
        if (v.kind == Value::Null || v.kind == Value::Unset) {
            *nullFlag = -1;
            continue;
        }
        *nullFlag = 0;
        unsigned char* p = base + offset;
        switch (t.type) {
        case SQL_INT64:
            std::memcpy(p, &v.i, 8);
            break;
        case SQL_DOUBLE:
            std::memcpy(p, &v.d, 8);
            break;
        case SQL_BOOLEAN:
            *p = v.i != 0 ? 1 : 0;
            break;
        case SQL_TIMESTAMP: {
            const TDateTime::FbTimestamp ts = v.t.toFbTimestamp();
            ISC_TIMESTAMP x;
            x.timestamp_date = ts.date;
            x.timestamp_time = ts.time;
            std::memcpy(p, &x, sizeof x);
            break;
        }
        case SQL_VARYING: {
            const auto len = static_cast<unsigned short>(t.bytes.size());
            std::memcpy(p, &len, 2);
            std::memcpy(p + 2, t.bytes.constData(), len);
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD quad;
            const bool compress = FBlobFilter && t.subType == CompressedBlobSubType;
            writeBlob(compress ? CompressBlob(t.bytes) : t.bytes, &quad);
            std::memcpy(p, &quad, sizeof quad);
            break;
        }
        default:
            throw std::logic_error("unsupported parameter type");
        }
    }
}

void TDbQuery::writeBlob(const QByteArray& data, ISC_QUAD* quad)
{
    TFbStatus& st = FConnection->status();
    IBlob* blob = FConnection->handle()->createBlob(&st, FTransaction->handle(), quad, 0, nullptr);
    FConnection->check(st);
    for (qsizetype pos = 0; pos < data.size(); pos += BlobChunk) {
        const auto len = static_cast<unsigned>(std::min<qsizetype>(BlobChunk, data.size() - pos));
        blob->putSegment(&st, len, data.constData() + pos);
        if (failed(st)) {
            const intptr_t* v = st.getErrors();
            const EDatabaseError e = EDatabaseError::fromCodes(
                v[0] == isc_arg_gds ? v[1] : 0, FConnection->client().sqlCode(v),
                FConnection->client().formatStatus(&st));
            st.init();
            blob->cancel(&st);
            if (failed(st))
                blob->release();
            st.init();
            FConnection->raise(e);
        }
    }
    blob->close(&st);
    if (failed(st)) {
        blob->release();
        FConnection->raiseStatus(st);
    }
}

QByteArray TDbQuery::readBlob(const Column& c) const
{
    ISC_QUAD quad;
    std::memcpy(&quad, FOutBuffer.data() + c.offset, sizeof quad);
    TFbStatus& st = FConnection->status();
    IBlob* blob = FConnection->handle()->openBlob(&st, FTransaction->handle(), &quad, 0, nullptr);
    FConnection->check(st);
    QByteArray out;
    std::vector<char> buf(BlobChunk);
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, BlobChunk, buf.data(), &got);
        if (rc == IStatus::RESULT_OK || rc == IStatus::RESULT_SEGMENT) {
            out.append(buf.data(), got);
            continue;
        }
        if (rc == IStatus::RESULT_NO_DATA)
            break;
        const intptr_t* v = st.getErrors();
        const EDatabaseError e = EDatabaseError::fromCodes(v[0] == isc_arg_gds ? v[1] : 0,
                                                           FConnection->client().sqlCode(v),
                                                           FConnection->client().formatStatus(&st));
        st.init();
        blob->release();
        FConnection->raise(e);
    }
    blob->close(&st);
    if (failed(st)) {
        blob->release();
        FConnection->raiseStatus(st);
    }
    if (FBlobFilter && c.subType == CompressedBlobSubType) {
        std::optional<QByteArray> plain = DecompressBlob(out);
        if (!plain)
            FConnection->raise(EDatabaseError::fromCodes(
                0, 0,
                QStringLiteral("圧縮されたBLOB（%1）を展開できません。データが壊れています。")
                    .arg(c.name)));
        return *plain;
    }
    return out;
}

void TDbQuery::execute()
{
    if (!FConnection)
        throw std::logic_error("query outlived its connection");
    close();
    prepare();
    if (!FTransaction->isActive())
        FTransaction->start();
    buildInput();
    TFbStatus& st = FConnection->status();
    IMessageMetadata* inMeta = FInColumns.empty() ? nullptr : FInMeta;
    void* inBuf = FInColumns.empty() ? nullptr : FInBuffer.data();
    if (isSelect()) {
        IResultSet* rs =
            FStatement->openCursor(&st, FTransaction->handle(), inMeta, inBuf, FOutMeta, 0);
        FConnection->check(st);
        FCursor = rs;
        return;
    }
    const bool hasOut = !FFields.empty();
    FStatement->execute(&st, FTransaction->handle(), inMeta, inBuf, hasOut ? FOutMeta : nullptr,
                        hasOut ? FOutBuffer.data() : nullptr);
    FConnection->check(st);
    FHasRow = hasOut;
}

bool TDbQuery::isSelect()
{
    prepare();
    return FStatementType == isc_info_sql_stmt_select ||
           FStatementType == isc_info_sql_stmt_select_for_upd;
}

bool TDbQuery::next()
{
    if (!FCursor)
        return false;
    TFbStatus& st = FConnection->status();
    const int rc = FCursor->fetchNext(&st, FOutBuffer.data());
    if (rc == IStatus::RESULT_OK) {
        FHasRow = true;
        return true;
    }
    FHasRow = false;
    if (rc == IStatus::RESULT_NO_DATA) {
        close();
        return false;
    }
    const intptr_t* v = st.getErrors();
    const EDatabaseError e =
        EDatabaseError::fromCodes(v[0] == isc_arg_gds ? v[1] : 0, FConnection->client().sqlCode(v),
                                  FConnection->client().formatStatus(&st));
    st.init();
    FCursor->release();
    FCursor = nullptr;
    FConnection->raise(e);
}

void TDbQuery::close()
{
    if (FCursor) {
        TFbStatus& st = FConnection->status();
        FCursor->close(&st);
        if (failed(st)) {
            // e.g. the transaction already ended and took the cursor with it
            FCursor->release();
            st.init();
        }
        FCursor = nullptr;
    }
    FHasRow = false;
}

qint64 TDbQuery::rowsAffected()
{
    if (!FStatement)
        return 0;
    TFbStatus& st = FConnection->status();
    const ISC_UINT64 n = FStatement->getAffectedRecords(&st);
    FConnection->check(st);
    return static_cast<qint64>(n);
}

QString TDbQuery::fieldName(int index) const
{
    return column(index).name;
}

int TDbQuery::fieldIndex(const QString& name) const
{
    return FFieldIndex.value(name.toUpper(), -1);
}

const TDbQuery::Column& TDbQuery::column(int index) const
{
    if (index < 0 || index >= static_cast<int>(FFields.size()))
        throw std::invalid_argument("field index out of range");
    return FFields[static_cast<size_t>(index)];
}

TDbField TDbQuery::field(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw std::invalid_argument("no field " + name.toStdString() +
                                    " in: " + FSql.toStdString());
    return TDbField(this, i);
}

TDbField TDbQuery::field(int index) const
{
    column(index);
    return TDbField(this, index);
}

bool TDbQuery::isNull(const QString& name) const
{
    return field(name).isNull();
}

// ---------------------------------------------------------------------------

const unsigned char* TDbField::data() const
{
    return Q->FOutBuffer.data() + Q->column(I).offset;
}

const QString& TDbField::name() const
{
    return Q->column(I).name;
}

int TDbField::charLength() const
{
    const auto& c = Q->column(I);
    return isText(c.type) ? static_cast<int>(c.length / bytesPerChar(c.charSet)) : 0;
}

bool TDbField::isNull() const
{
    if (!Q->FHasRow)
        return true;
    short flag;
    std::memcpy(&flag, Q->FOutBuffer.data() + Q->column(I).nullOffset, 2);
    return flag != 0;
}

namespace {
template <typename T> T load(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
} // namespace

qint64 TDbField::asInt64() const
{
    if (isNull())
        return 0;
    const auto& c = Q->column(I);
    const unsigned char* p = data();
    switch (c.type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const qint64 raw = c.type == SQL_SHORT  ? load<int16_t>(p)
                           : c.type == SQL_LONG ? load<int32_t>(p)
                                                : load<int64_t>(p);
        return c.scale == 0 ? raw : qRound64(static_cast<double>(raw) * pow10(c.scale));
    }
    case SQL_FLOAT:
        return qRound64(static_cast<double>(load<float>(p)));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return qRound64(load<double>(p));
    case SQL_BOOLEAN:
        return *p ? 1 : 0;
    default:
        return asString().trimmed().toLongLong();
    }
}

int TDbField::asInt() const
{
    return static_cast<int>(asInt64());
}

double TDbField::asDouble() const
{
    if (isNull())
        return 0;
    const auto& c = Q->column(I);
    const unsigned char* p = data();
    switch (c.type) {
    case SQL_SHORT:
        return load<int16_t>(p) * pow10(c.scale);
    case SQL_LONG:
        return load<int32_t>(p) * pow10(c.scale);
    case SQL_INT64:
        return static_cast<double>(load<int64_t>(p)) * pow10(c.scale);
    case SQL_FLOAT:
        return load<float>(p);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return load<double>(p);
    case SQL_BOOLEAN:
        return *p ? 1 : 0;
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
        return asDateTime().value;
    default:
        return asString().trimmed().toDouble();
    }
}

bool TDbField::asBool() const
{
    if (isNull())
        return false;
    const auto& c = Q->column(I);
    if (c.type == SQL_BOOLEAN)
        return *data() != 0;
    if (c.type == SQL_FLOAT || c.type == SQL_DOUBLE || c.type == SQL_D_FLOAT)
        return asDouble() == 1.0;
    return asInt64() == 1;
}

QString TDbField::asString() const
{
    if (isNull())
        return QString();
    const auto& c = Q->column(I);
    const unsigned char* p = data();
    auto decode = [&](const char* s, qsizetype len) {
        return (c.charSet & 0xFF) == 1 ? QString::fromLatin1(s, len) : QString::fromUtf8(s, len);
    };
    switch (c.type) {
    case SQL_TEXT: {
        qsizetype len = c.length;
        const char* s = reinterpret_cast<const char*>(p);
        while (len > 0 && s[len - 1] == ' ')
            --len;
        return decode(s, len);
    }
    case SQL_VARYING:
        return decode(reinterpret_cast<const char*>(p + 2), load<uint16_t>(p));
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (c.scale < 0)
            return QString::number(asDouble(), 'f', -c.scale);
        return QString::number(asInt64());
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return QString::number(asDouble(), 'g', 17);
    case SQL_BOOLEAN:
        return *p ? QStringLiteral("1") : QStringLiteral("0");
    case SQL_TIMESTAMP:
        return asDateTime().toQDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    case SQL_TYPE_DATE:
        return asDateTime().toQDateTime().toString(QStringLiteral("yyyy-MM-dd"));
    case SQL_TYPE_TIME:
        return asDateTime().toQDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    case SQL_BLOB: {
        const QByteArray b = Q->readBlob(c);
        return decode(b.constData(), b.size());
    }
    default:
        return QString();
    }
}

TDateTime TDbField::asDateTime() const
{
    if (isNull())
        return TDateTime();
    const auto& c = Q->column(I);
    const unsigned char* p = data();
    switch (c.type) {
    case SQL_TIMESTAMP: {
        const auto ts = load<ISC_TIMESTAMP>(p);
        return fromTimestamp(ts.timestamp_date, ts.timestamp_time);
    }
    case SQL_TYPE_DATE:
        return fromTimestamp(load<ISC_DATE>(p), 0);
    case SQL_TYPE_TIME:
        return fromTimestamp(15018, load<ISC_TIME>(p));
    case SQL_TEXT:
    case SQL_VARYING:
        return TDateTime::fromQDateTime(QDateTime::fromString(asString(), Qt::ISODateWithMs));
    default:
        return TDateTime(asDouble());
    }
}

QByteArray TDbField::asBytes() const
{
    if (isNull())
        return QByteArray();
    const auto& c = Q->column(I);
    const unsigned char* p = data();
    switch (c.type) {
    case SQL_BLOB:
        return Q->readBlob(c);
    case SQL_VARYING:
        return QByteArray(reinterpret_cast<const char*>(p + 2), load<uint16_t>(p));
    case SQL_TEXT:
        return QByteArray(reinterpret_cast<const char*>(p), c.length);
    default:
        return asString().toUtf8();
    }
}

QVariant TDbField::value() const
{
    if (isNull())
        return QVariant();
    const auto& c = Q->column(I);
    switch (c.type) {
    case SQL_SHORT:
    case SQL_LONG:
        return c.scale == 0 ? QVariant(asInt()) : QVariant(asDouble());
    case SQL_INT64:
        return c.scale == 0 ? QVariant(asInt64()) : QVariant(asDouble());
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return asDouble();
    case SQL_BOOLEAN:
        return asBool();
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
        return asDateTime().toQDateTime();
    case SQL_BLOB:
        return c.subType == 1 ? QVariant(asString()) : QVariant(asBytes());
    default:
        return asString();
    }
}
