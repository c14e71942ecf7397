#include "Fusen.h"

#include "app/Settings.h"
#include "db/DBModFusen.h"
#include "notes/Desktop.h"
#include "notes/FusenGlyphs.h"
#include "notes/NoteText.h"
#include "platform/Colors.h"
#include "platform/Platform.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/TypeList.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>

namespace {

const int ButtonSize = 17;
const int ToolBarHeight = 17;
const int SearchPanelHeight = 20;
const int DesignWidth = 388;
const int DesignHeight = 127;
const int DoublePressMSecs = 500;
// A move or size by the window manager ends this long after its last step
// once the button is up, or after its last step at all when no release ever
// comes.
const int SettleMSecs = 250;
const int NoReleaseMSecs = 3000;
// How long after showing a note the window manager may still be mapping it.
const int MappingMSecs = 2000;

// The families the note's texts are set in, in order of preference: the
// Windows UI font where it exists, else a Japanese font of this desktop.
QFont noteFont(int pointSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
                   QStringLiteral("Noto Sans JP"), QStringLiteral("IPAexGothic"),
                   QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                   QStringLiteral("sans-serif")});
    f.setPointSize(std::max(1, pointSize));
    return f;
}

QFont searchFont()
{
    QFont f = noteFont(9);
    QStringList families = f.families();
    families.prepend(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setFamilies(families);
    return f;
}

void setColor(QWidget* w, QPalette::ColorRole role, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, c);
    p.setColor(QPalette::Inactive, role, c);
    p.setColor(QPalette::Disabled, role, c);
    w->setPalette(p);
}

QToolButton* headerButton(QWidget* parent, const QIcon& icon, const QString& hint, bool checkable)
{
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(icon);
    b->setIconSize(QSize(FusenGlyphs::Size, FusenGlyphs::Size));
    b->setFixedSize(ButtonSize, ButtonSize);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    return b;
}

int64_t msecsBetween(TDateTime from, TDateTime to)
{
    return dateTimeToMSecs(to) - dateTimeToMSecs(from);
}

} // namespace

// --- creation and destruction ----------------------------------------------

TFusenForm::TFusenForm(TDesktop& owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), FOwner(owner)
{
    const TSettings& s = owner.settings();
    setMouseTracking(true);
    switch (s.FrameType) {
    case 1:
        FBorderWidth = 1;
        FFrameExtra = 1;
        break;
    case 2:
        FBorderWidth = 2;
        FFrameExtra = 0;
        break;
    default:
        FBorderWidth = 0;
        FFrameExtra = 2;
        break;
    }
    FHeaderHeight = s.FontSize > 11 ? 20 : 17;
    BuildControls();
    SetBodyFontSize(s.FontSize);
    FLinkSchemes = LinkSchemes();
    FReadOnlyView = !s.ViewModeEdit;
    RichEdit->setReadOnly(FReadOnlyView);
    setMinimumSize(100, HeaderMinHeight());
    resize(DesignWidth, DesignHeight);
    ApplyColors();
    SetStartTime(platform::now());
    RememberBounds(false);
    BuildPopupMenus();
    FDragQuiet.setSingleShot(true);
    connect(&FDragQuiet, &QTimer::timeout, this, &TFusenForm::EndDrag);
}

TFusenForm::~TFusenForm()
{
    FormDestroy();
}

void TFusenForm::FormDestroy()
{
    if (FFormDestroyed)
        return;
    FFormDestroyed = true;
    FDragQuiet.stop();
    if (FModified)
        SaveNote();
    FOwner.RemoveNoteWindow(this);
}

void TFusenForm::Release()
{
    if (FReleased)
        return;
    FReleased = true;
    FormDestroy();
    hide();
    deleteLater();
}

void TFusenForm::closeEvent(QCloseEvent* e)
{
    // Closed by the window manager: the note leaves the desktop like a
    // peel-off without a peeled entry, so the next load may bring it back.
    QWidget::closeEvent(e);
    Release();
}

void TFusenForm::BuildControls()
{
    const TSettings& s = FOwner.settings();

    panelHeader = new QWidget(this);
    panelHeader->setAutoFillBackground(true);
    panelHeader->setMouseTracking(true);
    panelHeader->setFont(noteFont(9));

    btnEdit = headerButton(panelHeader, FusenGlyphs::edit(), QString(), true);
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    connect(btnEdit, &QToolButton::clicked, this, &TFusenForm::btnEditClick);

    labelHeader = new QLabel(panelHeader);
    labelHeader->setFont(noteFont(s.FontSize));
    labelHeader->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labelHeader->setMouseTracking(true);
    labelHeader->setTextFormat(Qt::PlainText);

    btnAnchor = headerButton(panelHeader, FusenGlyphs::anchor(), QStringLiteral("アンカー"), true);
    btnAnchor->setObjectName(QStringLiteral("btnAnchor"));
    connect(btnAnchor, &QToolButton::clicked, this,
            [this] { btnAnchorClick(QGuiApplication::keyboardModifiers()); });
    btnCompleted =
        headerButton(panelHeader, FusenGlyphs::completed(), QStringLiteral("済み"), true);
    btnCompleted->setObjectName(QStringLiteral("btnCompleted"));
    connect(btnCompleted, &QToolButton::clicked, this,
            [this] { btnCompletedClick(QGuiApplication::keyboardModifiers()); });
    btnClose =
        headerButton(panelHeader, FusenGlyphs::peelOff(), QStringLiteral("付箋をはがす"), false);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QToolButton::clicked, this,
            [this] { actCloseExecute(QGuiApplication::keyboardModifiers()); });

    RichEdit = new QTextEdit(this);
    RichEdit->setFrameShape(QFrame::NoFrame);
    RichEdit->setAcceptRichText(false);
    RichEdit->setTabChangesFocus(false);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit->document()->setDocumentMargin(2);
    RichEdit->document()->setUndoRedoEnabled(true);
    RichEdit->viewport()->setMouseTracking(true);
    RichEdit->viewport()->setCursor(Qt::ArrowCursor);
    RichEdit->viewport()->installEventFilter(this);
    RichEdit->installEventFilter(this);
    RichEdit->setAutoFillBackground(true);
    connect(RichEdit->document(), &QTextDocument::contentsChange, this,
            [this](int, int, int) { RichEditChange(); });

    ToolBar = new QWidget(this);
    ToolBar->setAutoFillBackground(true);
    ToolBar->setMouseTracking(true);
    ToolBar->setFont(noteFont(8));
    labelTime = new QLabel(ToolBar);
    labelTime->setAlignment(Qt::AlignCenter);
    labelTime->setMouseTracking(true);
    labelTime->setTextFormat(Qt::PlainText);
    labelTime->setFont(noteFont(8));

    panelSearch = new QWidget(this);
    panelSearch->setAutoFillBackground(true);
    panelSearch->hide();
    editSearch = new QLineEdit(panelSearch);
    editSearch->setFont(searchFont());
    editSearch->setFrame(true);
    editSearch->installEventFilter(this);
}

void TFusenForm::BuildPopupMenus()
{
    const TTypeList& types = FOwner.types();
    const TFusenGroup& groups = FOwner.groups();
    const TGroupIcons& icons = FOwner.icons();

    PopupMenu = new QMenu(this);
    popNew = PopupMenu->addMenu(QStringLiteral("新規作成"));
    for (const TTypeEntry& t : types.items()) {
        QAction* a = popNew->addAction(t.LABEL);
        a->setData(t.IDKEY);
        const int32_t id = t.IDKEY;
        connect(a, &QAction::triggered, this, [this, id] { actNewExecute(id); });
    }
    PopupMenu->addSeparator();
    QMenu* popGroup = PopupMenu->addMenu(QStringLiteral("グループ配置"));
    connect(popGroup->addAction(QStringLiteral("このグループを重ねて配置")), &QAction::triggered,
            this, [this] { FOwner.CascadeHere(this, true); });
    connect(popGroup->addAction(QStringLiteral("このグループを並べて配置")), &QAction::triggered,
            this, [this] { FOwner.TileHere(this, true); });
    QMenu* popAll = PopupMenu->addMenu(QStringLiteral("全体配置"));
    connect(popAll->addAction(QStringLiteral("ここに重ねて配置")), &QAction::triggered, this,
            [this] { FOwner.CascadeHere(this, false); });
    connect(popAll->addAction(QStringLiteral("ここに並べて配置")), &QAction::triggered, this,
            [this] { FOwner.TileHere(this, false); });
    QAction* popReload = PopupMenu->addAction(QStringLiteral("再読み込み"));
    popReload->setStatusTip(QStringLiteral("付箋データを再読み込みする"));
    connect(popReload, &QAction::triggered, this, [this] {
        // The reload closes this window too: let its menu return first.
        TDesktop* owner = &FOwner;
        QTimer::singleShot(0, owner, [owner] { owner->ReloadNotes(); });
    });
    QAction* popCopy = PopupMenu->addAction(QStringLiteral("コピー …"));
    popCopy->setObjectName(QStringLiteral("popCopy"));
    popCopy->setEnabled(false);
    QAction* popSearch = PopupMenu->addAction(QStringLiteral("付箋検索"));
    connect(popSearch, &QAction::triggered, this,
            [this] { runCommand([this] { ShowSearch(true); }); });
    PopupMenu->addSeparator();

    popChgType = PopupMenu->addMenu(QStringLiteral("付箋タイプ変更"));
    FTypeActions = new QActionGroup(this);
    FTypeActions->setExclusive(true);
    for (const TTypeEntry& t : types.items()) {
        QAction* a = popChgType->addAction(t.LABEL);
        a->setCheckable(true);
        a->setData(t.IDKEY);
        FTypeActions->addAction(a);
        const int32_t id = t.IDKEY;
        connect(a, &QAction::triggered, this, [this, id] { actChgTypeExecute(id); });
    }
    popChgGroup = PopupMenu->addMenu(QStringLiteral("グループ変更"));
    FGroupActions = new QActionGroup(this);
    FGroupActions->setExclusive(true);
    for (int i = 0; i < groups.Count(); ++i) {
        const TGroupRecord& g = groups.Items(i);
        QAction* a = popChgGroup->addAction(g.LABEL);
        if (icons.contains(g.ICONNUM))
            a->setIcon(icons.icon(g.ICONNUM));
        a->setCheckable(true);
        a->setData(g.IDKEY);
        FGroupActions->addAction(a);
        const int32_t id = g.IDKEY;
        connect(a, &QAction::triggered, this, [this, id] { actChgGroupExecute(id); });
    }
    QAction* popLinkTag = PopupMenu->addAction(QStringLiteral("リンクタグをコピー"));
    popLinkTag->setStatusTip(QStringLiteral("この付箋のリンクタグをクリップボードにコピーします"));
    connect(popLinkTag, &QAction::triggered, this, &TFusenForm::actLinkTagExecute);
    connect(PopupMenu->addAction(QStringLiteral("元の位置に戻す")), &QAction::triggered, this,
            &TFusenForm::actResumeExecute);
    PopupMenu->addSeparator();
    connect(PopupMenu->addAction(QStringLiteral("付箋をはがす")), &QAction::triggered, this,
            [this] { actCloseExecute(QGuiApplication::keyboardModifiers()); });
    connect(PopupMenu->addAction(QStringLiteral("付箋を削除")), &QAction::triggered, this,
            &TFusenForm::actDeleteExecute);
    popDelAttach = PopupMenu->addMenu(QStringLiteral("添付ファイル削除"));
    popDelAttach->setObjectName(QStringLiteral("popDelAttach"));
    popDelAttach->setEnabled(false);
    PopupMenu->addSeparator();
    QAction* N1 = PopupMenu->addAction(QStringLiteral("印刷 …"));
    N1->setObjectName(QStringLiteral("N1"));
    N1->setEnabled(false);
    QAction* menuProperty = PopupMenu->addAction(QStringLiteral("プロパティ …"));
    menuProperty->setObjectName(QStringLiteral("menuProperty"));
    menuProperty->setEnabled(false);
    connect(PopupMenu, &QMenu::aboutToShow, this,
            [this] { popDelAttach->setEnabled(!popDelAttach->actions().isEmpty()); });

    popupMenuEdit = new QMenu(this);
    QAction* copy = popupMenuEdit->addAction(QStringLiteral("コピー(&C)"));
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, RichEdit, &QTextEdit::copy);
    QAction* paste = popupMenuEdit->addAction(QStringLiteral("貼り付け(&P)"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setStatusTip(QStringLiteral("貼り付け|クリップボードの内容を貼り付ける"));
    connect(paste, &QAction::triggered, this, &TFusenForm::EditPaste1Execute);
    QAction* cut = popupMenuEdit->addAction(QStringLiteral("切り取り(&T)"));
    cut->setShortcut(QKeySequence::Cut);
    connect(cut, &QAction::triggered, RichEdit, &QTextEdit::cut);
    QAction* all = popupMenuEdit->addAction(QStringLiteral("すべてを選択(&A)"));
    all->setShortcut(QKeySequence::SelectAll);
    connect(all, &QAction::triggered, RichEdit, &QTextEdit::selectAll);
    QAction* undo = popupMenuEdit->addAction(QStringLiteral("元に戻す(&U)"));
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, RichEdit, &QTextEdit::undo);
}

template <typename F> void TFusenForm::runCommand(F&& f)
{
    try {
        f();
    } catch (const EDatabaseError&) {
        // the database module's error hook has shown it
    } catch (const ENoteError& e) {
        platform::messages().showError(e.text());
    } catch (const EGroupError& e) {
        platform::messages().showError(e.text());
    } catch (const std::exception& e) {
        platform::messages().showError(QString::fromUtf8(e.what()));
    }
}

// --- layout and looks --------------------------------------------------------

int TFusenForm::HeaderMinHeight() const
{
    return FHeaderHeight + FBorderWidth + FFrameExtra;
}

void TFusenForm::LayoutControls()
{
    const int b = FBorderWidth;
    const int w = std::max(0, width() - 2 * b);
    panelHeader->setGeometry(b, b, w, FHeaderHeight);
    const int by = (FHeaderHeight - ButtonSize) / 2;
    btnEdit->move(0, by);
    int x = w - ButtonSize;
    btnClose->move(x, by);
    x -= ButtonSize;
    btnCompleted->move(x, by);
    x -= ButtonSize;
    btnAnchor->move(x, by);
    labelHeader->setGeometry(20, 0, std::max(0, x - 20 - 2), FHeaderHeight);
    UpdateHeaderText();

    int top = b + FHeaderHeight;
    int bottom = height() - b;
    if (bottom - top >= ToolBarHeight) {
        ToolBar->setGeometry(b, bottom - ToolBarHeight, w, ToolBarHeight);
        ToolBar->show();
        bottom -= ToolBarHeight;
    } else {
        ToolBar->hide();
    }
    labelTime->adjustSize();
    labelTime->setGeometry(2, 0, std::max(60, labelTime->sizeHint().width()), ToolBarHeight);
    if (panelSearch->isVisibleTo(this)) {
        panelSearch->setGeometry(b, bottom - SearchPanelHeight, w, SearchPanelHeight);
        editSearch->setGeometry(0, 0, std::max(0, w - 1), SearchPanelHeight);
        bottom -= SearchPanelHeight;
    }
    if (bottom - top > 0) {
        RichEdit->setGeometry(b, top, w, bottom - top);
        RichEdit->show();
    } else {
        RichEdit->hide();
    }
}

void TFusenForm::UpdateHeaderText()
{
    const QString shown = FEditMode ? QString() : FTitle;
    labelHeader->setText(labelHeader->fontMetrics().elidedText(shown, Qt::ElideRight,
                                                               std::max(0, labelHeader->width())));
}

void TFusenForm::ApplyColors()
{
    setColor(this, QPalette::Window, FBackColor);
    setAutoFillBackground(true);
    setColor(RichEdit, QPalette::Base, FBackColor);
    setColor(RichEdit->viewport(), QPalette::Base, FBackColor);
    setColor(RichEdit, QPalette::Text, FTextColor);
    setColor(RichEdit, QPalette::Window, FBackColor);
    setColor(ToolBar, QPalette::Window, FBackColor);
    setColor(ToolBar, QPalette::WindowText, FHeaderTextColor);
    setColor(labelTime, QPalette::WindowText, FHeaderTextColor);
    setColor(panelSearch, QPalette::Window, FBackColor);
    setColor(panelHeader, QPalette::Window, FHeaderColor);
    setColor(panelHeader, QPalette::WindowText, FTextColor);
    setColor(labelHeader, QPalette::WindowText, FHeaderTextColor);
    update();
}

void TFusenForm::SetBackColor(uint32_t color)
{
    FBackColor = WinColorToQColor(color);
    ApplyColors();
}

void TFusenForm::SetTextColor(uint32_t color)
{
    FTextColor = WinColorToQColor(color);
    ApplyColors();
}

void TFusenForm::SetHeaderTextColor(uint32_t color)
{
    FHeaderTextColor = WinColorToQColor(color);
    ApplyColors();
}

void TFusenForm::SetLinkColor(uint32_t color)
{
    FLinkColor = WinColorToQColor(color);
}

void TFusenForm::SetHeaderColor(uint32_t color)
{
    FHeaderColor = WinColorToQColor(color);
    ApplyColors();
}

void TFusenForm::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    if (FBorderWidth <= 0)
        return;
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(FBackColor.darker(160));
    const int b = FBorderWidth;
    p.drawRect(0, 0, width(), b);
    p.drawRect(0, height() - b, width(), b);
    p.drawRect(0, 0, b, height());
    p.drawRect(width() - b, 0, b, height());
}

void TFusenForm::SetBodyFontSize(int size)
{
    BeginBodyUpdate();
    FBodyFontSize = std::max(1, size);
    const QFont f = noteFont(FBodyFontSize);
    RichEdit->setFont(f);
    RichEdit->document()->setDefaultFont(f);
    EndBodyUpdate();
}

void TFusenForm::StepBodyFont(int steps)
{
    SetBodyFontSize(FBodyFontSize + steps);
}

void TFusenForm::SetBlend(bool on)
{
    const int alpha = FOwner.settings().AlphaBlend;
    FBlend = on && alpha != 0 && alpha != 255;
    const qreal opacity = FBlend ? alpha / 255.0 : 1.0;
    if (!qFuzzyCompare(windowOpacity(), opacity))
        setWindowOpacity(opacity);
}

// --- title, type, group, times ----------------------------------------------

void TFusenForm::SetTitle(const QString& title)
{
    FTitle = title;
    setWindowTitle(title);
    UpdateHeaderText();
    UpdateHeaderHint();
}

void TFusenForm::SetStartTime(TDateTime t)
{
    FParams.STime = t;
    UpdateTimeLabel();
}

void TFusenForm::SetEndTime(TDateTime t)
{
    FParams.ETime = t;
    UpdateTimeLabel();
}

void TFusenForm::SetPriority(int p)
{
    FPriority = p;
    if (p == 0 && FOwner.settings().AutoComplete)
        SetCompleted(true);
    SetHeaderColor(ShadeColor(FUseRed, FUseGreen, FUseBlue, HeaderLevel(p)));
    UpdateTimeLabel();
}

void TFusenForm::UpdateTimeLabel()
{
    labelTime->setText(TimeLabelText(FParams.STime, FParams.ETime, FPriority, platform::now()));
    labelTime->setGeometry(2, 0, std::max(60, labelTime->sizeHint().width()), ToolBarHeight);
    UpdateHeaderHint();
}

QString TFusenForm::TimeLabel() const
{
    return labelTime->text();
}

void TFusenForm::UpdateHeaderHint()
{
    labelHeader->setToolTip(HeaderHintText(FTitle, labelTime->text(), FTypeLabel));
}

QString TFusenForm::HeaderHint() const
{
    return labelHeader->toolTip();
}

void TFusenForm::SetType(int32_t id)
{
    TdbmNotes& db = FOwner.db();
    db.BeginWork();
    try {
        TDbQuery q(db.UpdateTransaction(),
                   QStringList{QStringLiteral("select * from FusenType where IDKEY=:IDKEY")});
        q.setParam(QStringLiteral("IDKEY"), static_cast<int>(id));
        q.open();
        if (q.next()) {
            FTypeID = q.field(QStringLiteral("IDKEY")).asInt();
            FParams.INITVAL = q.field(QStringLiteral("INITVAL")).asInt();
            FParams.SVAL = q.field(QStringLiteral("SVAL")).asInt();
            FParams.EVAL = q.field(QStringLiteral("EVAL")).asInt();
            FParams.CLOSEVAL = q.field(QStringLiteral("CLOSEVAL")).asInt();
            FParams.SSPAN = q.field(QStringLiteral("SSPAN")).asInt();
            FParams.ESPAN = q.field(QStringLiteral("ESPAN")).asInt();
            SetHeaderTextColor(
                static_cast<uint32_t>(q.field(QStringLiteral("HTEXTCOLOR")).asInt()));
            SetLinkColor(static_cast<uint32_t>(q.field(QStringLiteral("LINKCOLOR")).asInt()));
            SetBackColor(static_cast<uint32_t>(q.field(QStringLiteral("BGCOLOR")).asInt()));
            SetTextColor(static_cast<uint32_t>(q.field(QStringLiteral("TEXTCOLOR")).asInt()));
            HighlightLinks();
            FUseRed = q.field(QStringLiteral("R")).asBool();
            FUseGreen = q.field(QStringLiteral("G")).asBool();
            FUseBlue = q.field(QStringLiteral("B")).asBool();
            SetPriority(CalcPriority(FParams, platform::now()));
            FTypeLabel = q.field(QStringLiteral("LABEL")).asString();
            UpdateHeaderHint();
            for (QAction* a : FTypeActions->actions())
                a->setChecked(a->data().toInt() == id);
        }
        q.close();
        db.CommitWork();
    } catch (...) {
        db.RollbackWork();
        throw;
    }
}

void TFusenForm::SetGroup(int32_t id)
{
    TdbmNotes& db = FOwner.db();
    db.BeginWork();
    try {
        TDbQuery q(db.UpdateTransaction(),
                   QStringList{QStringLiteral("select * from FusenGroup where IDKEY=:IDKEY")});
        q.setParam(QStringLiteral("IDKEY"), static_cast<int>(id));
        q.open();
        if (q.next()) {
            FGroupID = q.field(QStringLiteral("IDKEY")).asInt();
            auto colour = [&q](const char* name, auto setter) {
                const QString n = QString::fromLatin1(name);
                if (!q.isNull(n))
                    setter(static_cast<uint32_t>(q.field(n).asInt()));
            };
            colour("BGCOLOR", [this](uint32_t c) { SetBackColor(c); });
            colour("HTEXTCOLOR", [this](uint32_t c) { SetHeaderTextColor(c); });
            colour("LINKCOLOR", [this](uint32_t c) { SetLinkColor(c); });
            colour("TEXTCOLOR", [this](uint32_t c) { SetTextColor(c); });
            HighlightLinks();
            FGroupLabel = q.field(QStringLiteral("LABEL")).asString();
            SetGroupIcon(q.field(QStringLiteral("ICONNUM")).asInt(), FGroupLabel);
        }
        q.close();
        db.CommitWork();
    } catch (...) {
        db.RollbackWork();
        throw;
    }
    for (QAction* a : FGroupActions->actions())
        a->setChecked(a->data().toInt() == id);
}

void TFusenForm::SetGroupIcon(int index, const QString& label)
{
    btnEdit->setToolTip(label);
    if (FOwner.icons().contains(index))
        btnEdit->setIcon(FOwner.icons().icon(index));
}

// --- buttons --------------------------------------------------------------------

bool TFusenForm::IsAnchored() const
{
    return btnAnchor->isChecked();
}

bool TFusenForm::IsCompleted() const
{
    return btnCompleted->isChecked();
}

void TFusenForm::SetAnchored(bool down)
{
    btnAnchor->setChecked(down);
}

void TFusenForm::SetCompleted(bool down)
{
    btnCompleted->setChecked(down);
}

// --- body -----------------------------------------------------------------------

void TFusenForm::BeginBodyUpdate()
{
    if (FBodyUpdates++ == 0) {
        FBodyUpdatesWereEnabled = RichEdit->updatesEnabled();
        RichEdit->setUpdatesEnabled(false);
    }
}

void TFusenForm::EndBodyUpdate()
{
    if (FBodyUpdates <= 0)
        return;
    if (--FBodyUpdates == 0)
        RichEdit->setUpdatesEnabled(FBodyUpdatesWereEnabled);
}

void TFusenForm::RichEditChange()
{
    if (FBodyUpdates == 0)
        FModified = true;
}

QString TFusenForm::BodyText() const
{
    // The raw text keeps non-breaking spaces that the plain-text export
    // would turn into blanks.
    QString s = RichEdit->document()->toRawText();
    s.replace(QChar::ParagraphSeparator, u'\n');
    s.replace(QChar::LineSeparator, u'\n');
    return s;
}

void TFusenForm::HighlightLinks()
{
    BeginBodyUpdate();
    QTextCursor c(RichEdit->document());
    c.select(QTextCursor::Document);
    c.setCharFormat(QTextCharFormat());
    c.clearSelection();
    // Edit mode is plain text: links are marked again when it ends.
    if (!FEditMode) {
        QTextCharFormat link;
        link.setFontUnderline(true);
        link.setForeground(FLinkColor);
        for (const TLinkSpan& span : FindLinks(BodyText(), FLinkSchemes)) {
            c.setPosition(span.start);
            c.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
            c.mergeCharFormat(link);
        }
    }
    EndBodyUpdate();
}

namespace {
// The document position of the character drawn under a viewport point, or
// -1 when the point is not over text.
int characterAt(const QTextEdit* edit, QPoint viewportPos)
{
    const QTextDocument* doc = edit->document();
    const QPointF p(viewportPos.x() + edit->horizontalScrollBar()->value(),
                    viewportPos.y() + edit->verticalScrollBar()->value());
    const int near = doc->documentLayout()->hitTest(p, Qt::FuzzyHit);
    if (near < 0)
        return -1;
    const QTextBlock block = doc->findBlock(near);
    if (!block.isValid() || !block.layout())
        return -1;
    const QRectF blockRect = doc->documentLayout()->blockBoundingRect(block);
    const QPointF inBlock = p - blockRect.topLeft();
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        if (inBlock.y() < line.y() || inBlock.y() >= line.y() + line.height())
            continue;
        if (inBlock.x() < line.x() || inBlock.x() >= line.x() + line.naturalTextWidth())
            return -1;
        const int pos = line.xToCursor(inBlock.x(), QTextLine::CursorOnCharacter);
        if (pos < line.textStart() || pos >= line.textStart() + line.textLength())
            return -1;
        return block.position() + pos;
    }
    return -1;
}

bool underlinedAt(const QTextDocument* doc, int pos)
{
    const QTextBlock block = doc->findBlock(pos);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.contains(pos))
            return f.charFormat().fontUnderline();
    }
    return false;
}
} // namespace

bool TFusenForm::IsLinkAt(QPoint viewportPos) const
{
    const int pos = characterAt(RichEdit, viewportPos);
    return pos >= 0 && underlinedAt(RichEdit->document(), pos);
}

QString TFusenForm::GetLinkTextAt(QPoint viewportPos) const
{
    const QTextDocument* doc = RichEdit->document();
    const int pos = characterAt(RichEdit, viewportPos);
    if (pos < 0 || !underlinedAt(doc, pos))
        return QString();
    const QTextBlock block = doc->findBlock(pos);
    const int first = block.position();
    const int last = block.position() + block.length() - 1; // before the block's end
    int b = pos;
    while (b > first && underlinedAt(doc, b - 1))
        --b;
    int e = pos + 1;
    while (e < last && underlinedAt(doc, e))
        ++e;
    return TrimLinkText(block.text().mid(b - first, e - b));
}

void TFusenForm::OpenLinkAt(QPoint viewportPos)
{
    const QString text = GetLinkTextAt(viewportPos);
    const int32_t key = NoteLinkKey(text);
    if (key >= 0)
        OpenLinkedNote(key);
    else if (IsOpenableAddress(text))
        platform::shell().open(text);
}

void TFusenForm::OpenLinkedNote(int32_t id)
{
    runCommand([&] { FOwner.OpenLinkedNote(this, id); });
}

// --- loading and saving -----------------------------------------------------------

void TFusenForm::LoadFromRow(const TDbQuery& row)
{
    auto f = [&row](const char* name) { return row.field(QString::fromLatin1(name)); };
    FIDKey = f("IDKEY").asInt();
    SetType(f("FTYPE").asInt());
    SetGroup(f("FGROUP").asInt());
    const QRect stored(f("P_LEFT").asInt(), f("P_TOP").asInt(), f("P_WIDTH").asInt(),
                       f("P_HEIGHT").asInt());
    setGeometry(stored);
    // A note left on a screen that is gone comes back where it can be
    // reached; the stored bounds change only with its next save.
    const QRect reachable = PullBackIntoWorkAreas(geometry(), platform::screens().workAreas());
    if (reachable != geometry())
        setGeometry(reachable);
    FRolledUp = HeaderMinHeight() >= height();
    SetTitle(f("TITLE").asString());
    SetAnchored(f("ANCHOR").asBool());
    SetCompleted(f("COMPLETED").asBool());
    BeginBodyUpdate();
    RichEdit->setPlainText(FromStoredText(f("MEMO").asString()));
    SetBackColor(static_cast<uint32_t>(f("BGCOLOR").asInt()));
    SetHeaderTextColor(static_cast<uint32_t>(f("HTEXTCOLOR").asInt()));
    SetLinkColor(static_cast<uint32_t>(f("LINKCOLOR").asInt()));
    SetTextColor(static_cast<uint32_t>(f("TEXTCOLOR").asInt()));
    HighlightLinks();
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->document()->clearUndoRedoStacks();
    EndBodyUpdate();
    SetBlend(true);
    FParams.STime = f("STIME").asDateTime();
    FParams.ETime = f("ETIME").asDateTime();
    FParams.SSPAN = f("SSPAN").asInt();
    FParams.ESPAN = f("ESPAN").asInt();
    FParams.INITVAL = f("INITVAL").asInt();
    FParams.SVAL = f("SVAL").asInt();
    FParams.EVAL = f("EVAL").asInt();
    FParams.CLOSEVAL = f("CLOSEVAL").asInt();
    FUseRed = f("R").asBool();
    FUseGreen = f("G").asBool();
    FUseBlue = f("B").asBool();
    SetPriority(f("PRIORITY").asInt());
    for (QAction* a : FTypeActions->actions())
        a->setChecked(a->data().toInt() == FTypeID);
    for (QAction* a : FGroupActions->actions())
        a->setChecked(a->data().toInt() == FGroupID);
    // Attachments are added here once notes carry them.
    RememberBounds(true);
    FModified = false;
}

bool TFusenForm::SaveNote()
{
    RememberBounds(true);
    TdbmNotes& db = FOwner.db();
    const bool inserting = FIDKey == 0;
    QString title = FTitle;
    QString memo;
    if (FEditMode) {
        const TTitleMemo tm = SplitEditBody(BodyText());
        title = tm.title;
        memo = tm.memo;
    } else {
        memo = ToStoredText(BodyText());
    }
    try {
        db.BeginWork();
        try {
            if (inserting)
                FIDKey = db.NextFusenID();
            TDbQuery q(db.UpdateTransaction());
            if (inserting)
                q.setSQL(QStringList{
                    QStringLiteral("insert into Fusen("),
                    QStringLiteral("IDKEY,USERID,FTYPE,FGROUP,TITLE,STIME,ETIME,MEMO,"),
                    QStringLiteral("ALPHABLEND,P_TOP,P_LEFT,P_WIDTH,P_HEIGHT,"),
                    QStringLiteral("ANCHOR,COMPLETED"), QStringLiteral(") values ("),
                    QStringLiteral(":IDKEY,:USERID,:FTYPE,:FGROUP,:TITLE,:STIME,:ETIME,:MEMO,"),
                    QStringLiteral(":ALPHABLEND,:P_TOP,:P_LEFT,:P_WIDTH,:P_HEIGHT,"),
                    QStringLiteral(":ANCHOR,:COMPLETED"), QStringLiteral(")")});
            else
                q.setSQL(QStringList{
                    QStringLiteral("update Fusen set"),
                    QStringLiteral("USERID=:USERID,FTYPE=:FTYPE,FGROUP=:FGROUP,TITLE=:TITLE,"),
                    QStringLiteral("STIME=:STIME,ETIME=:ETIME,MEMO=:MEMO,"),
                    QStringLiteral("ALPHABLEND=:ALPHABLEND,"),
                    QStringLiteral(
                        "P_TOP=:P_TOP,P_LEFT=:P_LEFT,P_WIDTH=:P_WIDTH,P_HEIGHT=:P_HEIGHT,"),
                    QStringLiteral("ANCHOR=:ANCHOR,COMPLETED=:COMPLETED"),
                    QStringLiteral("where IDKEY=:IDKEY")});
            q.setParam(QStringLiteral("IDKEY"), static_cast<int>(FIDKey));
            q.setParam(QStringLiteral("USERID"), FOwner.settings().UserID);
            q.setParam(QStringLiteral("FTYPE"), static_cast<int>(FTypeID));
            q.setParam(QStringLiteral("FGROUP"), static_cast<int>(FGroupID));
            q.setParam(QStringLiteral("TITLE"), title);
            q.setParam(QStringLiteral("STIME"), FParams.STime);
            q.setParam(QStringLiteral("ETIME"), FParams.ETime);
            q.setParam(QStringLiteral("MEMO"), memo);
            q.setNull(QStringLiteral("ALPHABLEND"));
            q.setParam(QStringLiteral("P_TOP"), FRestoreBounds.top());
            q.setParam(QStringLiteral("P_LEFT"), FRestoreBounds.left());
            q.setParam(QStringLiteral("P_WIDTH"), FRestoreBounds.width());
            q.setParam(QStringLiteral("P_HEIGHT"), FRestoreBounds.height());
            q.setParam(QStringLiteral("ANCHOR"), IsAnchored());
            q.setParam(QStringLiteral("COMPLETED"), IsCompleted());
            q.execute();
            db.CommitWork();
        } catch (const EDatabaseError&) {
            try {
                db.RollbackWork();
            } catch (const EDatabaseError&) {
                // shown by the hook; the first error is the one to report
            }
            throw;
        }
    } catch (const EDatabaseError& e) {
        // A key whose insert failed names no row: keeping it would turn every
        // later save into an update of nothing, reported as done.
        if (inserting)
            FIDKey = 0;
        platform::messages().showError(e.message());
        return false;
    }
    FModified = false;
    return true;
}

void TFusenForm::EnterEditMode()
{
    if (FEditMode) {
        BringToFront();
        return;
    }
    BeginBodyUpdate();
    try {
        const QString text = FTitle + u'\n' + BodyText();
        FEditMode = true;
        UpdateHeaderText();
        RichEdit->setReadOnly(false);
        RichEdit->viewport()->setCursor(Qt::IBeamCursor);
        RichEdit->setPlainText(text);
        HighlightLinks(); // clears every format: edit mode is plain text
        RichEdit->moveCursor(QTextCursor::Start);
        RichEdit->ensureCursorVisible();
        RichEdit->document()->clearUndoRedoStacks();
        FReadOnlyView = false;
        FDragArmed = false;
        btnEdit->setChecked(true);
    } catch (...) {
        EndBodyUpdate();
        show();
        throw;
    }
    EndBodyUpdate();
    BringToFront();
}

void TFusenForm::LeaveEditMode()
{
    const QString text = BodyText();
    if (text.size() > MaxBodyLength)
        throw ENoteError(BodyTooLargeMessage(text.size()));
    BeginBodyUpdate();
    const TLeaveSplit split = SplitLeaveEdit(text);
    FEditMode = false;
    // An emptied body leaves no title either, rather than the one it had
    // before editing started.
    SetTitle(split.title);
    if (split.hasLine)
        RichEdit->setPlainText(split.body);
    RichEdit->viewport()->setCursor(Qt::ArrowCursor);
    HighlightLinks();
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->ensureCursorVisible();
    RichEdit->document()->clearUndoRedoStacks();
    btnEdit->setChecked(false);
    if (!FOwner.settings().ViewModeEdit) {
        FReadOnlyView = true;
        RichEdit->setReadOnly(true);
        QGuiApplication::inputMethod()->reset();
    }
    EndBodyUpdate();
}

// --- commands -----------------------------------------------------------------------

void TFusenForm::btnEditClick()
{
    btnEdit->setEnabled(false);
    runCommand([this] {
        if (btnEdit->isChecked()) {
            EnterEditMode();
            return;
        }
        try {
            LeaveEditMode();
        } catch (...) {
            // Still editing: the button says so.
            btnEdit->setChecked(true);
            throw;
        }
        if (FModified)
            SaveNote();
    });
    btnEdit->setEnabled(true);
}

void TFusenForm::btnCompletedClick(Qt::KeyboardModifiers modifiers)
{
    runCommand([&] {
        if (modifiers & Qt::ShiftModifier)
            FOwner.ApplyCompletedToNotes(FGroupID, IsCompleted(), false);
        else if (modifiers & Qt::ControlModifier)
            FOwner.ApplyCompletedToNotes(FGroupID, IsCompleted(), true);
        else
            SaveNote();
    });
}

void TFusenForm::btnAnchorClick(Qt::KeyboardModifiers modifiers)
{
    runCommand([&] {
        if (modifiers & Qt::ShiftModifier)
            FOwner.ApplyAnchorToNotes(FGroupID, IsAnchored(), false);
        else if (modifiers & Qt::ControlModifier)
            FOwner.ApplyAnchorToNotes(FGroupID, IsAnchored(), true);
        else
            SaveNote();
    });
}

void TFusenForm::actCloseExecute(Qt::KeyboardModifiers modifiers)
{
    runCommand([&] {
        if (modifiers & Qt::ShiftModifier) {
            FOwner.PeelOffNotes(FGroupID, false);
        } else if (modifiers & Qt::ControlModifier) {
            FOwner.PeelOffNotes(FGroupID, true);
        } else {
            FOwner.AddPeeledNote(FIDKey, FPriority);
            Release();
        }
    });
}

void TFusenForm::actDeleteExecute()
{
    runCommand([this] {
        if (FEditMode)
            LeaveEditMode();
        const QString name =
            windowTitle().isEmpty() ? QStringLiteral("(タイトル無し)") : windowTitle();
        if (!platform::messages().confirm(name + QStringLiteral(" を削除しますか？")))
            return;
        TdbmNotes& db = FOwner.db();
        db.BeginWork();
        try {
            TDbQuery q(db.UpdateTransaction(),
                       QStringList{QStringLiteral("delete from Fusen where IDKEY=:IDKEY")});
            q.setParam(QStringLiteral("IDKEY"), static_cast<int>(FIDKey));
            q.execute();
            db.CommitWork();
        } catch (...) {
            db.RollbackWork();
            throw;
        }
        FModified = false;
        Release();
    });
}

void TFusenForm::actChgTypeExecute(int32_t id)
{
    runCommand([&] { SetType(id); });
}

void TFusenForm::actChgGroupExecute(int32_t id)
{
    runCommand([&] { SetGroup(id); });
}

void TFusenForm::actNewExecute(int32_t type)
{
    runCommand([&] { FOwner.CreateNewNote(type, FGroupID); });
}

void TFusenForm::actLinkTagExecute()
{
    platform::clipboard().setText(LinkTagText(FIDKey, FTitle));
}

void TFusenForm::EditPaste1Execute()
{
    const QString text = platform::clipboard().text();
    if (text.isEmpty())
        return;
    // Only the text goes back: whatever else the clipboard held is dropped.
    platform::clipboard().setText(text);
    RichEdit->insertPlainText(FromStoredText(text));
}

// --- search -------------------------------------------------------------------------

void TFusenForm::ShowSearch(bool show)
{
    if (show) {
        if (FEditMode)
            LeaveEditMode();
        panelSearch->show();
        LayoutControls();
        editSearch->setFocus();
    } else {
        panelSearch->hide();
        LayoutControls();
        if (!FOwner.settings().ViewModeEdit)
            QGuiApplication::inputMethod()->reset();
    }
}

bool TFusenForm::IsSearchShown() const
{
    return panelSearch->isVisibleTo(this);
}

void TFusenForm::SearchNotes()
{
    const QList<QPair<int32_t, QString>> rows = FOwner.SearchNotes(editSearch->text());
    BeginBodyUpdate();
    QTextCursor c(RichEdit->document());
    c.movePosition(QTextCursor::End);
    for (const auto& row : rows) {
        const QString text = BodyText();
        if (!text.isEmpty() && !text.endsWith(u'\n'))
            c.insertText(QStringLiteral("\n"));
        c.insertText(SearchResultLine(row.first, row.second));
    }
    EndBodyUpdate();
    RichEdit->setFocus();
    RichEdit->moveCursor(QTextCursor::End);
    RichEdit->ensureCursorVisible();
    FModified = true;
    HighlightLinks();
}

// --- bounds -------------------------------------------------------------------------

void TFusenForm::RememberBounds(bool withHeight)
{
    const QRect g = geometry();
    const int h = (withHeight || !FRolledUp) ? g.height() : FRestoreBounds.height();
    FRestoreBounds = QRect(g.x(), g.y(), g.width(), h);
}

void TFusenForm::RestoreBounds()
{
    setGeometry(FRestoreBounds);
}

void TFusenForm::PlaceAt(const QRect& r)
{
    setGeometry(r);
}

void TFusenForm::BringToFront()
{
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    show();
    raise();
    activateWindow();
    if (RichEdit->isVisible())
        RichEdit->setFocus();
}

void TFusenForm::SendToBack()
{
    lower();
}

QRect TFusenForm::workAreaHere() const
{
    return platform::screens().workAreaFor(geometry());
}

void TFusenForm::RollUp()
{
    const int m = HeaderMinHeight();
    FRolledUp = m >= height();
    if (!FRolledUp) {
        resize(width(), m);
        ShowSearch(false);
    } else {
        if (m + 10 >= FRestoreBounds.height()) {
            const int h = FOwner.settings().DefaultPos.Height;
            FRestoreBounds.setHeight(h > m ? h : DesignHeight);
        }
        resize(width(), FRestoreBounds.height());
    }
    FModified = true;
}

void TFusenForm::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    LayoutControls();
    if (!isVisible())
        return;
    FRolledUp = HeaderMinHeight() >= height();
    if (panelSearch->isVisibleTo(this) &&
        height() - FHeaderHeight - ToolBarHeight - SearchPanelHeight <= 0) {
        panelSearch->hide();
        LayoutControls();
    }
    RememberBounds(false);
    FModified = true;
    if (FDrag == TDrag::System && FDragQuiet.isActive())
        FDragQuiet.start();
}

void TFusenForm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    FSinceShown.start();
}

void TFusenForm::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    // A reparenting window manager can report a note it is just mapping at
    // its frame's corner, and Qt then keeps 0,0 although the note stands
    // where we put it; saved like that, it would come back in the corner.
    // Asking for our own position again brings a true report.
    if (!e->spontaneous()) {
        FAskedPos = pos();
    } else if (FDrag == TDrag::None && pos().isNull() && !FAskedPos.isNull() &&
               FSinceShown.isValid() && FSinceShown.elapsed() < MappingMSecs) {
        QTimer::singleShot(0, this, [this] {
            if (FDrag == TDrag::None && pos().isNull())
                move(FAskedPos);
        });
    }
    if (FDrag == TDrag::System && FDragQuiet.isActive())
        FDragQuiet.start(); // at the same interval: still moving, or settling
    if (FDrag != TDrag::None)
        FollowGroup();
}

void TFusenForm::FollowGroup()
{
    if (!(FDragModifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        return;
    // The others follow as the note goes, by the steps it has made since the
    // press; their places before the drag are remembered once, at the first.
    const QPoint offset(x() - FPressLeft, y() - FPressTop);
    const QPoint step = offset - FGroupOffset;
    if (step.isNull())
        return;
    const bool all = !(FDragModifiers & Qt::ShiftModifier);
    FOwner.MoveNotesBy(this, step.x(), step.y(), all, !FGroupMoved);
    FGroupMoved = true;
    FGroupOffset = offset;
}

// --- activation ---------------------------------------------------------------------

bool TFusenForm::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        FormActivate();
        break;
    case QEvent::WindowDeactivate:
        // The window manager takes the keyboard while it moves or sizes a
        // window: that is no change of the active window.
        if (FDrag == TDrag::System)
            break;
        // Another of our windows took over, or the program lost the
        // keyboard altogether; the desktop saves every note in the latter case.
        if (QApplication::activeWindow())
            FormDeactivate();
        else
            ApplicationDeactivated();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TFusenForm::FormActivate()
{
    if (FOwner.notesReady())
        SetBlend(false);
}

void TFusenForm::FormDeactivate()
{
    if (!FOwner.notesReady())
        return;
    EndDrag();
    SetBlend(true);
    if (FEditMode) {
        try {
            LeaveEditMode();
        } catch (const ENoteError& e) {
            platform::messages().showError(e.text());
            return;
        }
    }
    if (panelSearch->isVisibleTo(this)) {
        panelSearch->hide();
        LayoutControls();
    }
    if (FModified)
        SaveNote();
}

void TFusenForm::ApplicationDeactivated()
{
    if (!FOwner.notesReady())
        return;
    EndDrag();
    SetBlend(true);
}

// --- keyboard -----------------------------------------------------------------------

void TFusenForm::keyPressEvent(QKeyEvent* e)
{
    if (!FormKeyPress(e, false))
        QWidget::keyPressEvent(e);
}

bool TFusenForm::FormKeyPress(QKeyEvent* e, bool inSearchBox)
{
    const int key = e->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (FEditMode) {
        if (key == Qt::Key_Escape) {
            runCommand([this] {
                LeaveEditMode();
                SaveNote();
            });
            return true;
        }
        if (e->matches(QKeySequence::Paste)) {
            EditPaste1Execute();
            return true;
        }
        return false;
    }
    if (panelSearch->isVisibleTo(this)) {
        if (enter && (inSearchBox || editSearch->hasFocus())) {
            runCommand([this] { SearchNotes(); });
            ShowSearch(false);
            return true;
        }
        if (key == Qt::Key_Escape) {
            ShowSearch(false);
            return true;
        }
        return false;
    }
    if (FOwner.settings().ViewModeEdit)
        return false;
    if (enter) {
        runCommand([this] { EnterEditMode(); });
        return true;
    }
    // Letters typed with Ctrl or Alt are the body's own shortcuts (Ctrl+C
    // copies), never note commands.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString t = e->text();
    if (t.size() != 1)
        return false;
    switch (t.at(0).toLower().unicode()) {
    case u'a':
        SetAnchored(!IsAnchored());
        btnAnchorClick(e->modifiers());
        return true;
    case u'c':
        SetCompleted(!IsCompleted());
        btnCompletedClick(e->modifiers());
        return true;
    case u's':
        runCommand([this] { ShowSearch(true); });
        return true;
    case u'x':
        actCloseExecute(e->modifiers());
        return true;
    default:
        return false;
    }
}

// --- pointer --------------------------------------------------------------------------

void TFusenForm::PointerPress(TSurface, QPoint globalPos, Qt::MouseButton, Qt::KeyboardModifiers)
{
    EndDrag();
    FDragArmed = true;
    FPressGlobal = globalPos;
    FPressTop = y();
    FPressLeft = x();
}

bool TFusenForm::BodyMousePress(QMouseEvent* e)
{
    EndDrag();
    const QPoint global = e->globalPosition().toPoint();
    if (FEditMode) {
        // Editing selects text with the pointer; only the frame's edges
        // still size the window.
        const QPoint c = mapFromGlobal(global);
        FDragArmed = NoteHitZone(c.x(), c.y(), width(), height()) != THitZone::Interior;
        FPressGlobal = global;
        FPressTop = y();
        FPressLeft = x();
        return FDragArmed;
    }
    const TDateTime now = platform::now();
    const QPoint viewportPos = e->position().toPoint();
    if (global != FPressGlobal || e->button() != Qt::LeftButton) {
        FDragArmed = true;
    } else if (msecsBetween(FPressTime, now) < DoublePressMSecs) {
        if (IsLinkAt(viewportPos))
            OpenLinkAt(viewportPos);
        else
            runCommand([this] { EnterEditMode(); });
    } else {
        FDragArmed = true;
    }
    FPressTop = y();
    FPressLeft = x();
    FPressGlobal = global;
    FPressTime = now;
    SetBlend(false);
    if (!FEditMode) {
        RichEdit->setFocus(Qt::MouseFocusReason);
        if (!FReadOnlyView)
            RichEdit->setTextCursor(RichEdit->cursorForPosition(viewportPos));
    }
    return true;
}

void TFusenForm::FollowPointer(QPoint globalPos)
{
    const QPoint d = globalPos - FDragStartGlobal;
    if (FDragZone == THitZone::Interior)
        move(FDragStartBounds.topLeft() + d);
    else
        setGeometry(
            ResizeByEdges(FDragStartBounds, HitZoneEdges(FDragZone), d.x(), d.y(), minimumSize()));
}

bool TFusenForm::PointerMove(QWidget* control, TSurface surface, QPoint globalPos,
                             Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    if (FDrag == TDrag::Manual) {
        FollowPointer(globalPos);
        return true;
    }
    if (FDrag == TDrag::System && !(buttons & Qt::LeftButton))
        FDragQuiet.start(SettleMSecs);
    Qt::CursorShape base = Qt::ArrowCursor;
    if (surface == TSurface::Body) {
        if (FEditMode)
            base = Qt::IBeamCursor;
        else if (IsLinkAt(RichEdit->viewport()->mapFromGlobal(globalPos)))
            base = Qt::PointingHandCursor;
    }
    const QPoint c = mapFromGlobal(globalPos);
    const THitZone zone = NoteHitZone(c.x(), c.y(), width(), height());
    if (control)
        control->setCursor(HitZoneCursor(zone, base));
    if ((buttons & Qt::LeftButton) && FDragArmed && globalPos != FPressGlobal) {
        // The zone the press was in decides: a quick pointer may be well
        // inside the window before its first move arrives.
        const QPoint pressed = mapFromGlobal(FPressGlobal);
        StartDrag(NoteHitZone(pressed.x(), pressed.y(), width(), height()), globalPos, modifiers);
        return true;
    }
    return false;
}

void TFusenForm::PointerRelease()
{
    // The window manager reports the last steps of its move after the
    // release: the drag ends once they have come.
    if (FDrag == TDrag::System)
        FDragQuiet.start(SettleMSecs);
    else
        EndDrag();
}

void TFusenForm::StartDrag(THitZone zone, QPoint globalPos, Qt::KeyboardModifiers modifiers)
{
    FDragArmed = false;
    FDragZone = zone;
    FDragModifiers = modifiers;
    FGroupOffset = QPoint();
    FGroupMoved = false;
    FDragStartGlobal = FPressGlobal;
    FDragStartBounds = QRect(QPoint(FPressLeft, FPressTop), size());
    FModified = true;
    bool bySystem = false;
    if (QWindow* w = windowHandle())
        bySystem = zone == THitZone::Interior ? w->startSystemMove()
                                              : w->startSystemResize(HitZoneEdges(zone));
    // Where the window system has no move of its own (the headless
    // platform, some compositors) the pointer's moves drive the geometry.
    FDrag = bySystem ? TDrag::System : TDrag::Manual;
    if (bySystem)
        FDragQuiet.start(NoReleaseMSecs);
    else
        FollowPointer(globalPos);
}

void TFusenForm::EndDrag()
{
    if (FDrag == TDrag::None)
        return;
    FDragQuiet.stop();
    if (FDragZone == THitZone::Interior) {
        const QPoint snapped = SnapToWorkArea(geometry(), workAreaHere());
        if (snapped != pos())
            move(snapped); // the group follows this last step too
    }
    FDrag = TDrag::None;
    FModified = true;
}

void TFusenForm::mousePressEvent(QMouseEvent* e)
{
    PointerPress(TSurface::Window, e->globalPosition().toPoint(), e->button(), e->modifiers());
    e->accept();
}

void TFusenForm::mouseMoveEvent(QMouseEvent* e)
{
    PointerMove(this, TSurface::Window, e->globalPosition().toPoint(), e->buttons(),
                e->modifiers());
    e->accept();
}

void TFusenForm::mouseReleaseEvent(QMouseEvent* e)
{
    PointerRelease();
    e->accept();
}

bool TFusenForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == RichEdit->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::RightButton && FEditMode)
                return false;
            return BodyMousePress(me);
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            const bool taken =
                PointerMove(RichEdit->viewport(), TSurface::Body, me->globalPosition().toPoint(),
                            me->buttons(), me->modifiers());
            // In view mode the pointer moves the note, it never selects.
            return taken || (!FEditMode && (me->buttons() & Qt::LeftButton));
        }
        case QEvent::MouseButtonRelease:
            PointerRelease();
            return !FEditMode;
        case QEvent::ContextMenu:
            ShowPopup(FEditMode ? popupMenuEdit : PopupMenu,
                      static_cast<QContextMenuEvent*>(e)->globalPos());
            return true;
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(e);
            const int steps = we->angleDelta().y() / 120;
            if (steps != 0 && !(we->modifiers() & Qt::ControlModifier))
                StepBodyFont(steps);
            return false; // the body still scrolls
        }
        default:
            break;
        }
        return false;
    }
    if (e->type() == QEvent::KeyPress && (watched == RichEdit || watched == editSearch))
        return FormKeyPress(static_cast<QKeyEvent*>(e), watched == editSearch);
    if (e->type() == QEvent::ContextMenu && watched == RichEdit) {
        auto* ce = static_cast<QContextMenuEvent*>(e);
        ShowPopup(FEditMode ? popupMenuEdit : PopupMenu, ce->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void TFusenForm::ShowPopup(QMenu* menu, QPoint globalPos)
{
    menu->popup(globalPos);
}

void TFusenForm::contextMenuEvent(QContextMenuEvent* e)
{
    ShowPopup(PopupMenu, e->globalPos());
}

void TFusenForm::mouseDoubleClickEvent(QMouseEvent* e)
{
    PointerPress(TSurface::Header, e->globalPosition().toPoint(), e->button(), e->modifiers());
    const QPoint inLabel = labelHeader->mapFromGlobal(e->globalPosition().toPoint());
    if (e->button() == Qt::LeftButton && labelHeader->rect().contains(inLabel))
        RollUp();
    e->accept();
}
