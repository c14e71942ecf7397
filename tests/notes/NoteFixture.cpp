#include "NoteFixture.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {
QtMessageHandler previousHandler = nullptr;

// The headless platform cannot stack or blend windows and says so at every
// raise, lower and opacity change; that is the platform, not the note.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type == QtWarningMsg && msg.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (previousHandler)
        previousHandler(type, context, msg);
}
} // namespace

NoteFixture::NoteFixture()
{
    if (!previousHandler)
        previousHandler = qInstallMessageHandler(quietPlatform);
    P.setNow(TDateTime::fromQDateTime(QDateTime::currentDateTime()));
    // No clipboard text unless a test puts some there.
    P.clipboardText.clear();
    types.Reload(db());
    groups.Load();
}

NoteFixture::~NoteFixture()
{
    FDesktop.reset();
    settle();
}

TDesktop& NoteFixture::desktop()
{
    if (!FDesktop)
        FDesktop = std::make_unique<TDesktop>(db(), settings, types, groups, icons, timer);
    return *FDesktop;
}

void NoteFixture::addGroup(int32_t id, const QString& label, bool visible, uint32_t bgColor,
                           int iconNum)
{
    db().BeginWork();
    TDbQuery q(
        db().UpdateTransaction(),
        QStringList{
            QStringLiteral("insert into FusenGroup (IDKEY, LABEL, BGCOLOR, ICONNUM, VISIBLE)"),
            QStringLiteral("values (:IDKEY, :LABEL, :BGCOLOR, :ICONNUM, :VISIBLE)")});
    q.setParam(QStringLiteral("IDKEY"), static_cast<int>(id));
    q.setParam(QStringLiteral("LABEL"), label);
    if (bgColor)
        q.setParam(QStringLiteral("BGCOLOR"), static_cast<int>(bgColor));
    else
        q.setNull(QStringLiteral("BGCOLOR"));
    q.setParam(QStringLiteral("ICONNUM"), iconNum);
    q.setParam(QStringLiteral("VISIBLE"), visible);
    q.execute();
    db().CommitWork();
    groups.Load();
}

void NoteFixture::setGroupVisible(int32_t id, bool visible)
{
    D.exec({QStringLiteral("update FusenGroup set VISIBLE=%1 where IDKEY=%2")
                .arg(visible ? 1 : 0)
                .arg(id)});
    groups.Load();
}

int32_t NoteFixture::constType(int p)
{
    const int32_t id = 100 + p;
    if (types.indexOfID(id) >= 0)
        return id;
    D.exec(
        {QStringLiteral("insert into FusenType (IDKEY, LABEL, INITVAL, SSPAN, SVAL, EVAL, "
                        "ESPAN, CLOSEVAL, TEXTCOLOR, BGCOLOR, HTEXTCOLOR, LINKCOLOR, R, G, B)"),
         QStringLiteral("values (%1, 'P%2', 1, 0, 1, 1, 0, %2, 0, 12648447, 0, 16711680, 1, 1, 0)")
             .arg(id)
             .arg(p)});
    types.Reload(db());
    return id;
}

int32_t NoteFixture::addNote(const Note& n)
{
    const int32_t id = db().NextFusenID();
    db().BeginWork();
    TDbQuery q(
        db().UpdateTransaction(),
        QStringList{
            QStringLiteral("insert into Fusen (IDKEY, USERID, FTYPE, FGROUP, TITLE, MEMO,"),
            QStringLiteral("STIME, ETIME, P_TOP, P_LEFT, P_WIDTH, P_HEIGHT, ANCHOR, COMPLETED)"),
            QStringLiteral("values (:IDKEY, :USERID, :FTYPE, :FGROUP, :TITLE, :MEMO,"),
            QStringLiteral(
                ":STIME, :ETIME, :P_TOP, :P_LEFT, :P_WIDTH, :P_HEIGHT, :ANCHOR, :COMPLETED)")});
    q.setParam(QStringLiteral("IDKEY"), static_cast<int>(id));
    q.setParam(QStringLiteral("USERID"), n.user);
    q.setParam(QStringLiteral("FTYPE"), static_cast<int>(n.type));
    q.setParam(QStringLiteral("FGROUP"), static_cast<int>(n.group));
    q.setParam(QStringLiteral("TITLE"), n.title);
    q.setParam(QStringLiteral("MEMO"), n.memo);
    q.setParam(QStringLiteral("STIME"),
               TDateTime::fromQDateTime(QDateTime::currentDateTime()).addDays(-n.startDaysAgo));
    q.setParam(QStringLiteral("ETIME"), n.etime);
    q.setParam(QStringLiteral("P_TOP"), n.bounds.y());
    q.setParam(QStringLiteral("P_LEFT"), n.bounds.x());
    q.setParam(QStringLiteral("P_WIDTH"), n.bounds.width());
    q.setParam(QStringLiteral("P_HEIGHT"), n.bounds.height());
    q.setParam(QStringLiteral("ANCHOR"), n.anchor);
    q.setParam(QStringLiteral("COMPLETED"), n.completed);
    q.execute();
    db().CommitWork();
    return id;
}

int32_t NoteFixture::addNote(const QString& title, int p, int32_t group, double startDaysAgo)
{
    Note n;
    n.title = title;
    n.type = constType(p);
    n.group = group;
    n.startDaysAgo = startDaysAgo;
    return addNote(n);
}

void NoteFixture::setNoteType(int32_t id, int32_t type)
{
    D.exec({QStringLiteral("update Fusen set FTYPE=%1 where IDKEY=%2").arg(type).arg(id)});
}

QString NoteFixture::column(int32_t id, const QString& name)
{
    return D.scalar({QStringLiteral("select %1 from Fusen where IDKEY=%2").arg(name).arg(id)});
}

int NoteFixture::count(const QString& where)
{
    return D.scalar({QStringLiteral("select count(*) from Fusen ") + where}).toInt();
}

QList<int32_t> NoteFixture::openKeys()
{
    QList<int32_t> keys;
    for (TFusenForm* w : desktop().notes())
        keys << w->FIDKey;
    return keys;
}

namespace {
QWidget* targetAt(TFusenForm* w, QPoint p)
{
    QWidget* c = w->childAt(p);
    return c ? c : w;
}

void send(QWidget* target, QEvent::Type type, QPoint globalPos, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    const QPointF local = target->mapFromGlobal(QPointF(globalPos));
    QMouseEvent e(type, local, QPointF(globalPos), button, buttons, mods);
    QApplication::sendEvent(target, &e);
}
} // namespace

void NoteFixture::press(TFusenForm* w, QPoint p, Qt::KeyboardModifiers mods, Qt::MouseButton button)
{
    send(targetAt(w, p), QEvent::MouseButtonPress, w->mapToGlobal(p), button, button, mods);
}

void NoteFixture::moveTo(TFusenForm*, QWidget* target, QPoint globalPos, Qt::MouseButtons buttons,
                         Qt::KeyboardModifiers mods)
{
    send(target, QEvent::MouseMove, globalPos, Qt::NoButton, buttons, mods);
}

void NoteFixture::release(TFusenForm*, QWidget* target, QPoint globalPos)
{
    send(target, QEvent::MouseButtonRelease, globalPos, Qt::LeftButton, Qt::NoButton,
         Qt::NoModifier);
}

void NoteFixture::drag(TFusenForm* w, QPoint p, QPoint delta, Qt::KeyboardModifiers mods)
{
    // The control pressed keeps every move until the release, as a real
    // pointer grab does, however far the window goes meanwhile.
    QWidget* target = targetAt(w, p);
    const QPoint start = w->mapToGlobal(p);
    send(target, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, mods);
    moveTo(w, target, start + delta / 2, Qt::LeftButton, mods);
    moveTo(w, target, start + delta, Qt::LeftButton, mods);
    release(w, target, start + delta);
}

void NoteFixture::pressBody(TFusenForm* w, QPoint viewportPos, Qt::MouseButton button)
{
    QWidget* vp = w->Body()->viewport();
    send(vp, QEvent::MouseButtonPress, vp->mapToGlobal(viewportPos), button, button,
         Qt::NoModifier);
    send(vp, QEvent::MouseButtonRelease, vp->mapToGlobal(viewportPos), button, Qt::NoButton,
         Qt::NoModifier);
}

QPoint NoteFixture::charPoint(TFusenForm* w, int pos)
{
    QTextEdit* body = w->Body();
    QTextCursor c(body->document());
    c.setPosition(pos);
    const QRect before = body->cursorRect(c);
    c.setPosition(pos + 1);
    QRect after = body->cursorRect(c);
    if (after.y() != before.y()) // the character ends its line
        after = before.translated(6, 0);
    return QPoint((before.x() + after.x()) / 2, before.center().y());
}

void NoteFixture::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
