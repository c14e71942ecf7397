#include "Desktop.h"

#include "app/Settings.h"
#include "db/DBModFusen.h"
#include "notes/Fusen.h"
#include "platform/Platform.h"
#include "platform/TimerPause.h"
#include "types/FusenGroup.h"
#include "types/Priority.h"
#include "types/TypeList.h"

#include <QGuiApplication>
#include <QMenu>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace {

// Holds a flag false for a scope and puts back its previous value.
class FlagDown
{
public:
    explicit FlagDown(bool& flag) : FFlag(flag), FWas(flag) { FFlag = false; }
    ~FlagDown() { FFlag = FWas; }
    FlagDown(const FlagDown&) = delete;
    FlagDown& operator=(const FlagDown&) = delete;

private:
    bool& FFlag;
    bool FWas;
};

} // namespace

TDesktop::TDesktop(TdbmNotes& db, const TSettings& settings, const TTypeList& types,
                   const TFusenGroup& groups, const TGroupIcons& icons, QTimer& timer,
                   QObject* parent)
    : QObject(parent), FDB(db), FSettings(settings), FTypes(types), FGroups(groups), FIcons(icons),
      FTimer(timer), FWorkArea(platform::screens().primaryWorkArea())
{
    // Switching to another program saves what was typed, wherever it was.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state != Qt::ApplicationActive)
                        SaveChangedNotes();
                });
}

TDesktop::~TDesktop()
{
    CloseAllNotes();
    // Windows closed earlier may still wait for the event loop.
    for (const QPointer<TFusenForm>& w : std::as_const(FWindows))
        delete w.data();
}

TFusenForm* TDesktop::FindNote(int32_t id) const
{
    for (TFusenForm* w : FFusenList)
        if (w->FIDKey == id)
            return w;
    return nullptr;
}

TFusenForm* TDesktop::newNoteWindow()
{
    auto* w = new TFusenForm(*this);
    FFusenList << w;
    FWindows << QPointer<TFusenForm>(w);
    return w;
}

void TDesktop::RemoveNoteWindow(TFusenForm* note)
{
    TTimerPause pause(FTimer);
    FlagDown busy(FNotesReady);
    FFusenList.removeOne(note);
    FWindows.removeIf([](const QPointer<TFusenForm>& p) { return p.isNull(); });
}

// --- which notes are open ------------------------------------------------------

void TDesktop::LoadDesktopNotes(bool arrange, bool beep)
{
    TTimerPause pause(FTimer);
    FDB.BeginWork();
    FNotesReady = false;
    auto finish = [this] {
        FNotesReady = true;
        FDB.CommitWork();
    };
    try {
        int added = 0;
        TDbQuery q(FDB.UpdateTransaction(), DesktopSelectLines(FGroups));
        q.setParam(QStringLiteral("USERID"), FSettings.UserID);
        q.setParam(QStringLiteral("LOWPRIORITY"), FSettings.LowPriority);
        q.open();
        while (q.next()) {
            if (FFusenList.size() >= FSettings.FusenMax)
                break;
            const int32_t id = q.field(QStringLiteral("IDKEY")).asInt();
            if (StaysPeeledOff(FPeeledList, id, q.field(QStringLiteral("PRIORITY")).asInt()))
                continue;
            if (FindNote(id))
                continue;
            TFusenForm* w = newNoteWindow();
            ++added;
            w->LoadFromRow(q);
        }
        q.close();
        SortNotes();
        if (arrange) {
            if (FSettings.AlignType == 1)
                CascadeNotes(FSettings.Cascade, -1);
            else if (FSettings.AlignType == 2)
                TileNotes(FSettings.Tile, -1);
        }
        ShowNoteWindows();
        if (added > 0 && beep)
            platform::sound().beep();
    } catch (...) {
        try {
            finish();
        } catch (...) {
            // the first error is the one that propagates
        }
        throw;
    }
    finish();
}

TFusenForm* TDesktop::OpenNoteByKey(int32_t id)
{
    for (int i = FFusenList.size() - 1; i >= 0; --i) {
        TFusenForm* w = FFusenList[i];
        if (w->FIDKey == id) {
            w->BringToFront();
            return w;
        }
    }
    TTimerPause pause(FTimer);
    TFusenForm* w = nullptr;
    FDB.BeginWork();
    try {
        TDbQuery q(FDB.UpdateTransaction(), QStringList{QStringLiteral("select * from VW_Fusen"),
                                                        QStringLiteral("where IDKEY = :IDKEY")});
        q.setParam(QStringLiteral("IDKEY"), static_cast<int>(id));
        q.open();
        if (q.next()) {
            w = newNoteWindow();
            w->LoadFromRow(q);
            w->BringToFront();
            RemoveFirstPeeled(FPeeledList, id);
        }
        q.close();
    } catch (...) {
        FDB.CommitWork();
        throw;
    }
    FDB.CommitWork();
    return w;
}

void TDesktop::ReloadNotes()
{
    CloseAllNotes();
    try {
        LoadDesktopNotes(true, false);
    } catch (const EDatabaseError&) {
        // the database module's error hook has shown it
    }
}

void TDesktop::ShowNoteWindows()
{
    // Notes that fall due must not take the keyboard from whatever the user
    // is typing into; commands that open a note activate it themselves.
    for (int i = FFusenList.size() - 1; i >= 0; --i) {
        TFusenForm* w = FFusenList[i];
        if (!w->isVisible()) {
            w->setAttribute(Qt::WA_ShowWithoutActivating);
            w->show();
        }
    }
}

void TDesktop::CloseAllNotes()
{
    FlagDown busy(FNotesReady);
    const QList<TFusenForm*> notes = FFusenList;
    for (TFusenForm* w : notes)
        w->Release();
}

void TDesktop::DiscardNote(int32_t id)
{
    if (TFusenForm* w = FindNote(id)) {
        w->FModified = false;
        w->Release();
    }
}

void TDesktop::AddPeeledNote(int32_t id, int32_t priority)
{
    FPeeledList << TPeeledEntry{id, priority};
}

void TDesktop::PeelOffNotes(int32_t group, bool all)
{
    const QList<TFusenForm*> notes = FFusenList;
    for (TFusenForm* w : notes) {
        if (!all && w->FGroupID != group)
            continue;
        AddPeeledNote(w->FIDKey, w->FPriority);
        w->Release();
    }
}

// --- notes as a whole ---------------------------------------------------------

TFusenForm* TDesktop::CreateNewNote(int32_t type, int32_t group)
{
    TFusenForm* w = newNoteWindow();
    try {
        w->SetBlend(true);
        const TArrangeParams& d = FSettings.DefaultPos;
        QRect g = w->geometry();
        if (d.Width != -1)
            g.setWidth(d.Width);
        if (d.Height != -1)
            g.setHeight(d.Height);
        w->resize(g.size());
        // Without a position of our own the window manager places the note.
        if (d.Left != -1 || d.Top != -1)
            w->move(d.Left != -1 ? d.Left : g.x(), d.Top != -1 ? d.Top : g.y());
        w->RememberBounds(false);
        w->SetType(type);
        w->SetGroup(group);
    } catch (...) {
        w->FModified = false;
        w->Release();
        throw;
    }
    // A note whose insert failed stays changed, so the next save tries again.
    if (!w->SaveNote())
        w->FModified = true;
    if (!w->IsEditMode())
        w->EnterEditMode();
    if (FSettings.PasteClipboard && !platform::clipboard().text().isEmpty()) {
        w->EditPaste1Execute();
        w->Body()->selectAll();
    }
    return w;
}

void TDesktop::BuildNewNoteMenu(QMenu* menu)
{
    menu->clear();
    for (const TTypeEntry& t : FTypes.items()) {
        QAction* a = menu->addAction(t.LABEL);
        a->setData(t.IDKEY);
        const int32_t id = t.IDKEY;
        connect(a, &QAction::triggered, this, [this, id] {
            try {
                CreateNewNote(id, 0);
            } catch (const EDatabaseError&) {
                // the database module's error hook has shown it
            } catch (const std::exception& e) {
                platform::messages().showError(QString::fromUtf8(e.what()));
            }
        });
    }
}

void TDesktop::SaveChangedNotes()
{
    const QList<TFusenForm*> notes = FFusenList;
    for (TFusenForm* w : notes)
        if (w->FModified)
            w->SaveNote();
}

void TDesktop::ApplyCompletedToNotes(int32_t group, bool down, bool all)
{
    const QList<TFusenForm*> notes = FFusenList;
    for (TFusenForm* w : notes) {
        if (!all && w->FGroupID != group)
            continue;
        w->SetCompleted(down);
        w->SaveNote();
    }
}

void TDesktop::ApplyAnchorToNotes(int32_t group, bool down, bool all)
{
    const QList<TFusenForm*> notes = FFusenList;
    for (TFusenForm* w : notes) {
        if (!all && w->FGroupID != group)
            continue;
        w->SetAnchored(down);
        w->SaveNote();
    }
}

void TDesktop::MoveNotesBy(TFusenForm* dragged, int dx, int dy, bool all, bool remember)
{
    dragged->RememberBounds(false);
    dragged->FModified = true;
    for (TFusenForm* w : std::as_const(FFusenList)) {
        if (w == dragged || (!all && w->FGroupID != dragged->FGroupID))
            continue;
        // Remembered first, so "元の位置に戻す" takes it back to where it was.
        if (remember)
            w->RememberBounds(false);
        w->move(w->x() + dx, w->y() + dy);
        w->FModified = true;
    }
}

void TDesktop::RefreshNotePriorities()
{
    const TDateTime now = platform::now();
    for (TFusenForm* w : std::as_const(FFusenList))
        w->SetPriority(CalcPriority(w->PriorityParams(), now));
}

// --- arrangement ----------------------------------------------------------------

void TDesktop::SortNotes()
{
    std::stable_sort(FFusenList.begin(), FFusenList.end(), [](TFusenForm* a, TFusenForm* b) {
        return NoteOrderBefore({a->FPriority, a->StartTime(), a->Title()},
                               {b->FPriority, b->StartTime(), b->Title()});
    });
}

QList<TArrangeItem> TDesktop::arrangeItems() const
{
    QList<TArrangeItem> items;
    for (TFusenForm* w : FFusenList)
        items << TArrangeItem{w->geometry(), w->IsAnchored(), w->FGroupID};
    return items;
}

void TDesktop::arrange(const QList<TPlacement>& placements)
{
    const QList<TFusenForm*> notes = FFusenList;
    for (const TPlacement& p : placements) {
        TFusenForm* w = notes.at(p.index);
        w->RememberBounds(false);
        w->SetBlend(true);
        w->PlaceAt(p.bounds);
        w->SendToBack();
        w->FModified = true;
    }
}

void TDesktop::CascadeNotes(const TArrangeParams& params, int32_t group)
{
    CascadeNotes(params, group, FWorkArea);
}

void TDesktop::CascadeNotes(const TArrangeParams& params, int32_t group, const QRect& area)
{
    SortNotes();
    FlagDown busy(FNotesReady);
    arrange(CascadePlacements(arrangeItems(), params, group, area));
}

void TDesktop::TileNotes(const TArrangeParams& params, int32_t group)
{
    TileNotes(params, group, FWorkArea);
}

void TDesktop::TileNotes(const TArrangeParams& params, int32_t group, const QRect& area)
{
    SortNotes();
    FlagDown busy(FNotesReady);
    arrange(TilePlacements(arrangeItems(), params, group, area));
}

void TDesktop::ResumeNotes()
{
    FlagDown busy(FNotesReady);
    for (TFusenForm* w : std::as_const(FFusenList))
        w->RestoreBounds();
}

void TDesktop::actCascadeExecute()
{
    CascadeNotes(FSettings.Cascade, -1);
}

void TDesktop::actTileExecute()
{
    TileNotes(FSettings.Tile, -1);
}

void TDesktop::CascadeHere(TFusenForm* note, bool groupOnly)
{
    const QRect r = note->geometry();
    CascadeNotes(CascadeHereParams(FSettings.Cascade, r, note->IsAnchored()),
                 groupOnly ? note->FGroupID : -1, platform::screens().workAreaFor(r));
}

void TDesktop::TileHere(TFusenForm* note, bool groupOnly)
{
    const QRect r = note->geometry();
    TileNotes(TileHereParams(FSettings.Tile, r, note->IsAnchored()),
              groupOnly ? note->FGroupID : -1, platform::screens().workAreaFor(r));
}

// --- links and search -----------------------------------------------------------

void TDesktop::OpenLinkedNote(TFusenForm* from, int32_t id)
{
    TFusenForm* w = OpenNoteByKey(id);
    if (!w || w == from)
        return;
    const QRect r = from->geometry();
    w->move(LinkedNotePosition(r, platform::screens().workAreaFor(r)));
}

QList<QPair<int32_t, QString>> TDesktop::SearchNotes(const QString& text)
{
    QList<QPair<int32_t, QString>> rows;
    FDB.BeginWork();
    try {
        TDbQuery q(FDB.UpdateTransaction(),
                   QStringList{QStringLiteral("select "), QStringLiteral("  IDKEY,TITLE "),
                               QStringLiteral("from "), QStringLiteral("  FUSEN"),
                               QStringLiteral("where"), QStringLiteral("  ("),
                               QStringLiteral("    (UPPER(TITLE) like UPPER(:SEARCH)) "),
                               QStringLiteral("  or"),
                               QStringLiteral("    (UPPER(MEMO) like UPPER(:SEARCH))"),
                               QStringLiteral("  )")});
        q.setParam(QStringLiteral("SEARCH"), u'%' + text + u'%');
        q.open();
        while (q.next())
            rows << qMakePair(q.field(QStringLiteral("IDKEY")).asInt(),
                              q.field(QStringLiteral("TITLE")).asString());
    } catch (...) {
        FDB.CommitWork(); // nothing was written
        throw;
    }
    FDB.CommitWork();
    return rows;
}
