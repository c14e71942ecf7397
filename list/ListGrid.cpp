#include "ListGrid.h"

#include "ListModel.h"
#include "ListRowDelegate.h"

#include <QBitArray>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

TListGrid::TListGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new TListRowDelegate(this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setStretchLastSection(false);
    // Fixed row heights: a hundred thousand rows must not be measured one by one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    verticalHeader()->setHighlightSections(true);
    verticalHeader()->setFixedWidth(14); // the row indicator
}

void TListGrid::setListModel(TListModel* model)
{
    FModel = model;
    setModel(model);
}

void TListGrid::SetAnchor(int row)
{
    FAnchorRow = row;
    FAnchorKey = FModel && row >= 0 && row < FModel->rowCount() ? FModel->Row(row).IDKEY : 0;
}

void TListGrid::SelectRangeToAnchor(int row)
{
    if (!FModel || row < 0 || row >= FModel->rowCount())
        return;
    int anchor = -1;
    if (FAnchorRow >= 0) {
        // The anchor follows its note: a rebuild may have moved it.
        if (FAnchorRow < FModel->rowCount() && FModel->Row(FAnchorRow).IDKEY == FAnchorKey)
            anchor = FAnchorRow;
        else
            anchor = FModel->FindKey(FAnchorKey);
    }
    if (anchor < 0)
        anchor = currentIndex().isValid() ? currentIndex().row() : row;
    const int top = std::min(row, anchor);
    const int bottom = std::max(row, anchor);
    const QItemSelection range(FModel->index(top, 0),
                               FModel->index(bottom, FModel->columnCount() - 1));
    selectionModel()->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    selectionModel()->setCurrentIndex(FModel->index(row, column), QItemSelectionModel::NoUpdate);
}

QList<int> TListGrid::SelectedRowNumbers() const
{
    QList<int> rows;
    if (!FModel)
        return rows;
    const int count = FModel->rowCount();
    QBitArray marked(count);
    for (const QItemSelectionRange& r : selectionModel()->selection())
        for (int i = std::max(r.top(), 0); i <= std::min(r.bottom(), count - 1); ++i)
            marked.setBit(i);
    for (int i = 0; i < count; ++i)
        if (marked.testBit(i))
            rows << i;
    return rows;
}

void TListGrid::ShowRowAt(int row, int column, int offset)
{
    if (!FModel || row < 0 || row >= FModel->rowCount())
        return;
    const QModelIndex index = FModel->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    updateGeometries(); // the scroll range must know the rows just read
    if (offset >= 0 && verticalScrollMode() == QAbstractItemView::ScrollPerItem)
        verticalScrollBar()->setValue(std::max(0, row - offset));
    scrollTo(index);
}

int TListGrid::OffsetInView(int row) const
{
    const int top = rowAt(0);
    return top < 0 ? -1 : row - top;
}

void TListGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

void TListGrid::focusInEvent(QFocusEvent* e)
{
    QTableView::focusInEvent(e);
    viewport()->update();
}

void TListGrid::focusOutEvent(QFocusEvent* e)
{
    QTableView::focusOutEvent(e);
    viewport()->update();
}

void TListGrid::mousePressEvent(QMouseEvent* e)
{
    const QModelIndex index = indexAt(e->position().toPoint());
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (e->button() == Qt::LeftButton && index.isValid() && (mods & Qt::ShiftModifier)) {
        FShiftPress = true;
        setFocus(Qt::MouseFocusReason);
        SelectRangeToAnchor(index.row());
        e->accept();
        return;
    }
    QTableView::mousePressEvent(e);
    if (e->button() == Qt::LeftButton && index.isValid())
        SetAnchor(index.row());
}

void TListGrid::mouseMoveEvent(QMouseEvent* e)
{
    // A drag after a shift-click would let the view replace the range.
    if (FShiftPress)
        return;
    QTableView::mouseMoveEvent(e);
}

void TListGrid::mouseReleaseEvent(QMouseEvent* e)
{
    if (FShiftPress) {
        FShiftPress = false;
        e->accept();
        return;
    }
    QTableView::mouseReleaseEvent(e);
}
