#pragma once

#include <QColor>
#include <QComboBox>
#include <cstdint>
#include <functional>
#include <optional>

// A drop-down list of colours with a "not set" entry: the standard colours,
// a few extended ones, the desktop's current system colours and a custom
// colour picked with the colour dialog. Colours are Windows values
// 0x00BBGGRR; an empty value is "not set" (NULL in the database).
class TColorBox : public QComboBox
{
    Q_OBJECT
public:
    // Asks for a custom colour starting at current; an invalid colour means
    // the user cancelled.
    using Chooser =
        std::function<QColor(QWidget* parent, const QColor& current, const QString& title)>;

    explicit TColorBox(QWidget* parent = nullptr);

    std::optional<uint32_t> color() const { return FColor; }
    // Selects the entry of that colour, the custom entry for a colour the list
    // does not hold, the default entry for none.
    void setColor(std::optional<uint32_t> color);
    void setDialogTitle(const QString& title) { FDialogTitle = title; }
    // Replaces the colour dialog (tests answer it this way).
    void setChooser(Chooser chooser) { FChooser = std::move(chooser); }

    int defaultIndex() const { return 0; }
    int customIndex() const { return 1; }

Q_SIGNALS:
    void colorChanged();

private:
    void entryActivated(int index);
    void addColor(const QString& name, uint32_t color);
    void setCustom(uint32_t color);

    std::optional<uint32_t> FColor;
    std::optional<uint32_t> FCustom;
    QString FDialogTitle;
    Chooser FChooser;
};
