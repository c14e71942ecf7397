#pragma once

#include <QTableView>
#include <cstdint>

class TListModel;

// The list window's grid: whole rows, several at a time, read-only. A plain
// click sets the anchor of later shift-clicks; a shift-click adds the rows
// from the click to the anchor to the selection, keeping what was selected.
class TListGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TListGrid(QWidget* parent = nullptr);

    void setListModel(TListModel* model);
    TListModel* listModel() const { return FModel; }

    // The anchor: the note of the last plain click and its row then.
    int32_t FAnchorKey = 0;
    int FAnchorRow = -1;
    void SetAnchor(int row);
    // Selects the rows from row to the anchor, both included, in addition to
    // the current selection, and makes row current. Without an anchor in the
    // result (none set, or its note gone) the current row stands in for it.
    void SelectRangeToAnchor(int row);

    // The selected rows in ascending order. Counted over the selection's
    // ranges: asking the selection model row by row is quadratic in the
    // ranges a selection by completion leaves over a long list.
    QList<int> SelectedRowNumbers() const;

    // Makes row current without touching the selection, showing it offset
    // rows below the top of the view where the result allows.
    void ShowRowAt(int row, int column, int offset);
    // Rows between the top of the view and row (negative above the view).
    int OffsetInView(int row) const;

protected:
    // The current row is coloured as a whole and by the grid's focus: the
    // view itself would repaint only the current cells.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TListModel* FModel = nullptr;
    bool FShiftPress = false;
};
