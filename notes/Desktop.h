#pragma once

#include "notes/DesktopSelect.h"
#include "notes/NoteGeometry.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QRect>
#include <cstdint>

class QMenu;
class QTimer;
class TdbmNotes;
class TFusenForm;
class TFusenGroup;
class TGroupIcons;
class TTypeList;
struct TSettings;

// The desktop of note windows: which notes are open, which the user peeled
// off, and everything done to several notes at once (loading, saving,
// arranging, group commands). The main window owns one and forwards its tray
// commands here; every note window reaches its owner through it.
//
// The settings, lists and timer belong to the main window and outlive this.
class TDesktop : public QObject
{
    Q_OBJECT
public:
    // timer: the one-minute timer, paused while notes are loaded or opened.
    // The primary screen's work area is read once, here.
    TDesktop(TdbmNotes& db, const TSettings& settings, const TTypeList& types,
             const TFusenGroup& groups, const TGroupIcons& icons, QTimer& timer,
             QObject* parent = nullptr);
    // Closes every note (each saves its changes first).
    ~TDesktop() override;

    TdbmNotes& db() const { return FDB; }
    const TSettings& settings() const { return FSettings; }
    const TTypeList& types() const { return FTypes; }
    const TFusenGroup& groups() const { return FGroups; }
    const TGroupIcons& icons() const { return FIcons; }
    // The primary screen's available area as it was at creation.
    QRect workArea() const { return FWorkArea; }

    // The open note windows in the note order (after a load or an arrangement).
    const QList<TFusenForm*>& notes() const { return FFusenList; }
    const TPeeledList& peeled() const { return FPeeledList; }
    // False while notes are loaded, arranged, restored or removed; note
    // windows ignore their activation meanwhile.
    bool notesReady() const { return FNotesReady; }
    TFusenForm* FindNote(int32_t id) const;

    // --- which notes are open ---------------------------------------------

    // Opens the notes that are due, up to FusenMax windows; arranges them by
    // AlignType when arrange is set; beeps once when any was added and beep is
    // set. Database errors propagate after the timer and the flag are back.
    void LoadDesktopNotes(bool arrange, bool beep);
    // The window of a note, brought forward if open, else loaded and shown;
    // nullptr when no such note exists.
    TFusenForm* OpenNoteByKey(int32_t id);
    // "再読み込み": closes every note and loads the desktop again.
    void ReloadNotes();
    void ShowNoteWindows();
    void CloseAllNotes();
    // Closes the window of a note without saving it (its row was deleted).
    void DiscardNote(int32_t id);
    void AddPeeledNote(int32_t id, int32_t priority);
    // Peels off every open note of the group, or every open note.
    void PeelOffNotes(int32_t group, bool all);

    // --- notes as a whole ---------------------------------------------------

    // A new note of the type in the group, at DefaultPos, stored at once and
    // open for typing (with the clipboard's text when PasteClipboard is on).
    TFusenForm* CreateNewNote(int32_t type, int32_t group);
    // The "新規作成" submenu: one item per type, each creating a note in group 0.
    void BuildNewNoteMenu(QMenu* menu);
    // Saves every changed note; the handler of the application's deactivation.
    void SaveChangedNotes();
    void ApplyCompletedToNotes(int32_t group, bool down, bool all);
    void ApplyAnchorToNotes(int32_t group, bool down, bool all);
    // A drag of one note: the other notes of its group (or all notes) follow
    // by the same offset. remember: take their places first, for resume (a
    // drag remembers at its first step only).
    void MoveNotesBy(TFusenForm* dragged, int dx, int dy, bool all, bool remember = true);
    void RefreshNotePriorities();

    // --- arrangement --------------------------------------------------------

    // Sorts the open notes by the note order.
    void SortNotes();
    // group -1 arranges every note. Without an area the work area above.
    void CascadeNotes(const TArrangeParams& params, int32_t group);
    void CascadeNotes(const TArrangeParams& params, int32_t group, const QRect& area);
    void TileNotes(const TArrangeParams& params, int32_t group);
    void TileNotes(const TArrangeParams& params, int32_t group, const QRect& area);
    // Every note back to its remembered bounds.
    void ResumeNotes();
    // The tray's "重ねて配置" and "並べて配置".
    void actCascadeExecute();
    void actTileExecute();
    // A note menu's arrangements starting at that note, on its screen.
    void CascadeHere(TFusenForm* note, bool groupOnly);
    void TileHere(TFusenForm* note, bool groupOnly);

    // --- links and search ---------------------------------------------------

    // Opens the linked note beside the note whose link was used.
    void OpenLinkedNote(TFusenForm* from, int32_t id);
    // Notes whose title or memo contains text (its % and _ act as wildcards):
    // key and title of each, in the database's order.
    QList<QPair<int32_t, QString>> SearchNotes(const QString& text);

    // Called by a note window as it goes away.
    void RemoveNoteWindow(TFusenForm* note);

private:
    TFusenForm* newNoteWindow();
    void arrange(const QList<TPlacement>& placements);
    QList<TArrangeItem> arrangeItems() const;

    TdbmNotes& FDB;
    const TSettings& FSettings;
    const TTypeList& FTypes;
    const TFusenGroup& FGroups;
    const TGroupIcons& FIcons;
    QTimer& FTimer;
    QRect FWorkArea;

    QList<TFusenForm*> FFusenList;
    TPeeledList FPeeledList;
    bool FNotesReady = true;
    // Every window made here until it is deleted (closed ones wait for the
    // event loop).
    QList<QPointer<TFusenForm>> FWindows;
};
