#include "TypeOptions.h"

#include "platform/Platform.h"
#include "types/ColorButton.h"
#include "types/TypeDrawing.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr QSize DialogSize{408, 352};
constexpr int FirstLevel = 127;
constexpr int LastLevel = 255;

QSpinBox* makeSpin(QWidget* parent, const char* name, int min, int max)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(min, max);
    spin->setAlignment(Qt::AlignRight);
    return spin;
}

// A picture of exactly the given size inside a one-pixel frame.
QLabel* makePicture(QWidget* parent, const char* name, QSize size)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    label->setFixedSize(size + QSize(2, 2));
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

TTypeOptionDlg::TTypeOptionDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("付箋タイプダイアログ"));
    setModal(true);
    buildControls();
    setRecord(TTypeRecord{});
    setFixedSize(DialogSize);
    const QRect area = platform::screens().primaryWorkArea();
    move(area.x() + (area.width() - DialogSize.width()) / 2,
         area.y() + (area.height() - DialogSize.height()) / 2);
}

void TTypeOptionDlg::buildControls()
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(6);

    editLabel = new QLineEdit(this);
    editLabel->setObjectName(QStringLiteral("editLabel"));
    checkEVal = new QCheckBox(QStringLiteral("終値を表示する"), this);
    checkEVal->setObjectName(QStringLiteral("checkEVal"));
    checkEVal->setChecked(true);
    auto* labelRow = new QHBoxLayout;
    auto* labelCaption = new QLabel(QStringLiteral("ラベル"), this);
    labelCaption->setBuddy(editLabel);
    labelRow->addWidget(labelCaption);
    labelRow->addWidget(editLabel, 1);
    labelRow->addSpacing(8);
    labelRow->addWidget(checkEVal);
    main->addLayout(labelRow);

    imagePriority = makePicture(this, "imagePriority", PriorityGraphSize);
    main->addWidget(imagePriority, 0, Qt::AlignHCenter);

    // The curve fields under the graph: the rise before the start on the first
    // row, the fall after it on the second.
    sedInit = makeSpin(this, "sedInit", 1, 100);
    sedSSpan = makeSpin(this, "sedSSpan", 0, 1000);
    sedSVal = makeSpin(this, "sedSVal", 1, 100);
    sedEVal = makeSpin(this, "sedEVal", 1, 100);
    sedESpan = makeSpin(this, "sedESpan", 0, 1000);
    sedClose = makeSpin(this, "sedClose", 0, 100);
    struct Field
    {
        QSpinBox* spin;
        const char16_t* caption;
        const char16_t* unit;
    };
    const Field fields[2][3] = {
        {{sedInit, u"初期値", u"Pt"}, {sedSSpan, u"初期間隔", u"日"}, {sedSVal, u"指定値", u"Pt"}},
        {{sedEVal, u"期間終値", u"Pt"},
         {sedESpan, u"終了間隔", u"日"},
         {sedClose, u"最終値", u"Pt"}},
    };
    auto* spins = new QGridLayout;
    spins->setHorizontalSpacing(3);
    spins->setVerticalSpacing(3);
    for (int row = 0; row < 2; ++row) {
        for (int cell = 0; cell < 3; ++cell) {
            const Field& f = fields[row][cell];
            const int column = cell * 4; // caption, spin, unit, gap
            auto* caption = new QLabel(QString::fromUtf16(f.caption), this);
            caption->setBuddy(f.spin);
            spins->addWidget(caption, row, column);
            spins->addWidget(f.spin, row, column + 1);
            spins->addWidget(new QLabel(QString::fromUtf16(f.unit), this), row, column + 2);
        }
    }
    spins->setColumnStretch(3, 1);
    spins->setColumnStretch(7, 1);
    main->addLayout(spins);
    main->addSpacing(4);

    // The colours: the sample with its header controls on the left, the four
    // colour buttons on the right.
    imageFusen = makePicture(this, "imageFusen", SampleSize);
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(FirstLevel, LastLevel);
    TrackBar1->setValue(FirstLevel);
    TrackBar1->setTickInterval(5);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setFixedWidth(imageFusen->width());
    TrackBar1->setToolTip(QStringLiteral("優先度によるヘッダの色（左ほど優先度が高い）"));
    cboxR = new QCheckBox(QStringLiteral("R"), this);
    cboxR->setObjectName(QStringLiteral("cboxR"));
    cboxG = new QCheckBox(QStringLiteral("G"), this);
    cboxG->setObjectName(QStringLiteral("cboxG"));
    cboxB = new QCheckBox(QStringLiteral("B"), this);
    cboxB->setObjectName(QStringLiteral("cboxB"));
    auto* flags = new QHBoxLayout;
    flags->addWidget(cboxR);
    flags->addWidget(cboxG);
    flags->addWidget(cboxB);
    flags->addStretch();
    auto* sampleColumn = new QVBoxLayout;
    sampleColumn->setSpacing(2);
    sampleColumn->addWidget(imageFusen);
    sampleColumn->addWidget(TrackBar1);
    sampleColumn->addLayout(flags);

    colorHeader = new TColorButton(this);
    colorHeader->setObjectName(QStringLiteral("colorHeader"));
    colorText = new TColorButton(this);
    colorText->setObjectName(QStringLiteral("colorText"));
    colorBG = new TColorButton(this);
    colorBG->setObjectName(QStringLiteral("colorBG"));
    colorLink = new TColorButton(this);
    colorLink->setObjectName(QStringLiteral("colorLink"));
    const std::pair<TColorButton*, const char16_t*> colors[] = {
        {colorHeader, u"ヘッダテキスト"},
        {colorText, u"付箋テキスト"},
        {colorBG, u"付箋背景色"},
        {colorLink, u"リンクテキスト"},
    };
    auto* colorGrid = new QGridLayout;
    colorGrid->setVerticalSpacing(4);
    int row = 0;
    for (const auto& [button, caption] : colors) {
        const QString text = QString::fromUtf16(caption);
        auto* label = new QLabel(text, this);
        label->setBuddy(button);
        button->setDialogTitle(text);
        button->setAccessibleName(text);
        colorGrid->addWidget(label, row, 0);
        colorGrid->addWidget(button, row, 1);
        ++row;
    }
    colorGrid->setRowStretch(row, 1);

    auto* colorsRow = new QHBoxLayout;
    colorsRow->addLayout(sampleColumn);
    colorsRow->addSpacing(8);
    colorsRow->addLayout(colorGrid, 1);
    main->addLayout(colorsRow);
    main->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    main->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QSpinBox* spin : {sedInit, sedSSpan, sedSVal, sedEVal, sedESpan, sedClose})
        connect(spin, &QSpinBox::valueChanged, this, &TTypeOptionDlg::drawGraph);
    connect(checkEVal, &QCheckBox::toggled, this, &TTypeOptionDlg::drawGraph);
    for (TColorButton* button : {colorHeader, colorText, colorBG, colorLink})
        connect(button, &TColorButton::colorChanged, this, &TTypeOptionDlg::drawSample);
    for (QCheckBox* box : {cboxR, cboxG, cboxB})
        connect(box, &QCheckBox::toggled, this, &TTypeOptionDlg::drawSample);
    connect(TrackBar1, &QSlider::valueChanged, this, &TTypeOptionDlg::drawSample);
}

void TTypeOptionDlg::setRecord(const TTypeRecord& type)
{
    FFilling = true;
    FIDKey = type.IDKEY;
    editLabel->setText(type.LABEL);
    sedInit->setValue(type.INITVAL);
    sedSSpan->setValue(type.SSPAN);
    sedSVal->setValue(type.SVAL);
    sedEVal->setValue(type.EVAL);
    sedESpan->setValue(type.ESPAN);
    sedClose->setValue(type.CLOSEVAL);
    cboxR->setChecked(type.R);
    cboxG->setChecked(type.G);
    cboxB->setChecked(type.B);
    colorHeader->setColor(type.HTEXTCOLOR);
    colorText->setColor(type.TEXTCOLOR);
    colorBG->setColor(type.BGCOLOR);
    colorLink->setColor(type.LINKCOLOR);
    FFilling = false;
    drawSample();
    drawGraph();
}

TTypeRecord TTypeOptionDlg::record() const
{
    TTypeRecord t;
    t.IDKEY = FIDKey;
    t.LABEL = editLabel->text();
    t.INITVAL = sedInit->value();
    t.SSPAN = sedSSpan->value();
    t.SVAL = sedSVal->value();
    t.EVAL = sedEVal->value();
    t.ESPAN = sedESpan->value();
    t.CLOSEVAL = sedClose->value();
    t.R = cboxR->isChecked();
    t.G = cboxG->isChecked();
    t.B = cboxB->isChecked();
    t.HTEXTCOLOR = colorHeader->color();
    t.TEXTCOLOR = colorText->color();
    t.BGCOLOR = colorBG->color();
    t.LINKCOLOR = colorLink->color();
    return t;
}

void TTypeOptionDlg::setLowPriority(int value)
{
    FLowPriority = value;
    drawGraph();
}

void TTypeOptionDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    drawSample();
    drawGraph();
}

void TTypeOptionDlg::drawGraph()
{
    if (FFilling)
        return;
    QImage image(PriorityGraphSize, QImage::Format_RGB32);
    DrawPriorityGraph(image, record(), checkEVal->isChecked(), FLowPriority);
    imagePriority->setPixmap(QPixmap::fromImage(image));
}

void TTypeOptionDlg::drawSample()
{
    if (FFilling)
        return;
    QImage image(SampleSize, QImage::Format_RGB32);
    // The sample stays at the size the note header was designed around.
    QFont font = this->font();
    font.setPixelSize(12);
    DrawSample(image, record(), TrackBar1->value(), font);
    imageFusen->setPixmap(QPixmap::fromImage(image));
}
