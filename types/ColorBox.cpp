#include "ColorBox.h"

#include "platform/Colors.h"

#include <QApplication>
#include <QColorDialog>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {
constexpr QSize SwatchSize{24, 12};
constexpr int ColorRole = Qt::UserRole;

QIcon swatch(std::optional<uint32_t> color)
{
    QPixmap pixmap(SwatchSize);
    pixmap.fill(Qt::transparent);
    if (color) {
        QPainter p(&pixmap);
        p.fillRect(pixmap.rect(), WinColorToQColor(*color));
        p.setPen(Qt::darkGray);
        p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    }
    return QIcon(pixmap);
}

struct Named
{
    const char16_t* name;
    uint32_t color;
};

// 0x00BBGGRR, in the order of the usual sixteen-colour palette.
const Named StandardColors[] = {
    {u"黒", 0x000000},   {u"栗色", 0x000080}, {u"緑", 0x008000},     {u"オリーブ", 0x008080},
    {u"紺", 0x800000},   {u"紫", 0x800080},   {u"青緑", 0x808000},   {u"灰色", 0x808080},
    {u"銀色", 0xC0C0C0}, {u"赤", 0x0000FF},   {u"ライム", 0x00FF00}, {u"黄", 0x00FFFF},
    {u"青", 0xFF0000},   {u"赤紫", 0xFF00FF}, {u"水色", 0xFFFF00},   {u"白", 0xFFFFFF},
};
const Named ExtendedColors[] = {
    {u"マネーグリーン", 0xC0DCC0},
    {u"スカイブルー", 0xF0CAA6},
    {u"クリーム", 0xF0FBFF},
    {u"中間の灰色", 0xA4A0A0},
};
} // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent)
{
    setIconSize(SwatchSize);
    setMaxVisibleItems(16);
    addItem(swatch(std::nullopt), QStringLiteral("既定"));
    addItem(swatch(std::nullopt), QStringLiteral("カスタム..."));
    for (const Named& c : StandardColors)
        addColor(QString::fromUtf16(c.name), c.color);
    for (const Named& c : ExtendedColors)
        addColor(QString::fromUtf16(c.name), c.color);
    // System colours are taken as they are now: a stored colour is a plain
    // value, it does not follow a later change of the desktop's theme.
    const QPalette pal = QApplication::palette();
    const std::pair<const char16_t*, QPalette::ColorRole> system[] = {
        {u"ウィンドウの背景", QPalette::Base},    {u"ウィンドウの文字", QPalette::Text},
        {u"ボタンの表面", QPalette::Button},      {u"ボタンの文字", QPalette::ButtonText},
        {u"選択項目の背景", QPalette::Highlight}, {u"選択項目の文字", QPalette::HighlightedText},
        {u"ヒントの背景", QPalette::ToolTipBase}, {u"ヒントの文字", QPalette::ToolTipText},
    };
    for (const auto& [name, role] : system)
        addColor(QString::fromUtf16(name), QColorToWinColor(pal.color(QPalette::Active, role)));
    setCurrentIndex(defaultIndex());

    FChooser = [](QWidget* parent, const QColor& current, const QString& title) {
        return QColorDialog::getColor(current, parent, title);
    };
    connect(this, &QComboBox::activated, this, &TColorBox::entryActivated);
}

void TColorBox::addColor(const QString& name, uint32_t color)
{
    addItem(swatch(color), name, QVariant::fromValue(color));
}

void TColorBox::setCustom(uint32_t color)
{
    FCustom = color;
    setItemIcon(customIndex(), swatch(color));
    setItemData(customIndex(), QVariant::fromValue(color), ColorRole);
}

void TColorBox::setColor(std::optional<uint32_t> color)
{
    if (color)
        *color &= 0xFFFFFF;
    const bool changed = color != FColor;
    FColor = color;
    if (!color) {
        setCurrentIndex(defaultIndex());
    } else {
        int found = -1;
        for (int i = customIndex() + 1; i < count() && found < 0; ++i)
            if (itemData(i, ColorRole).value<uint32_t>() == *color)
                found = i;
        if (found < 0) {
            setCustom(*color);
            found = customIndex();
        }
        setCurrentIndex(found);
    }
    if (changed)
        Q_EMIT colorChanged();
}

void TColorBox::entryActivated(int index)
{
    if (index == defaultIndex()) {
        setColor(std::nullopt);
        return;
    }
    if (index != customIndex()) {
        setColor(itemData(index, ColorRole).value<uint32_t>());
        return;
    }
    const uint32_t start = FCustom.value_or(FColor.value_or(0xFFFFFF));
    const QColor chosen = FChooser(this, WinColorToQColor(start), FDialogTitle);
    if (!chosen.isValid()) {
        setColor(FColor); // cancelled: back to the entry shown before
        return;
    }
    const uint32_t value = QColorToWinColor(chosen);
    setCustom(value);
    const bool changed = FColor != value;
    FColor = value;
    setCurrentIndex(customIndex());
    if (changed)
        Q_EMIT colorChanged();
}
