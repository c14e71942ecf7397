#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;
class QListWidget;
class TColorBox;
class TGroupIcons;

// One FUSENGROUP row as the options dialog reads and writes it: unlike the
// group list in memory it keeps NULL colours and a NULL icon apart from 0.
struct TGroupRow
{
    std::optional<int32_t> IDKEY; // empty until the database assigns one
    QString LABEL;
    std::optional<uint32_t> TEXTCOLOR;
    std::optional<uint32_t> BGCOLOR;
    std::optional<uint32_t> HTEXTCOLOR;
    std::optional<uint32_t> LINKCOLOR;
    std::optional<int32_t> ICONNUM;
    bool VISIBLE = true;

    friend bool operator==(const TGroupRow&, const TGroupRow&) = default;
};

// The group editor: label, four colours that may stay unset, and the icon.
// Its owner fills it with setRecord (or leaves it as it starts for a new
// group), runs it modally and reads record() after OK; the dialog itself
// touches no database. record().ICONNUM is the selected icon line, empty when
// none is selected; what an empty one is stored as is the owner's rule.
class TGroupOptionDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TGroupOptionDlg(const TGroupIcons& icons, QWidget* parent = nullptr);

    void setRecord(const TGroupRow& group);
    TGroupRow record() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();

    const TGroupIcons& FIcons;
    TGroupRow FRecord; // keeps what the dialog does not edit (key, visibility)

    QLineEdit* editLabel;
    TColorBox* colorHeader;
    TColorBox* colorText;
    TColorBox* colorBG;
    TColorBox* colorLink;
    QListWidget* IconList;
};
