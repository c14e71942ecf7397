#include "support/TestPlatform.h"
#include "types/ColorBox.h"
#include "types/GroupIcons.h"
#include "types/GroupOptions.h"

#include "OptionsTestHost.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
template <typename T> T* control(const QObject& parent, const char* name)
{
    T* w = parent.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

bool uniform(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != img.pixel(0, 0))
                return false;
    return true;
}
} // namespace
Q_DECLARE_METATYPE(TGroupRow)

class TestGroupOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newGroup();
    void roundTrip_data();
    void roundTrip();
    void iconLines();
    void okAndCancel();
    void colorBoxEntries();
    void colorBoxCustom_data();
    void colorBoxCustom();
    void layoutFits();
};

void TestGroupOptions::newGroup()
{
    TGroupIcons icons;
    TGroupOptionDlg dlg(icons);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("グループ設定ダイアログ"));
    QCOMPARE(dlg.size(), QSize(408, 334));
    QVERIFY(dlg.isModal());
    QCOMPARE(dlg.record(), TGroupRow{});
    auto* list = control<QListWidget>(dlg, "IconList");
    QCOMPARE(list->count(), icons.count());
    QVERIFY(list->selectedItems().isEmpty());
    for (const char* name : {"colorHeader", "colorText", "colorBG", "colorLink"}) {
        auto* box = control<TColorBox>(dlg, name);
        QCOMPARE(box->currentIndex(), box->defaultIndex());
        QCOMPARE(box->currentText(), QStringLiteral("既定"));
    }
    QStringList texts;
    for (const QLabel* l : dlg.findChildren<QLabel*>())
        texts << l->text();
    QCOMPARE(texts.size(), 6);
    for (const char16_t* caption : {u"ラベル", u"ヘッダテキスト", u"付箋テキスト", u"付箋背景色",
                                    u"リンクテキスト", u"アイコン"})
        QVERIFY2(texts.contains(QString::fromUtf16(caption)),
                 qPrintable(QString::fromUtf16(caption)));
    auto* buttons = dlg.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
}

void TestGroupOptions::roundTrip_data()
{
    QTest::addColumn<TGroupRow>("stored");
    QTest::addColumn<TGroupRow>("shown");
    TGroupRow full;
    full.IDKEY = 7;
    full.LABEL = QStringLiteral("仕事");
    full.TEXTCOLOR = 0x0000FF;  // in the list (赤)
    full.BGCOLOR = 0x123456;    // not in the list: the custom entry
    full.HTEXTCOLOR = 0x000000; // black is a colour, not "unset"
    full.LINKCOLOR = std::nullopt;
    full.ICONNUM = 12;
    full.VISIBLE = false;
    QTest::newRow("every kind of value") << full << full;
    TGroupRow unset;
    unset.IDKEY = 3;
    unset.LABEL = QStringLiteral("家");
    QTest::newRow("nothing set") << unset << unset;
    TGroupRow noIcon = unset;
    noIcon.ICONNUM = -1;
    QTest::newRow("icon -1 selects no line") << noIcon << unset;
    TGroupRow outside = unset;
    outside.ICONNUM = 16;
    QTest::newRow("icon past the list selects no line") << outside << unset;
    TGroupRow first = unset;
    first.ICONNUM = 0;
    QTest::newRow("icon 0") << first << first;
}

void TestGroupOptions::roundTrip()
{
    QFETCH(TGroupRow, stored);
    QFETCH(TGroupRow, shown);
    TGroupIcons icons;
    TGroupOptionDlg dlg(icons);
    dlg.setRecord(stored);
    QCOMPARE(dlg.record(), shown);
    // Refilling replaces everything, selection included.
    dlg.setRecord(TGroupRow{});
    QCOMPARE(dlg.record(), TGroupRow{});
}

void TestGroupOptions::iconLines()
{
    TGroupIcons icons;
    TGroupOptionDlg dlg(icons);
    TGroupRow g;
    g.ICONNUM = 2;
    dlg.setRecord(g);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* list = control<QListWidget>(dlg, "IconList");
    QCOMPARE(list->visualItemRect(list->item(0)).height(), 20);
    QCOMPARE(list->currentRow(), 2);
    const QImage shot = list->viewport()->grab().toImage();
    auto iconArea = [&](int row) {
        const QRect r = list->visualItemRect(list->item(row));
        return shot.copy(QRect(r.topLeft() + QPoint(30, 2), QSize(16, 16)));
    };
    QVERIFY(!uniform(iconArea(0)));
    QVERIFY(!uniform(iconArea(1)));
    QVERIFY(iconArea(0) != iconArea(1));
    // The number sits left of the icon.
    const QRect line = list->visualItemRect(list->item(1));
    QVERIFY(!uniform(shot.copy(QRect(line.topLeft() + QPoint(2, 2), QSize(26, 14)))));

    // Clicking a line selects that icon.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(4)).center());
    QCOMPARE(dlg.record().ICONNUM, std::optional<int32_t>(4));
}

void TestGroupOptions::okAndCancel()
{
    TGroupIcons icons;
    for (const bool ok : {true, false}) {
        TGroupOptionDlg dlg(icons);
        dlg.show();
        auto* buttons = dlg.findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        QCOMPARE(dlg.result(), ok ? QDialog::Accepted : QDialog::Rejected);
    }
}

void TestGroupOptions::colorBoxEntries()
{
    TColorBox box;
    QSignalSpy changed(&box, &TColorBox::colorChanged);
    QCOMPARE(box.color(), std::nullopt);
    box.setColor(0x0000FF);
    QCOMPARE(box.currentText(), QStringLiteral("赤"));
    QCOMPARE(box.color(), std::optional<uint32_t>(0x0000FF));
    box.setColor(0x0000FF);
    QCOMPARE(changed.count(), 1);
    box.setColor(0xC0DCC0);
    QCOMPARE(box.currentText(), QStringLiteral("マネーグリーン"));
    // A colour the list does not hold goes to the custom entry.
    box.setColor(0xABCDEF);
    QCOMPARE(box.currentIndex(), box.customIndex());
    QCOMPARE(box.color(), std::optional<uint32_t>(0xABCDEF));
    // The user picks an entry.
    const int white = box.findText(QStringLiteral("白"));
    QVERIFY(white > box.customIndex());
    box.setCurrentIndex(white);
    Q_EMIT box.activated(white);
    QCOMPARE(box.color(), std::optional<uint32_t>(0xFFFFFF));
    box.setCurrentIndex(box.defaultIndex());
    Q_EMIT box.activated(box.defaultIndex());
    QCOMPARE(box.color(), std::nullopt);
    QCOMPARE(changed.count(), 5);
}

void TestGroupOptions::colorBoxCustom_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<uint>("expected");
    QTest::addColumn<bool>("custom");
    QTest::newRow("chosen") << true << 0x3366CCu << true;
    QTest::newRow("cancelled") << false << 0x00FF00u << false;
}

void TestGroupOptions::colorBoxCustom()
{
    QFETCH(bool, accept);
    QFETCH(uint, expected);
    QFETCH(bool, custom);
    TGroupIcons icons;
    TGroupOptionDlg dlg(icons);
    TGroupRow g;
    g.BGCOLOR = 0x00FF00;
    dlg.setRecord(g);
    auto* box = control<TColorBox>(dlg, "colorBG");
    QString title;
    QColor offered;
    box->setChooser([&](QWidget*, const QColor& current, const QString& t) {
        title = t;
        offered = current;
        return accept ? QColor(0xCC, 0x66, 0x33) : QColor();
    });
    box->setCurrentIndex(box->customIndex());
    Q_EMIT box->activated(box->customIndex());
    QCOMPARE(title, QStringLiteral("付箋背景色"));
    QCOMPARE(offered, QColor(0, 255, 0));
    QCOMPARE(dlg.record().BGCOLOR, std::optional<uint32_t>(expected));
    QCOMPARE(box->currentIndex() == box->customIndex(), custom);
    QCOMPARE(box->currentText(), custom ? QStringLiteral("カスタム...") : QStringLiteral("ライム"));
}

void TestGroupOptions::layoutFits()
{
    TGroupIcons icons;
    TGroupOptionDlg dlg(icons);
    TGroupRow g;
    g.LABEL = QStringLiteral("仕事");
    g.BGCOLOR = 0xC0FFFF;
    g.HTEXTCOLOR = 0x0000FF;
    g.ICONNUM = 2;
    dlg.setRecord(g);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    checkLayout(dlg);
    // The colour names show in full in their boxes.
    for (const char* name : {"colorHeader", "colorText", "colorBG", "colorLink"}) {
        auto* box = control<TColorBox>(dlg, name);
        QVERIFY2(box->width() >= box->sizeHint().width(), name);
    }
    saveShot(dlg, QStringLiteral("group-editor.png"));
}

QTEST_MAIN(TestGroupOptions)
#include "tst_groupoptions.moc"
