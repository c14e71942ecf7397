#include "DbError.h"

TFIBErrorKind ClassifyDbError(int sqlCode, int64_t gdsCode)
{
    if (sqlCode == -836)
        return keException;
    if (sqlCode == -530 && gdsCode == fbcode::ForeignKey)
        return keForeignKey;
    // 335544856 (the attachment was shut down under us) is as much a lost
    // connection as a broken network; without it the user would read a
    // generic error and keep working on a dead connection.
    if (gdsCode == fbcode::ShutdownDatabase || (gdsCode >= 335544722 && gdsCode <= 335544727) ||
        gdsCode == 335544741 || gdsCode == fbcode::ShutdownConnection ||
        (sqlCode == -902 && gdsCode == fbcode::NetworkError))
        return keLostConnect;
    if (sqlCode == -551)
        return keSecurity;
    if (sqlCode == -297)
        return keCheck;
    if (sqlCode == -803 && (gdsCode == fbcode::NoDup || gdsCode == fbcode::UniqueKey))
        return keUniqueViolation;
    return keOther;
}

QString DbErrorKindText(TFIBErrorKind kind, const QString& message)
{
    switch (kind) {
    case keNoError:
        return QString();
    case keException:
        return QStringLiteral("ユーザー定義例外: ") + message;
    case keForeignKey:
        return QStringLiteral("外部キー違反です。");
    case keLostConnect:
        return QStringLiteral("DBとの接続が途切れました。");
    case keSecurity:
        return QStringLiteral("権限がありません。");
    case keCheck:
        return QStringLiteral("CHECK違反: ") + message;
    case keUniqueViolation:
        return QStringLiteral("キーが重複しています。");
    case keOther:
        return QStringLiteral("エラーが発生しました: ") + message;
    }
    return QStringLiteral("不明な例外が発生しました: ") + message;
}

QString DbErrorDisplayText(TFIBErrorKind kind, const QString& message, int64_t gdsCode)
{
    return DbErrorKindText(kind, message) + QStringLiteral("\r\nCODE:") + QString::number(gdsCode);
}

EDatabaseError::EDatabaseError(TFIBErrorKind kind, int64_t gdsCode, int sqlCode,
                               const QString& message)
    : std::runtime_error(message.toStdString()), FKind(kind), FGdsCode(gdsCode), FSqlCode(sqlCode),
      FMessage(message)
{}

EDatabaseError EDatabaseError::fromCodes(int64_t gdsCode, int sqlCode, const QString& message)
{
    return EDatabaseError(ClassifyDbError(sqlCode, gdsCode), gdsCode, sqlCode, message);
}
