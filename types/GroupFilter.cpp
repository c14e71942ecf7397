#include "GroupFilter.h"

#include "platform/Platform.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/OptionsHost.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr QSize DialogSize{242, 266};
constexpr int LineHeight = 20;
constexpr int KeyRole = Qt::UserRole;

// The list's own check box, then the line: background, the group icon at
// (2, 2) and the label at (22, 2), both from the left of the area right of
// the check box.
class TGroupLineDelegate : public QStyledItemDelegate
{
public:
    TGroupLineDelegate(const TGroupIcons& icons, const QList<int>& iconIndexes, QObject* parent)
        : QStyledItemDelegate(parent), FIcons(icons), FIconIndexes(iconIndexes)
    {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect check =
            style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
        const bool selected = opt.state & QStyle::State_Selected;

        p->save();
        p->fillRect(option.rect, opt.palette.base());
        QStyleOptionViewItem box = opt;
        box.rect = check;
        box.state = (box.state & ~QStyle::State_HasFocus) |
                    (opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, p, widget);

        QRect line = option.rect;
        line.setLeft(check.right() + 3);
        p->fillRect(line, selected ? opt.palette.highlight() : opt.palette.base());
        const int icon = FIconIndexes.value(index.row(), -1);
        if (FIcons.contains(icon))
            p->drawPixmap(line.topLeft() + QPoint(2, 2), FIcons.pixmap(icon));
        p->setFont(opt.font);
        p->setPen(selected ? opt.palette.highlightedText().color() : opt.palette.text().color());
        p->drawText(line.adjusted(22, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
        if (opt.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.rect = line;
            focus.palette = opt.palette;
            focus.state = opt.state;
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, widget);
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), LineHeight};
    }

private:
    const TGroupIcons& FIcons;
    const QList<int>& FIconIndexes;
};

// Space toggles the focused line (the list's own behaviour), then moves on,
// so a run of groups can be switched with the space bar alone.
class TCheckList : public QListWidget
{
public:
    using QListWidget::QListWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QListWidget::keyPressEvent(event);
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
            currentRow() >= 0 && currentRow() < count() - 1)
            setCurrentRow(currentRow() + 1);
    }
};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
} // namespace

TGroupFilterDlg::TGroupFilterDlg(const TGroupIcons& icons, QWidget* parent)
    : QDialog(parent, Qt::Tool), FIcons(icons)
{
    setWindowTitle(QStringLiteral("グループフィルタ"));
    setModal(true);

    clistGroup = new TCheckList(this);
    clistGroup->setObjectName(QStringLiteral("clistGroup"));
    QFont font = clistGroup->font();
    font.setPixelSize(15);
    clistGroup->setFont(font);
    clistGroup->setUniformItemSizes(true);
    clistGroup->setSelectionMode(QAbstractItemView::SingleSelection);
    clistGroup->setItemDelegate(new TGroupLineDelegate(FIcons, FIconIndexes, clistGroup));

    btnAllSelect = makeButton(this, "btnAllSelect", QStringLiteral("全選択"));
    btnAllClear = makeButton(this, "btnAllClear", QStringLiteral("全クリア"));
    btnToggle = makeButton(this, "btnToggle", QStringLiteral("反転"));
    BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("OK"));
    BitBtn1->setDefault(true);
    connect(btnAllSelect, &QPushButton::clicked, this, &TGroupFilterDlg::btnAllSelectClick);
    connect(btnAllClear, &QPushButton::clicked, this, &TGroupFilterDlg::btnAllClearClick);
    connect(btnToggle, &QPushButton::clicked, this, &TGroupFilterDlg::btnToggleClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(btnAllSelect);
    buttons->addWidget(btnAllClear);
    buttons->addWidget(btnToggle);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->setSpacing(6);
    main->addWidget(clistGroup, 1);
    main->addLayout(buttons);

    // A larger desktop font widens the dialog rather than clipping captions.
    const QSize size = DialogSize.expandedTo(minimumSizeHint());
    setFixedSize(size);
    const QRect area = platform::screens().primaryWorkArea();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);
}

void TGroupFilterDlg::SetGroups(const TFusenGroup& groups)
{
    clistGroup->clear();
    FIconIndexes.clear();
    for (int i = 0; i < groups.Count(); ++i) {
        const TGroupRecord& g = groups.Items(i);
        auto* line = new QListWidgetItem(g.LABEL);
        line->setData(KeyRole, g.IDKEY);
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        line->setCheckState(g.VISIBLE ? Qt::Checked : Qt::Unchecked);
        clistGroup->addItem(line);
        FIconIndexes << g.ICONNUM;
    }
    if (clistGroup->count() > 0)
        clistGroup->setCurrentRow(0);
}

void TGroupFilterDlg::GetGroups(TFusenGroup& groups) const
{
    for (int i = 0; i < clistGroup->count(); ++i) {
        const QListWidgetItem* line = clistGroup->item(i);
        const int key = line->data(KeyRole).toInt();
        for (int g = 0; g < groups.Count(); ++g)
            if (groups.Items(g).IDKEY == key)
                groups.Items(g).VISIBLE = line->checkState() == Qt::Checked;
    }
}

void TGroupFilterDlg::focusGroup(int idKey)
{
    for (int i = 0; i < clistGroup->count(); ++i)
        if (clistGroup->item(i)->data(KeyRole).toInt() == idKey)
            clistGroup->setCurrentRow(i);
}

void TGroupFilterDlg::btnAllSelectClick()
{
    for (int i = 0; i < clistGroup->count(); ++i)
        clistGroup->item(i)->setCheckState(Qt::Checked);
}

void TGroupFilterDlg::btnAllClearClick()
{
    for (int i = 0; i < clistGroup->count(); ++i)
        clistGroup->item(i)->setCheckState(Qt::Unchecked);
}

void TGroupFilterDlg::btnToggleClick()
{
    for (int i = 0; i < clistGroup->count(); ++i) {
        QListWidgetItem* line = clistGroup->item(i);
        line->setCheckState(line->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void ExecuteGroupFilter(TOptionsHost& host, int focusGroup)
{
    if (QDialog* open = host.FDesktopDialog.data()) {
        RaiseDialog(open);
        return;
    }
    QTimer& timer = host.timer();
    const bool timerWasActive = timer.isActive();
    timer.stop();
    auto* dlg = new TGroupFilterDlg(host.groupIcons(), host.dialogParent());
    dlg->SetGroups(host.groups());
    if (focusGroup >= 0)
        dlg->focusGroup(focusGroup);
    try {
        host.CloseAllNotes();
    } catch (const std::exception& e) {
        ShowCommandError(e);
        delete dlg;
        if (timerWasActive)
            timer.start();
        return;
    }
    host.FDesktopDialog = dlg;
    QObject::connect(dlg, &QDialog::finished, dlg, [&host, dlg, timerWasActive](int result) {
        host.FDesktopDialog = nullptr;
        if (result == QDialog::Accepted) {
            TFusenGroup& groups = host.groups();
            QList<bool> before;
            for (int i = 0; i < groups.Count(); ++i)
                before << groups.Items(i).VISIBLE;
            bool saved = false;
            try {
                dlg->GetGroups(groups);
                groups.Save(-1);
                saved = true;
            } catch (const std::exception& e) {
                // Nothing was stored: the list in memory goes back to what is
                // stored, or the desktop would follow a filter that is not saved.
                for (int i = 0; i < before.size() && i < groups.Count(); ++i)
                    groups.Items(i).VISIBLE = before[i];
                ShowCommandError(e);
            }
            if (saved) {
                try {
                    host.LoadDesktopNotes(true, false);
                } catch (const std::exception& e) {
                    ShowCommandError(e);
                }
            }
        }
        dlg->deleteLater();
        if (timerWasActive)
            host.timer().start();
    });
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}

void FillGroupFilterMenu(QMenu& menu, TOptionsHost& host)
{
    menu.clear();
    QAction* command = menu.addAction(QStringLiteral("グループフィルタ･･･"));
    QObject::connect(command, &QAction::triggered, &menu, [&host] { ExecuteGroupFilter(host); });
    const TFusenGroup& groups = host.groups();
    if (groups.Count() > 0)
        menu.addSeparator();
    for (int i = 0; i < groups.Count(); ++i) {
        const TGroupRecord& g = groups.Items(i);
        QAction* item = menu.addAction(host.groupIcons().icon(g.ICONNUM), g.LABEL);
        item->setCheckable(true);
        item->setChecked(g.VISIBLE);
        const int key = g.IDKEY;
        QObject::connect(item, &QAction::triggered, &menu, [&host, item, key] {
            item->setChecked(!item->isChecked()); // the filter decides, not the click
            ExecuteGroupFilter(host, key);
        });
    }
}
