#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

// The kinds every database error is sorted into before the user sees it.
enum TFIBErrorKind
{
    keNoError,
    keException,
    keForeignKey,
    keLostConnect,
    keSecurity,
    keCheck,
    keUniqueViolation,
    keOther
};

// Sorts an error by its SQLCODE and the first Firebird error code of its status
// vector. Pure, so the table can be tested without a database.
TFIBErrorKind ClassifyDbError(int sqlCode, int64_t gdsCode);

// The Japanese text for a kind; message is the database's own text, appended
// for the kinds whose text carries it.
QString DbErrorKindText(TFIBErrorKind kind, const QString& message);

// What the error box shows: the kind's text, CR LF, "CODE:" and the code.
QString DbErrorDisplayText(TFIBErrorKind kind, const QString& message, int64_t gdsCode);

// A database error as it leaves the database layer, after the error hook has
// shown it (when the connection has a hook).
class EDatabaseError : public std::runtime_error
{
public:
    EDatabaseError(TFIBErrorKind kind, int64_t gdsCode, int sqlCode, const QString& message);
    // An error classified from its codes.
    static EDatabaseError fromCodes(int64_t gdsCode, int sqlCode, const QString& message);

    TFIBErrorKind kind() const { return FKind; }
    int64_t gdsCode() const { return FGdsCode; }
    int sqlCode() const { return FSqlCode; }
    // The database's (or the layer's) own text, lines separated by "\n".
    const QString& message() const { return FMessage; }
    QString displayText() const { return DbErrorDisplayText(FKind, FMessage, FGdsCode); }

private:
    TFIBErrorKind FKind;
    int64_t FGdsCode;
    int FSqlCode;
    QString FMessage;
};

// Firebird error codes the program refers to by name.
namespace fbcode {
constexpr int64_t ArithExcept = 335544321; // numeric overflow, string truncation
constexpr int64_t BadDbHandle = 335544324; // no active connection
constexpr int64_t ForeignKey = 335544466;
constexpr int64_t UniqueKey = 335544665;
constexpr int64_t NoDup = 335544349;
constexpr int64_t UserException = 335544517;
constexpr int64_t NoPriv = 335544352;
constexpr int64_t CheckConstraint = 335544558;
constexpr int64_t NetworkError = 335544721;
constexpr int64_t ShutdownConnection = 335544856;
constexpr int64_t ShutdownDatabase = 335544528;
} // namespace fbcode
