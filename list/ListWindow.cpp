#include "ListWindow.h"

#include "platform/TimerPause.h"

#include "ListGrid.h"
#include "ListHost.h"
#include "ListModel.h"
#include "app/Settings.h"
#include "db/DBModBase.h"
#include "platform/Platform.h"
#include "types/FusenGroup.h"
#include "types/TypeList.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString DeleteConfirmation = QStringLiteral("選択行をすべて削除します。よろしいですか？");

// The designed column widths; a column is made wider only where its title or
// a date would not fit in the font in use.
constexpr int DesignWidths[TListModel::ColumnCount] = {100, 300, 150, 40, 100, 100};

} // namespace

TListWindow::TListWindow(TdbmBase& db, const TSettings& settings, TListHost& host, QWidget* parent)
    : QWidget(parent), FDB(db), FSettings(settings), FHost(host), FModel(new TListModel(db, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildHeader();
    buildGrid();
    buildMenu();
    labelStatus = new QLabel(this);
    labelStatus->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(labelStatus);
    updateSortIndicator();
    updateStatus();
}

TListWindow::~TListWindow() = default;

void TListWindow::buildHeader()
{
    auto* panel = new QWidget(this);
    panel->setMinimumHeight(53);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 2, 6, 4);
    row->setSpacing(10);

    auto* frame = new QGroupBox(QStringLiteral("テキスト検索"), panel);
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(6, 2, 6, 4);
    editSearch = new QLineEdit(frame);
    editSearch->setClearButtonEnabled(true);
    editSearch->setMaxLength(MaxSearchLength);
    frameLayout->addWidget(editSearch);
    row->addWidget(frame, 1);

    auto* radios = new QVBoxLayout;
    radios->setSpacing(0);
    radioTitle = new QRadioButton(QStringLiteral("タイトルのみ"), panel);
    radioBody = new QRadioButton(QStringLiteral("タイトル＋本文"), panel);
    radioTitle->setChecked(true);
    radios->addWidget(radioTitle);
    radios->addWidget(radioBody);
    row->addLayout(radios);

    auto* combos = new QVBoxLayout;
    combos->setSpacing(2);
    comboType = new QComboBox(panel);
    comboGroup = new QComboBox(panel);
    for (QComboBox* c : {comboType, comboGroup}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(9);
        combos->addWidget(c);
    }
    comboType->addItem(QStringLiteral("すべてのタイプ"));
    comboGroup->addItem(QStringLiteral("すべてのグループ"));
    row->addLayout(combos);

    checkCompleted = new QCheckBox(QStringLiteral("「済み」を表示する"), panel);
    row->addWidget(checkCompleted);

    static_cast<QVBoxLayout*>(layout())->addWidget(panel);

    connect(editSearch, &QLineEdit::textChanged, this, &TListWindow::controlChanged);
    // The radio turned off reports too; one rebuild per choice.
    connect(radioTitle, &QRadioButton::toggled, this, &TListWindow::radioToggled);
    connect(radioBody, &QRadioButton::toggled, this, &TListWindow::radioToggled);
    connect(comboType, &QComboBox::activated, this, &TListWindow::controlChanged);
    connect(comboGroup, &QComboBox::activated, this, &TListWindow::controlChanged);
    connect(checkCompleted, &QCheckBox::toggled, this, &TListWindow::checkCompletedToggled);
}

void TListWindow::buildGrid()
{
    dbGrid = new TListGrid(this);
    dbGrid->setListModel(FModel);
    QHeaderView* header = dbGrid->horizontalHeader();
    const QFontMetrics titles(header->font());
    const int dateWidth =
        dbGrid->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00"));
    for (int c = 0; c < TListModel::ColumnCount; ++c) {
        int w = std::max(DesignWidths[c], titles.horizontalAdvance(TListModel::Title(c)) + 28);
        if (c == TListModel::colSTIME)
            w = std::max(w, dateWidth + 14);
        header->resizeSection(c, w);
    }
    dbGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    dbGrid->installEventFilter(this);
    static_cast<QVBoxLayout*>(layout())->addWidget(dbGrid, 1);

    connect(header, &QHeaderView::sectionClicked, this, &TListWindow::SortByColumn);
    connect(dbGrid, &QAbstractItemView::doubleClicked, this, &TListWindow::gridDoubleClicked);
    connect(dbGrid, &QWidget::customContextMenuRequested, this, &TListWindow::gridContextMenu);
    connect(FModel, &TListModel::rowsFetched, this, &TListWindow::updateStatus);
    connect(dbGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TListWindow::updateStatus);
}

void TListWindow::buildMenu()
{
    auto make = [this](const QString& text, void (TListWindow::*handler)()) {
        auto* a = new QAction(text, this);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    actGridLoadFusen = make(QStringLiteral("付箋の表示"), &TListWindow::actGridLoadFusenExecute);
    actGridComplete = make(QStringLiteral("「済み」にする"), &TListWindow::actGridCompleteExecute);
    actGridUnComplete =
        make(QStringLiteral("「済み」を外す"), &TListWindow::actGridUnCompleteExecute);
    actGridSelAll = make(QStringLiteral("全選択"), &TListWindow::actGridSelAllExecute);
    actGridClearAll = make(QStringLiteral("全解除"), &TListWindow::actGridClearAllExecute);
    actGridSelComplete =
        make(QStringLiteral("「済み」を選択"), &TListWindow::actGridSelCompleteExecute);
    actGridSelUnComplete =
        make(QStringLiteral("「済み」以外を選択"), &TListWindow::actGridSelUnCompleteExecute);
    actGridDelete = make(QStringLiteral("削除する"), &TListWindow::actGridDeleteExecute);

    // The usual keys of a list, working while the grid has the focus.
    actGridLoadFusen->setShortcut(QKeySequence(Qt::Key_Return));
    actGridSelAll->setShortcut(QKeySequence::SelectAll);
    actGridDelete->setShortcut(QKeySequence::Delete);
    for (QAction* a : {actGridLoadFusen, actGridSelAll, actGridDelete}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        dbGrid->addAction(a);
    }

    popGrid = new QMenu(this);
    popGrid->addAction(actGridLoadFusen);
    popGrid->setDefaultAction(actGridLoadFusen);
    popGrid->addAction(actGridComplete);
    popGrid->addAction(actGridUnComplete);
    popGrid->addSeparator();
    popSelect = popGrid->addMenu(QStringLiteral("選択"));
    popSelect->addAction(actGridSelAll);
    popSelect->addAction(actGridClearAll);
    popSelect->addAction(actGridSelComplete);
    popSelect->addAction(actGridSelUnComplete);
    popGrid->addSeparator();
    popGrid->addAction(actGridDelete);

    checkCompletedToggled(checkCompleted->isChecked());
}

// --- showing, hiding, sizing -----------------------------------------------

void TListWindow::FormShow()
{
    FShown = true;
    if (!FModel->IsOpen())
        RefreshList();
}

void TListWindow::FormHide()
{
    FShown = false;
    FModel->Close();
    updateStatus();
}

void TListWindow::FormResize()
{
    if (std::abs(dbGrid->width() - FLastGridWidth) > 10)
        FitMemoColumn();
}

void TListWindow::FitMemoColumn()
{
    const int width = dbGrid->width();
    QList<int> others = {TListModel::colSTIME, TListModel::colTITLE, TListModel::colPRIORITY};
    if (width > 700)
        others << TListModel::colTYPENAME;
    if (width > 800)
        others << TListModel::colGROUPNAME;
    int memo = width - 40;
    for (const int c : others)
        memo -= dbGrid->columnWidth(c);
    // Never to nothing: the column stays there to be widened by hand.
    dbGrid->setColumnWidth(TListModel::colMEMO, std::max(memo, 40));
    FLastGridWidth = width;
}

void TListWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    FormShow();
}

void TListWindow::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    FormHide();
}

bool TListWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == dbGrid && e->type() == QEvent::Resize)
        FormResize();
    return QWidget::eventFilter(watched, e);
}

// --- the query -------------------------------------------------------------

TListFilter TListWindow::filter() const
{
    TListFilter f;
    f.UserID = FSettings.UserID;
    f.SearchText = editSearch->text();
    f.SearchBody = radioBody->isChecked();
    if (comboType->currentIndex() > 0)
        f.TypeID = comboType->currentData().toInt();
    if (comboGroup->currentIndex() > 0)
        f.GroupID = comboGroup->currentData().toInt();
    f.ShowCompleted = checkCompleted->isChecked();
    return f;
}

bool TListWindow::isListOpen() const
{
    return FModel->IsOpen();
}

void TListWindow::RefreshList()
{
    // Where the user was: the same note, at the same height in the view.
    int32_t key = 0;
    int row = -1, column = 0, offset = -1;
    if (FModel->IsOpen() && dbGrid->currentIndex().isValid()) {
        row = dbGrid->currentIndex().row();
        column = dbGrid->currentIndex().column();
        key = FModel->Row(row).IDKEY;
        offset = dbGrid->OffsetInView(row);
    }
    const TListFilter f = filter();
    try {
        FModel->Open(f, FSort);
    } catch (const EDatabaseError&) {
        // Shown by the module's error hook; the grid stays empty.
        updateStatus();
        return;
    }
    updateSortIndicator();
    if (FModel->rowCount() == 0) {
        updateStatus();
        return;
    }
    int target = 0;
    if (row >= 0) {
        // Reading on to the note is worth it only when it is there: a search
        // that dropped it would otherwise read the whole result to find out.
        target = FModel->FindKey(key);
        if (target < 0 && !FModel->AtEnd() && FModel->Holds(f, key))
            target = FModel->FindKey(key, FFollowLimit);
    }
    if (target < 0) {
        // The note left the result: stay at its row number as far as there are rows.
        while (FModel->rowCount() <= row && !FModel->AtEnd())
            FModel->fetchMore(QModelIndex());
        target = std::min(row, FModel->rowCount() - 1);
    }
    dbGrid->ShowRowAt(target, column, offset);
    updateStatus();
}

void TListWindow::controlChanged()
{
    if (FShown)
        RefreshList();
}

void TListWindow::radioToggled(bool on)
{
    if (on)
        controlChanged();
}

void TListWindow::gridContextMenu(const QPoint& pos)
{
    popGrid->popup(dbGrid->viewport()->mapToGlobal(pos));
}

void TListWindow::checkCompletedToggled(bool checked)
{
    actGridUnComplete->setEnabled(checked);
    actGridSelComplete->setEnabled(checked);
    actGridSelUnComplete->setEnabled(checked);
    controlChanged();
}

void TListWindow::ReloadTypeList(const TTypeList& types)
{
    comboType->clear();
    comboType->addItem(QStringLiteral("すべてのタイプ"));
    for (const TTypeEntry& t : types.items())
        comboType->addItem(t.LABEL, t.IDKEY);
    comboType->setCurrentIndex(0);
    // The filter the combo no longer shows must not go on narrowing the list,
    // and the type column shows the names as they are now.
    controlChanged();
}

void TListWindow::ReloadGroupList(const TFusenGroup& groups)
{
    QStringList labels;
    QList<int32_t> ids;
    groups.FillStrings(labels, ids);
    comboGroup->clear();
    comboGroup->addItem(QStringLiteral("すべてのグループ"));
    for (int i = 0; i < labels.size(); ++i)
        comboGroup->addItem(labels[i], ids.value(i));
    comboGroup->setCurrentIndex(0);
    controlChanged();
}

void TListWindow::SortByColumn(int column)
{
    const QString field = TListModel::FieldName(column);
    if (field.isEmpty())
        return;
    FSort.ClickColumn(field);
    RefreshList();
}

void TListWindow::updateSortIndicator()
{
    int column = -1;
    for (int c = 0; c < TListModel::ColumnCount; ++c) {
        QString field = TListModel::FieldName(c);
        if (c == TListModel::colTYPENAME)
            field = QStringLiteral("FTYPE");
        else if (c == TListModel::colGROUPNAME)
            field = QStringLiteral("FGROUP");
        if (field == FSort.FSortField)
            column = c;
    }
    dbGrid->horizontalHeader()->setSortIndicator(column, FSort.descending() ? Qt::DescendingOrder
                                                                            : Qt::AscendingOrder);
}

void TListWindow::updateStatus()
{
    if (!FModel->IsOpen()) {
        labelStatus->clear();
        return;
    }
    QString text = QStringLiteral("%1 件").arg(TListModel::FormatNumber(FModel->rowCount()));
    if (!FModel->AtEnd())
        text += QStringLiteral("以上");
    const qsizetype selected = dbGrid->SelectedRowNumbers().size();
    if (selected > 0)
        text += QStringLiteral("（%1 件選択）").arg(TListModel::FormatNumber(selected));
    labelStatus->setText(text);
}

// --- actions ---------------------------------------------------------------

QList<int32_t> TListWindow::SelectedKeys() const
{
    QList<int32_t> keys;
    if (!FModel->IsOpen())
        return keys;
    for (const int row : dbGrid->SelectedRowNumbers())
        keys << FModel->Row(row).IDKEY;
    if (keys.isEmpty() && dbGrid->currentIndex().isValid())
        keys << FModel->Row(dbGrid->currentIndex().row()).IDKEY;
    return keys;
}

void TListWindow::gridDoubleClicked(const QModelIndex& index)
{
    if (index.isValid())
        actGridLoadFusenExecute();
}

void TListWindow::actGridLoadFusenExecute()
{
    const QModelIndex current = dbGrid->currentIndex();
    if (!FModel->IsOpen() || !current.isValid())
        return;
    try {
        FHost.OpenNoteByKey(FModel->Row(current.row()).IDKEY);
    } catch (const EDatabaseError&) {
        // shown by the module's error hook
    }
}

void TListWindow::changeRows(TGridChange change)
{
    const QList<int32_t> keys = SelectedKeys();
    if (keys.isEmpty())
        return;
    try {
        ApplyGridChange(FDB, change, keys);
    } catch (const EDatabaseError&) {
        // Shown by the module's error hook; nothing changed, the list stands.
        return;
    }
    if (change == TGridChange::Delete)
        for (const int32_t key : keys)
            FHost.DiscardNote(key);
    RefreshList();
}

void TListWindow::actGridCompleteExecute()
{
    changeRows(TGridChange::Complete);
}

void TListWindow::actGridUnCompleteExecute()
{
    changeRows(TGridChange::UnComplete);
}

void TListWindow::actGridDeleteExecute()
{
    if (SelectedKeys().isEmpty())
        return;
    if (!platform::messages().confirm(DeleteConfirmation))
        return;
    TTimerPause pause(FHost.timer());
    // Windows close only once the rows are gone for good: closing them inside
    // the unit of work would lose their unsaved text when it rolls back.
    changeRows(TGridChange::Delete);
}

void TListWindow::actGridSelAllExecute()
{
    selectWhere(-1);
}

void TListWindow::actGridClearAllExecute()
{
    dbGrid->clearSelection();
}

void TListWindow::actGridSelCompleteExecute()
{
    selectWhere(1);
}

void TListWindow::actGridSelUnCompleteExecute()
{
    selectWhere(0);
}

void TListWindow::selectWhere(int completed)
{
    dbGrid->clearSelection();
    if (!FModel->IsOpen())
        return;
    FModel->FetchAll();
    const int rows = FModel->rowCount();
    if (rows == 0)
        return;
    const int lastColumn = TListModel::ColumnCount - 1;
    QItemSelection selection;
    int last = -1;
    for (int r = 0; r < rows;) {
        if (completed >= 0 && FModel->Row(r).COMPLETED != (completed == 1)) {
            ++r;
            continue;
        }
        int end = r;
        while (end + 1 < rows &&
               (completed < 0 || FModel->Row(end + 1).COMPLETED == (completed == 1)))
            ++end;
        selection.select(FModel->index(r, 0), FModel->index(end, lastColumn));
        last = end;
        r = end + 1;
    }
    dbGrid->selectionModel()->select(selection,
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // The walk ends on the last row; it comes back to the last row selected.
    const int column = dbGrid->currentIndex().isValid() ? dbGrid->currentIndex().column() : 0;
    dbGrid->ShowRowAt(last >= 0 ? last : rows - 1, column, -1);
}
