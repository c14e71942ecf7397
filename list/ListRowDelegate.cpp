#include "ListRowDelegate.h"

#include "ListModel.h"
#include "platform/Colors.h"

#include <QAbstractItemView>

namespace {
constexpr uint32_t SkyBlue = 0xF0CAA6; // Windows colour values, 0x00BBGGRR
constexpr uint32_t Gray = 0x808080;
constexpr uint32_t Silver = 0xC0C0C0;
} // namespace

TListRowDelegate::TListRowDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), FView(view)
{}

TListRowDelegate::Look TListRowDelegate::LookOf(bool current, bool viewFocused, bool selected,
                                                bool completed)
{
    if (current && viewFocused)
        return Look::Focused;
    // The current row of a grid without focus is still highlighted by the
    // grid, so it reads as one of the selected rows.
    if (selected || current)
        return completed ? Look::SelectedCompleted : Look::Selected;
    return completed ? Look::Completed : Look::Plain;
}

void TListRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool current =
        FView->currentIndex().isValid() && FView->currentIndex().row() == index.row();
    const bool focused = FView->hasFocus();
    const bool selected = option->state & QStyle::State_Selected;
    const bool completed = index.data(TListModel::CompletedRole).toBool();
    const QPalette& pal = option->palette;
    QColor bg, fg;
    switch (LookOf(current, focused, selected, completed)) {
    case Look::Plain:
        bg = pal.color(QPalette::Active, QPalette::Base);
        fg = pal.color(QPalette::Active, QPalette::Text);
        break;
    case Look::Focused:
        bg = pal.color(QPalette::Active, QPalette::Highlight);
        fg = pal.color(QPalette::Active, QPalette::HighlightedText);
        break;
    case Look::Selected:
        bg = WinColorToQColor(SkyBlue);
        fg = pal.color(QPalette::Active, QPalette::HighlightedText);
        break;
    case Look::SelectedCompleted:
        bg = WinColorToQColor(Gray);
        fg = Qt::white;
        break;
    case Look::Completed:
        bg = WinColorToQColor(Silver);
        fg = Qt::white;
        break;
    }
    // The colours are ours: the style must not paint its own selection over them.
    option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    option->backgroundBrush = bg;
    option->palette.setColor(QPalette::Text, fg);
    option->palette.setColor(QPalette::WindowText, fg);
}
