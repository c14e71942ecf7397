#include "PickDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int TagRole = Qt::UserRole;
} // namespace

TPickDialog::TPickDialog(QWidget* parent)
    : QDialog(parent), FList(new QListWidget(this)),
      FButtons(new QDialogButtonBox(Qt::Horizontal, this)),
      FAccept(FButtons->addButton(QStringLiteral("復元"), QDialogButtonBox::AcceptRole)),
      FCancel(FButtons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole))
{
    setObjectName(QStringLiteral("PickDialog"));
    setModal(true);
    setSizeGripEnabled(true);

    FList->setObjectName(QStringLiteral("lstPick"));
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->setUniformItemSizes(true);
    // Backup paths are long; let the user scroll to the end rather than guess
    // from an elided middle.
    FList->setTextElideMode(Qt::ElideNone);
    FList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    FAccept->setObjectName(QStringLiteral("btnOK"));
    FCancel->setObjectName(QStringLiteral("btnCancel"));
    FAccept->setDefault(true);
    FButtons->setCenterButtons(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(FList, 1);
    layout->addWidget(FButtons);

    connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FList, &QListWidget::itemDoubleClicked, this, &TPickDialog::lineActivated);
    connect(FList, &QListWidget::itemSelectionChanged, this, &TPickDialog::updateAcceptButton);

    setMinimumSize(240, 140);
    resize(400, 270);
    updateAcceptButton();
}

void TPickDialog::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TPickDialog::addLine(const QString& text, int tag)
{
    auto* item = new QListWidgetItem(text, FList);
    item->setData(TagRole, tag);
    item->setToolTip(text);
}

void TPickDialog::clearLines()
{
    FList->clear();
    updateAcceptButton();
}

int TPickDialog::lineCount() const
{
    return FList->count();
}

void TPickDialog::setPreselected(int row)
{
    if (FList->count() == 0)
        return;
    if (row < 0 || row >= FList->count())
        row = 0;
    FList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    FList->scrollToItem(FList->item(row));
}

int TPickDialog::selectedTag() const
{
    const QList<QListWidgetItem*> selected = FList->selectedItems();
    if (selected.isEmpty())
        return -1;
    return selected.first()->data(TagRole).toInt();
}

int TPickDialog::execPick()
{
    if (FList->selectedItems().isEmpty())
        setPreselected(0);
    FList->setFocus();
    centreOnScreen();
    return exec() == QDialog::Accepted ? selectedTag() : -1;
}

void TPickDialog::centreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame is not known before the first show; centring the client area
    // is off by half a title bar at most.
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TPickDialog::updateAcceptButton()
{
    FAccept->setEnabled(!FList->selectedItems().isEmpty());
}

void TPickDialog::lineActivated(QListWidgetItem* item)
{
    if (!item)
        return;
    FList->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    accept();
}
