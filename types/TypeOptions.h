#pragma once

#include "types/TypeRecord.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class TColorButton;

// The note type editor. Its owner fills it with setRecord (or leaves the
// values of a new type), runs it modally and, after OK, reads record(); the
// dialog itself touches no database.
class TTypeOptionDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TTypeOptionDlg(QWidget* parent = nullptr);

    void setRecord(const TTypeRecord& type);
    // The values as edited, with the IDKEY given to setRecord.
    TTypeRecord record() const;

    // The priority up to which notes are not shown automatically, as the
    // owner currently has it; the graph shades that band.
    void setLowPriority(int value);
    int lowPriority() const { return FLowPriority; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void drawGraph();
    void drawSample();

    std::optional<int32_t> FIDKey;
    int FLowPriority = 0;
    bool FFilling = false; // setRecord redraws once, not per control

    QLineEdit* editLabel;
    QSpinBox* sedInit;
    QSpinBox* sedSSpan;
    QSpinBox* sedSVal;
    QSpinBox* sedEVal;
    QSpinBox* sedESpan;
    QSpinBox* sedClose;
    QCheckBox* cboxR;
    QCheckBox* cboxG;
    QCheckBox* cboxB;
    TColorButton* colorHeader;
    TColorButton* colorText;
    TColorButton* colorBG;
    TColorButton* colorLink;
    QCheckBox* checkEVal;
    QSlider* TrackBar1;
    QLabel* imagePriority;
    QLabel* imageFusen;
};
