#pragma once

#include "notes/NoteGeometry.h"
#include "types/Priority.h"

#include <QColor>
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <stdexcept>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QContextMenuEvent;
class QMouseEvent;
class QKeyEvent;
class QTextEdit;
class QToolButton;
class TDbQuery;
class TDesktop;

// A failed note command whose text the user is shown as it stands.
class ENoteError : public std::runtime_error
{
public:
    explicit ENoteError(const QString& text) : std::runtime_error(text.toStdString()), FText(text)
    {}
    const QString& text() const { return FText; }

private:
    QString FText;
};

// One sticky note on the desktop: a frameless tool window with a coloured
// header (edit button, title, anchor, completed and peel-off buttons), the
// body, and a strip with the time label. It is created hidden by its
// TDesktop, filled from a row or made new, and shown by the desktop.
//
// View mode shows the title in the header and the memo with its links
// underlined; edit mode puts the title back as the body's first line and
// works in plain text.
class TFusenForm : public QWidget
{
    Q_OBJECT
public:
    explicit TFusenForm(TDesktop& owner);
    // Saves unsaved changes and leaves the desktop's list.
    ~TFusenForm() override;

    // The note's state that the desktop and later dialogs share.
    int32_t FIDKey = 0; // 0 while the note was never stored
    int32_t FTypeID = 0;
    int32_t FGroupID = 0;
    int FPriority = 0;
    bool FModified = false; // unsaved changes

    // --- looks --------------------------------------------------------------

    // Colours are Windows colour values (0x00BBGGRR).
    void SetBackColor(uint32_t color);
    void SetTextColor(uint32_t color);
    void SetHeaderTextColor(uint32_t color);
    void SetLinkColor(uint32_t color); // takes effect at the next highlighting
    void SetHeaderColor(uint32_t color);
    QColor backColor() const { return FBackColor; }
    QColor headerColor() const { return FHeaderColor; }
    QColor linkColor() const { return FLinkColor; }

    // Type and group from their rows: colours, curve, labels, the menus'
    // check marks. Database errors are rolled back and propagate.
    void SetType(int32_t id);
    void SetGroup(int32_t id);
    void SetGroupIcon(int index, const QString& label);
    void SetTitle(const QString& title);
    QString Title() const { return FTitle; }
    void SetStartTime(TDateTime t);
    void SetEndTime(TDateTime t);
    TDateTime StartTime() const { return FParams.STime; }
    TDateTime EndTime() const { return FParams.ETime; }
    const TPriorityParams& PriorityParams() const { return FParams; }
    // Sets the priority, tints the header, and with AutoComplete puts the
    // completed button down at priority 0 (stored with the next save).
    void SetPriority(int p);
    void UpdateTimeLabel();
    void UpdateHeaderHint();
    QString TimeLabel() const;
    QString HeaderHint() const;

    // Bulk changes of the body: nested; no repaint and no change
    // notification (so no FModified) until the outermost end.
    void BeginBodyUpdate();
    void EndBodyUpdate();

    bool IsAnchored() const;
    bool IsCompleted() const;
    void SetAnchored(bool down);
    void SetCompleted(bool down);

    // --- loading and saving -------------------------------------------------

    // Fills a new window from the current row of a VW_FUSEN query.
    void LoadFromRow(const TDbQuery& row);
    // Inserts or updates the FUSEN row. A database error is shown and leaves
    // the note changed; returns whether it was stored.
    bool SaveNote();
    void EnterEditMode();
    // Throws ENoteError when the body is too large; the note then stays in
    // edit mode.
    void LeaveEditMode();
    bool IsEditMode() const { return FEditMode; }
    // The body as plain text ("\n" between lines).
    QString BodyText() const;
    QTextEdit* Body() const { return RichEdit; }

    // --- commands -----------------------------------------------------------
    // Handlers of the buttons, keys and menu items. The modifiers are those
    // held when the command was given: Shift acts on the note's group, Ctrl
    // alone on every note. Errors are shown, never thrown.

    void btnEditClick();
    void btnCompletedClick(Qt::KeyboardModifiers modifiers);
    void btnAnchorClick(Qt::KeyboardModifiers modifiers);
    // Peel off: the note leaves the desktop until its priority rises.
    void actCloseExecute(Qt::KeyboardModifiers modifiers);
    void actDeleteExecute();
    void actChgTypeExecute(int32_t id);
    void actChgGroupExecute(int32_t id);
    void actNewExecute(int32_t type);
    void actLinkTagExecute();
    void actResumeExecute() { RestoreBounds(); }
    // Plain-text paste in edit mode.
    void EditPaste1Execute();

    // --- links and search ---------------------------------------------------

    void HighlightLinks();
    // Point in the body's viewport coordinates.
    bool IsLinkAt(QPoint viewportPos) const;
    QString GetLinkTextAt(QPoint viewportPos) const;
    // Opens what the link under the point names: another note, or an address
    // with the desktop's handler. Only the link prefixes are ever opened.
    void OpenLinkAt(QPoint viewportPos);
    void OpenLinkedNote(int32_t id);
    void ShowSearch(bool show);
    bool IsSearchShown() const;
    QLineEdit* SearchBox() const { return editSearch; }
    // Appends a link tag line for every note that matches the search box.
    void SearchNotes();

    // --- window -------------------------------------------------------------

    void RememberBounds(bool withHeight);
    void RestoreBounds();
    QRect RememberedBounds() const { return FRestoreBounds; }
    // Sets the geometry as a load or an arrangement does (outside any drag).
    void PlaceAt(const QRect& r);
    // Shows the window on top of the others, with the keyboard.
    void BringToFront();
    // Behind every other window.
    void SendToBack();
    int HeaderMinHeight() const;
    int HeaderHeight() const { return FHeaderHeight; }
    bool IsRolledUp() const { return FRolledUp; }
    // Double click on the header: roll up to the header, or back down.
    void RollUp();
    // Translucency by the AlphaBlend rule; off makes the note opaque.
    void SetBlend(bool on);
    bool IsBlending() const { return FBlend; }
    void FormActivate();
    // Another window of the program became active.
    void FormDeactivate();
    // The program as a whole lost the activation.
    void ApplicationDeactivated();
    // Closes and frees the window (saving it first if changed) later.
    void Release();
    bool IsReleased() const { return FReleased; }

    // Pointer handling, shared by every surface that moves the window.
    // Positions are global; surface tells which control was hit.
    enum class TSurface
    {
        Window,
        Header,
        Body,
    };
    void PointerPress(TSurface surface, QPoint globalPos, Qt::MouseButton button,
                      Qt::KeyboardModifiers modifiers);
    // Returns true when the move was taken over for moving or sizing.
    bool PointerMove(QWidget* control, TSurface surface, QPoint globalPos, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers modifiers);
    void PointerRelease();
    bool IsDragArmed() const { return FDragArmed; }
    bool IsDragging() const { return FDrag != TDrag::None; }
    // Changes the body's font size by steps (the mouse wheel).
    void StepBodyFont(int steps);
    int BodyFontSize() const { return FBodyFontSize; }

    QMenu* popupMenu() const { return PopupMenu; }
    QMenu* editMenu() const { return popupMenuEdit; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildControls();
    void BuildPopupMenus();
    void LayoutControls();
    void ApplyColors();
    void SetBodyFontSize(int size);
    void UpdateHeaderText();
    void UpdateEditGlyph(int iconIndex);
    bool FormKeyPress(QKeyEvent* e, bool inSearchBox);
    bool BodyMousePress(QMouseEvent* e);
    void ShowPopup(QMenu* menu, QPoint globalPos);
    void RichEditChange();
    void StartDrag(THitZone zone, QPoint globalPos, Qt::KeyboardModifiers modifiers);
    void FollowPointer(QPoint globalPos);
    void FollowGroup();
    void EndDrag();
    void FormDestroy();
    QRect workAreaHere() const;
    // Runs a command; shows what it throws.
    template <typename F> void runCommand(F&& f);

    TDesktop& FOwner;

    QWidget* panelHeader = nullptr;
    QToolButton* btnEdit = nullptr;
    QLabel* labelHeader = nullptr;
    QToolButton* btnAnchor = nullptr;
    QToolButton* btnCompleted = nullptr;
    QToolButton* btnClose = nullptr;
    QTextEdit* RichEdit = nullptr;
    QWidget* ToolBar = nullptr;
    QLabel* labelTime = nullptr;
    QWidget* panelSearch = nullptr;
    QLineEdit* editSearch = nullptr;
    QMenu* PopupMenu = nullptr;
    QMenu* popupMenuEdit = nullptr;
    QMenu* popNew = nullptr;
    QMenu* popChgType = nullptr;
    QMenu* popChgGroup = nullptr;
    QMenu* popDelAttach = nullptr;
    QActionGroup* FTypeActions = nullptr;
    QActionGroup* FGroupActions = nullptr;

    QString FTitle;
    TPriorityParams FParams;
    bool FUseRed = false;
    bool FUseGreen = false;
    bool FUseBlue = false;
    QString FTypeLabel;
    QString FGroupLabel;
    QColor FBackColor = QColor(255, 251, 240); // cream until a type is set
    QColor FTextColor = Qt::black;
    QColor FHeaderTextColor = Qt::black;
    QColor FHeaderColor = QColor(255, 255, 254);
    QColor FLinkColor = QColor(0, 0, 255);
    QStringList FLinkSchemes;
    bool FRolledUp = false;
    bool FReadOnlyView = true;
    bool FEditMode = false;
    QRect FRestoreBounds;
    int FBorderWidth = 0;
    int FFrameExtra = 2;
    int FHeaderHeight = 17;
    int FBodyFontSize = 10;
    bool FBlend = false;
    bool FReleased = false;
    bool FFormDestroyed = false;
    int FBodyUpdates = 0;
    bool FBodyUpdatesWereEnabled = true;

    // The press that may start a move or size.
    bool FDragArmed = false;
    QPoint FPressGlobal{-1, -1};
    int FPressTop = 0;
    int FPressLeft = 0;
    TDateTime FPressTime{-1.0};

    // A move or size in progress: by the window system, or by ourselves where
    // the window system cannot (then the pointer's moves drive the geometry).
    enum class TDrag
    {
        None,
        System,
        Manual,
    };
    TDrag FDrag = TDrag::None;
    THitZone FDragZone = THitZone::Interior;
    Qt::KeyboardModifiers FDragModifiers;
    QPoint FDragStartGlobal;
    QRect FDragStartBounds;
    QTimer FDragQuiet; // ends a system move that reported no release
    QElapsedTimer FSinceShown;
    QPoint FAskedPos; // where our own code last put the window
    // How far the group has followed a drag with Shift or Ctrl.
    QPoint FGroupOffset;
    bool FGroupMoved = false;
};
