#pragma once

#include <QToolButton>
#include <cstdint>

// A button that shows a colour as a swatch and lets the user pick another
// with the colour dialog. Colours are Windows values 0x00BBGGRR.
class TColorButton : public QToolButton
{
    Q_OBJECT
public:
    explicit TColorButton(QWidget* parent = nullptr);

    uint32_t color() const { return FColor; }
    // Emits colorChanged when the colour differs from the current one.
    void setColor(uint32_t color);
    // Title of the colour dialog.
    void setDialogTitle(const QString& title) { FDialogTitle = title; }

Q_SIGNALS:
    void colorChanged(uint32_t color);

private:
    void chooseColor();
    void updateSwatch();

    uint32_t FColor = 0;
    QString FDialogTitle;
};
