#include "support/TestPlatform.h"
#include "types/ColorButton.h"
#include "types/TypeOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
template <typename T> T* control(const QWidget& dlg, const char* name)
{
    T* w = dlg.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QImage picture(const QWidget& dlg, const char* name)
{
    return control<QLabel>(dlg, name)->pixmap().toImage();
}

// A type unlike the new-type values in every field.
TTypeRecord storedType()
{
    TTypeRecord t;
    t.IDKEY = 7;
    t.LABEL = QStringLiteral("会議");
    t.INITVAL = 5;
    t.SSPAN = 30;
    t.SVAL = 80;
    t.EVAL = 70;
    t.ESPAN = 3;
    t.CLOSEVAL = 0;
    t.TEXTCOLOR = 0x123456;
    t.BGCOLOR = 0xC0FFFF;
    t.HTEXTCOLOR = 0x0000FF;
    t.LINKCOLOR = 0x800080;
    t.R = false;
    t.G = true;
    t.B = true;
    return t;
}

using Edit = std::function<void(QWidget&)>;
} // namespace
Q_DECLARE_METATYPE(Edit)

class TestTypeOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newType();
    void spinRanges_data();
    void spinRanges();
    void shownValuesAndEdits();
    void redraws_data();
    void redraws();
    void colourDialog_data();
    void colourDialog();
    void centredOnTheWorkArea();
    void layoutFits();
};

void TestTypeOptions::newType()
{
    TTypeOptionDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("付箋タイプダイアログ"));
    QCOMPARE(dlg.size(), QSize(408, 352));
    QVERIFY(dlg.isModal());
    QCOMPARE(dlg.record(), TTypeRecord{});
    QVERIFY(!dlg.record().IDKEY.has_value());

    QCOMPARE(control<QLineEdit>(dlg, "editLabel")->text(), QString());
    QCOMPARE(control<QSpinBox>(dlg, "sedInit")->value(), 1);
    QCOMPARE(control<QSpinBox>(dlg, "sedSSpan")->value(), 14);
    QCOMPARE(control<QSpinBox>(dlg, "sedSVal")->value(), 60);
    QCOMPARE(control<QSpinBox>(dlg, "sedEVal")->value(), 60);
    QCOMPARE(control<QSpinBox>(dlg, "sedESpan")->value(), 14);
    QCOMPARE(control<QSpinBox>(dlg, "sedClose")->value(), 1);
    QVERIFY(control<QCheckBox>(dlg, "cboxR")->isChecked());
    QVERIFY(control<QCheckBox>(dlg, "cboxG")->isChecked());
    QVERIFY(!control<QCheckBox>(dlg, "cboxB")->isChecked());
    QCOMPARE(control<TColorButton>(dlg, "colorHeader")->color(), 0x000000u);
    QCOMPARE(control<TColorButton>(dlg, "colorText")->color(), 0x000000u);
    QCOMPARE(control<TColorButton>(dlg, "colorBG")->color(), 0x00FF00u);
    QCOMPARE(control<TColorButton>(dlg, "colorLink")->color(), 0xFF0000u);

    auto* checkEVal = control<QCheckBox>(dlg, "checkEVal");
    QVERIFY(checkEVal->isChecked());
    QCOMPARE(checkEVal->text(), QStringLiteral("終値を表示する"));
    auto* track = control<QSlider>(dlg, "TrackBar1");
    QCOMPARE(track->minimum(), 127);
    QCOMPARE(track->maximum(), 255);
    QCOMPARE(track->value(), 127);
    QCOMPARE(track->tickInterval(), 5);
    QVERIFY(track->tickPosition() != QSlider::NoTicks);

    QCOMPARE(picture(dlg, "imagePriority").size(), QSize(360, 65));
    QCOMPARE(picture(dlg, "imageFusen").size(), QSize(180, 77));

    auto* buttons = dlg.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("ｷｬﾝｾﾙ"));

    // Every caption and unit the table names is on the dialog.
    QStringList texts;
    for (const QLabel* l : dlg.findChildren<QLabel*>())
        texts << l->text();
    for (const char16_t* caption :
         {u"ラベル", u"初期値", u"初期間隔", u"指定値", u"期間終値", u"終了間隔", u"最終値",
          u"ヘッダテキスト", u"付箋テキスト", u"付箋背景色", u"リンクテキスト"})
        QVERIFY2(texts.contains(QString::fromUtf16(caption)),
                 qPrintable(QString::fromUtf16(caption)));
    QCOMPARE(texts.count(QStringLiteral("Pt")), 4);
    QCOMPARE(texts.count(QStringLiteral("日")), 2);
}

void TestTypeOptions::spinRanges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("sedInit") << "sedInit" << 1 << 100;
    QTest::newRow("sedSSpan") << "sedSSpan" << 0 << 1000;
    QTest::newRow("sedSVal") << "sedSVal" << 1 << 100;
    QTest::newRow("sedEVal") << "sedEVal" << 1 << 100;
    QTest::newRow("sedESpan") << "sedESpan" << 0 << 1000;
    QTest::newRow("sedClose") << "sedClose" << 0 << 100;
}

void TestTypeOptions::spinRanges()
{
    QFETCH(QString, name);
    QFETCH(int, min);
    QFETCH(int, max);
    TTypeOptionDlg dlg;
    auto* spin = control<QSpinBox>(dlg, qPrintable(name));
    QCOMPARE(spin->minimum(), min);
    QCOMPARE(spin->maximum(), max);
}

void TestTypeOptions::shownValuesAndEdits()
{
    TTypeOptionDlg dlg;
    const TTypeRecord stored = storedType();
    dlg.setRecord(stored);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.record(), stored);
    QCOMPARE(control<QLineEdit>(dlg, "editLabel")->text(), QStringLiteral("会議"));
    QCOMPARE(control<QSpinBox>(dlg, "sedClose")->value(), 0);
    QCOMPARE(control<TColorButton>(dlg, "colorLink")->color(), 0x800080u);
    QVERIFY(!control<QCheckBox>(dlg, "cboxR")->isChecked());

    // Edits as the user makes them.
    auto* label = control<QLineEdit>(dlg, "editLabel");
    label->selectAll();
    QInputMethodEvent typed; // Japanese arrives through the input method
    typed.setCommitString(QStringLiteral("定例"));
    QApplication::sendEvent(label, &typed);
    auto* sval = control<QSpinBox>(dlg, "sedSVal");
    sval->selectAll();
    QTest::keyClicks(sval, QStringLiteral("95"));
    auto* espan = control<QSpinBox>(dlg, "sedESpan");
    espan->selectAll();
    QTest::keyClicks(espan, QStringLiteral("2000")); // beyond the range
    QTest::mouseClick(control<QCheckBox>(dlg, "cboxR"), Qt::LeftButton);
    control<TColorButton>(dlg, "colorBG")->setColor(0x00FFFF);

    TTypeRecord expected = stored;
    expected.LABEL = QStringLiteral("定例");
    expected.SVAL = 95;
    expected.ESPAN = 200; // the last digit did not fit the range
    expected.R = true;
    expected.BGCOLOR = 0x00FFFF;
    QCOMPARE(dlg.record(), expected);
    QCOMPARE(dlg.record().IDKEY, std::optional<int32_t>(7));

    // Neither the graph switch nor the track bar is part of the type.
    control<QCheckBox>(dlg, "checkEVal")->setChecked(false);
    control<QSlider>(dlg, "TrackBar1")->setValue(200);
    QCOMPARE(dlg.record(), expected);
}

void TestTypeOptions::redraws_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("graph");
    QTest::addColumn<bool>("sample");
    const auto spin = [](const char* name, int value) {
        return Edit([=](QWidget& d) { control<QSpinBox>(d, name)->setValue(value); });
    };
    const auto color = [](const char* name, uint32_t value) {
        return Edit([=](QWidget& d) { control<TColorButton>(d, name)->setColor(value); });
    };
    const auto toggle = [](const char* name) {
        return Edit([=](QWidget& d) { control<QCheckBox>(d, name)->toggle(); });
    };
    QTest::newRow("sedInit") << spin("sedInit", 40) << true << false;
    QTest::newRow("sedSSpan") << spin("sedSSpan", 60) << true << false;
    QTest::newRow("sedSVal") << spin("sedSVal", 90) << true << false;
    QTest::newRow("sedEVal") << spin("sedEVal", 20) << true << false;
    QTest::newRow("sedESpan") << spin("sedESpan", 60) << true << false;
    QTest::newRow("sedClose") << spin("sedClose", 30) << true << false;
    QTest::newRow("checkEVal") << toggle("checkEVal") << true << false;
    QTest::newRow("low priority from the owner")
        << Edit([](QWidget& d) { static_cast<TTypeOptionDlg&>(d).setLowPriority(30); }) << true
        << false;
    QTest::newRow("colorHeader") << color("colorHeader", 0xFFFFFF) << false << true;
    QTest::newRow("colorText") << color("colorText", 0x0000FF) << false << true;
    QTest::newRow("colorBG") << color("colorBG", 0xFFFFFF) << false << true;
    QTest::newRow("colorLink") << color("colorLink", 0x0000FF) << false << true;
    QTest::newRow("cboxR") << toggle("cboxR") << false << true;
    QTest::newRow("cboxG") << toggle("cboxG") << false << true;
    QTest::newRow("cboxB") << toggle("cboxB") << false << true;
    QTest::newRow("TrackBar1") << Edit([](QWidget& d) {
        control<QSlider>(d, "TrackBar1")->setValue(255);
    }) << false << true;
    QTest::newRow("label") << Edit([](QWidget& d) {
        control<QLineEdit>(d, "editLabel")->setText(QStringLiteral("x"));
    }) << false << false;
}

void TestTypeOptions::redraws()
{
    QFETCH(Edit, edit);
    QFETCH(bool, graph);
    QFETCH(bool, sample);
    TTypeOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage graphBefore = picture(dlg, "imagePriority");
    const QImage sampleBefore = picture(dlg, "imageFusen");
    QVERIFY(!graphBefore.isNull());
    QVERIFY(!sampleBefore.isNull());
    edit(dlg);
    QCOMPARE(picture(dlg, "imagePriority") != graphBefore, graph);
    QCOMPARE(picture(dlg, "imageFusen") != sampleBefore, sample);
}

void TestTypeOptions::colourDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<uint>("expected");
    QTest::newRow("chosen") << true << 0x3366CCu;
    QTest::newRow("cancelled") << false << 0x00FF00u;
}

void TestTypeOptions::colourDialog()
{
    QFETCH(bool, accept);
    QFETCH(uint, expected);
    TTypeOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage sampleBefore = picture(dlg, "imageFusen");
    QString title;
    QColor offered;
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto* picker = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!picker)
            return; // the click returns at once and the checks below fail
        title = picker->windowTitle();
        offered = picker->currentColor();
        picker->setCurrentColor(QColor(0xCC, 0x66, 0x33));
        accept ? picker->accept() : picker->reject();
        answered = true;
    });
    QTest::mouseClick(control<TColorButton>(dlg, "colorBG"), Qt::LeftButton);
    QVERIFY(answered);
    QCOMPARE(title, QStringLiteral("付箋背景色"));
    QCOMPARE(offered, QColor(0, 255, 0));
    QCOMPARE(dlg.record().BGCOLOR, expected);
    QCOMPARE(picture(dlg, "imageFusen") != sampleBefore, accept);
}

void TestTypeOptions::centredOnTheWorkArea()
{
    TestPlatform platform;
    platform.setWorkAreas({QRect(100, 50, 1000, 800)});
    TTypeOptionDlg dlg;
    QCOMPARE(dlg.pos(), QPoint(100 + 500 - 204, 50 + 400 - 176));
}

// Every caption shows in full inside the dialog and no two controls overlap.
// With KWIL_SHOTS set to a folder, the dialog is also saved there as a picture.
void TestTypeOptions::layoutFits()
{
    TTypeOptionDlg dlg;
    dlg.setRecord(storedType());
    dlg.setLowPriority(20);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QList<QWidget*> controls;
    for (QWidget* w : dlg.findChildren<QWidget*>()) {
        if (w->parentWidget() != &dlg && !qobject_cast<QPushButton*>(w))
            continue; // parts of composite controls
        if (qobject_cast<QDialogButtonBox*>(w))
            continue;
        controls << w;
    }
    QVERIFY(controls.size() > 30);
    const QRect inside = dlg.rect();
    for (QWidget* w : controls) {
        QString name = w->objectName();
        if (auto* label = qobject_cast<QLabel*>(w); label && name.isEmpty())
            name = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && name.isEmpty())
            name = button->text();
        const QRect r(w->mapTo(&dlg, QPoint(0, 0)), w->size());
        QVERIFY2(inside.contains(r), qPrintable(name));
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(name));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(name));
        // Texts need their full width: captions, and "1000" in the span fields.
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QSpinBox*>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(name));
    }
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            const QRect a(controls[i]->mapTo(&dlg, QPoint(0, 0)), controls[i]->size());
            const QRect b(controls[j]->mapTo(&dlg, QPoint(0, 0)), controls[j]->size());
            QVERIFY2(!a.intersects(b), qPrintable(controls[i]->objectName() + QLatin1Char('/') +
                                                  controls[j]->objectName()));
        }
    }

    const QString shots = qEnvironmentVariable("KWIL_SHOTS");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        QVERIFY(dlg.grab().save(QDir(shots).filePath(QStringLiteral("type-editor.png"))));
    }
}

QTEST_MAIN(TestTypeOptions)
#include "tst_typeoptions.moc"
