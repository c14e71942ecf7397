#include "GroupOptions.h"

#include "platform/Platform.h"
#include "types/ColorBox.h"
#include "types/GroupIcons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {
constexpr QSize DialogSize{408, 334};
constexpr int IconLineHeight = 20;

// An icon line: its number at (2, 2), the icon at (30, 2).
class TIconLineDelegate : public QStyledItemDelegate
{
public:
    TIconLineDelegate(const TGroupIcons& icons, QObject* parent)
        : QStyledItemDelegate(parent), FIcons(icons)
    {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
        const QRect text = option.rect.adjusted(2, 2, 0, 0);
        p->drawText(text, Qt::AlignLeft | Qt::AlignTop, QString::asprintf("%3d", index.row()));
        p->drawPixmap(option.rect.topLeft() + QPoint(30, 2), FIcons.pixmap(index.row()));
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.rect = option.rect;
            focus.palette = pal;
            focus.state = option.state;
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p,
                                                  option.widget);
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), IconLineHeight};
    }

private:
    const TGroupIcons& FIcons;
};

TColorBox* makeColorBox(QWidget* parent, const char* name, const QString& title)
{
    auto* box = new TColorBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDialogTitle(title);
    box->setAccessibleName(title);
    return box;
}
} // namespace

TGroupOptionDlg::TGroupOptionDlg(const TGroupIcons& icons, QWidget* parent)
    : QDialog(parent), FIcons(icons)
{
    setWindowTitle(QStringLiteral("グループ設定ダイアログ"));
    setModal(true);
    buildControls();
    setRecord(TGroupRow{});
    // A larger desktop font widens the dialog rather than clipping captions.
    const QSize size = DialogSize.expandedTo(minimumSizeHint());
    setFixedSize(size);
    const QRect area = platform::screens().primaryWorkArea();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);
}

void TGroupOptionDlg::buildControls()
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(8);

    editLabel = new QLineEdit(this);
    editLabel->setObjectName(QStringLiteral("editLabel"));
    editLabel->setMaxLength(60); // the column's length
    auto* labelRow = new QHBoxLayout;
    auto* labelCaption = new QLabel(QStringLiteral("ラベル"), this);
    labelCaption->setBuddy(editLabel);
    labelRow->addWidget(labelCaption);
    labelRow->addWidget(editLabel, 1);
    main->addLayout(labelRow);

    const std::pair<TColorBox**, std::pair<const char*, const char16_t*>> colors[] = {
        {&colorHeader, {"colorHeader", u"ヘッダテキスト"}},
        {&colorText, {"colorText", u"付箋テキスト"}},
        {&colorBG, {"colorBG", u"付箋背景色"}},
        {&colorLink, {"colorLink", u"リンクテキスト"}},
    };
    auto* colorGrid = new QGridLayout;
    colorGrid->setVerticalSpacing(6);
    int row = 0;
    for (const auto& [box, names] : colors) {
        const QString caption = QString::fromUtf16(names.second);
        *box = makeColorBox(this, names.first, caption);
        auto* label = new QLabel(caption, this);
        label->setBuddy(*box);
        colorGrid->addWidget(label, row, 0);
        colorGrid->addWidget(*box, row, 1);
        ++row;
    }
    colorGrid->setRowStretch(row, 1);

    IconList = new QListWidget(this);
    IconList->setObjectName(QStringLiteral("IconList"));
    IconList->setItemDelegate(new TIconLineDelegate(FIcons, IconList));
    IconList->setUniformItemSizes(true);
    IconList->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int i = 0; i < FIcons.count(); ++i)
        IconList->addItem(QString::number(i));
    IconList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    IconList->setFixedWidth(100);
    auto* iconColumn = new QVBoxLayout;
    auto* iconCaption = new QLabel(QStringLiteral("アイコン"), this);
    iconCaption->setBuddy(IconList);
    iconColumn->addWidget(iconCaption);
    iconColumn->addWidget(IconList, 1);

    auto* body = new QHBoxLayout;
    body->addLayout(colorGrid, 1);
    body->addSpacing(12);
    body->addLayout(iconColumn);
    main->addLayout(body, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    main->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TGroupOptionDlg::setRecord(const TGroupRow& group)
{
    FRecord = group;
    editLabel->setText(group.LABEL);
    colorHeader->setColor(group.HTEXTCOLOR);
    colorText->setColor(group.TEXTCOLOR);
    colorBG->setColor(group.BGCOLOR);
    colorLink->setColor(group.LINKCOLOR);
    IconList->clearSelection();
    IconList->setCurrentRow(-1);
    if (group.ICONNUM && *group.ICONNUM >= 0 && *group.ICONNUM < IconList->count())
        IconList->setCurrentRow(*group.ICONNUM);
}

void TGroupOptionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Scrolled only now: before the dialog is laid out the list has no height.
    IconList->scrollToTop();
    if (IconList->currentItem())
        IconList->scrollToItem(IconList->currentItem());
}

TGroupRow TGroupOptionDlg::record() const
{
    TGroupRow g = FRecord;
    g.LABEL = editLabel->text();
    g.HTEXTCOLOR = colorHeader->color();
    g.TEXTCOLOR = colorText->color();
    g.BGCOLOR = colorBG->color();
    g.LINKCOLOR = colorLink->color();
    g.ICONNUM.reset();
    const QList<QListWidgetItem*> selected = IconList->selectedItems();
    if (!selected.isEmpty())
        g.ICONNUM = IconList->row(selected.first());
    return g;
}
