#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// The grid's cell colours by the row's completion and selection: the current
// row of the focused grid in the system highlight, selected rows sky blue
// (open notes) or grey (completed), other completed notes silver.
class TListRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TListRowDelegate(QAbstractItemView* view);

    enum class Look
    {
        Plain,
        Focused,
        Selected,
        SelectedCompleted,
        Completed,
    };
    static Look LookOf(bool current, bool viewFocused, bool selected, bool completed);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QAbstractItemView* FView;
};
