#include "OptionsTestHost.h"
#include "platform/Autostart.h"
#include "platform/Colors.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/ColorBox.h"
#include "types/GroupFilter.h"
#include "types/GroupOptions.h"
#include "types/Options.h"
#include "types/Priority.h"
#include "types/TypeOptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
template <typename T> T* control(const QObject& parent, const QString& name)
{
    T* w = parent.findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// A setting as the general tab edits it.
struct Field
{
    std::function<void(TSettings&, const QVariant&)> set;
    std::function<QVariant(const TSettings&)> get;
};
#define FIELD(member)                                                                              \
    Field                                                                                          \
    {                                                                                              \
        [](TSettings& s, const QVariant& v) { s.member = v.value<decltype(s.member)>(); },         \
            [](const TSettings& s) { return QVariant::fromValue(s.member); }                       \
    }

// The options dialog as the test opens it through the command.
TOptionDlg* openOptions(TOptionsHost& host)
{
    ExecuteOptions(host);
    return qobject_cast<TOptionDlg*>(host.desktopDialog());
}

// Closes a dialog as the window's close button does and lets it be destroyed.
void closeWindow(QDialog* dlg)
{
    QVERIFY(dlg);
    QVERIFY(dlg->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int rowOfKey(const QList<TTypeRecord>& rows, int key)
{
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].IDKEY == key)
            return i;
    return -1;
}

int rowOfKey(const QList<TGroupRow>& rows, int key)
{
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].IDKEY == key)
            return i;
    return -1;
}

QList<TOptionDlg*> openOptionDialogs()
{
    QList<TOptionDlg*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TOptionDlg*>(w); d && d->isVisible())
            out << d;
    return out;
}

using EditorStep = std::function<void(QDialog&)>;
} // namespace
Q_DECLARE_METATYPE(Field)

class TestOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shape();
    void ranges_data();
    void ranges();
    void hints_data();
    void hints();
    void closeButtonSavesSettings_data();
    void closeButtonSavesSettings();
    void openCloseSequence_data();
    void openCloseSequence();
    void errorsStillFinish_data();
    void errorsStillFinish();
    void secondInvocationOnlyRaises();
    void startupShortcut();
    void folderButton_data();
    void folderButton();
    void deleteEnabling_data();
    void deleteEnabling();
    void emptyGridsDisableDelete();
    void typeAddAndEdit();
    void typeEditorCancelled();
    void typeDelete_data();
    void typeDelete();
    void groupIconAndColours_data();
    void groupIconAndColours();
    void newGroupIsVisibleAndReloaded();
    void groupDelete_data();
    void groupDelete();
    void typeGridCells();
    void groupGridIcons();
    void layoutFits_data();
    void layoutFits();
};

void TestOptions::shape()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("オプションダイアログ"));
    QCOMPARE(dlg.size(), QSize(561, 401));
    QVERIFY(dlg.isModal());
    QTabWidget* tabs = dlg.pages();
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabText(0), QStringLiteral("基本設定"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("付箋タイプ"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("グループ"));
    QCOMPARE(tabs->tabText(3), QStringLiteral("RSSフィード"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(3), dlg.feedPage());
    // Closing is the only way out.
    QVERIFY(!dlg.findChild<QDialogButtonBox*>());

    // The general tab's captions, the frames and both grids' columns.
    QStringList texts;
    for (const QLabel* l : dlg.findChildren<QLabel*>())
        texts << l->text();
    for (const QAbstractButton* b : dlg.findChildren<QAbstractButton*>())
        texts << b->text();
    for (const QGroupBox* g : dlg.findChildren<QGroupBox*>())
        texts << g->title();
    for (const char16_t* caption : {u"自動表示する付箋の数は最大で",
                                    u"枚まで",
                                    u"優先度が",
                                    u"以下の付箋は自動表示しない",
                                    u"システム起動時にKwil!を起動する",
                                    u"新規作成時にクリップボードの内容を貼付ける",
                                    u"付箋表示の自動更新を行う",
                                    u"付箋の自動追加を音で知らせる",
                                    u"優先度が０の付箋を自動的に「済み」にする",
                                    u"「済み」になった付箋は",
                                    u"日後に自動的に削除する",
                                    u"「表示モード」のときも編集を可能にする",
                                    u"付箋のフォントサイズ",
                                    u"起動時に自動でバックアップをとる",
                                    u"終了時に自動でバックアップをとる",
                                    u"バックアップ保存先",
                                    u"データバックアップ",
                                    u"…",
                                    u"新規作成・コピー時の付箋位置・サイズ",
                                    u"重ねて表示時の位置・サイズ",
                                    u"並べて表示時の位置・サイズ",
                                    u"新規登録",
                                    u"編集",
                                    u"削除"})
        QVERIFY2(texts.contains(QString::fromUtf16(caption)),
                 qPrintable(QString::fromUtf16(caption)));
    QCOMPARE(texts.count(QStringLiteral("Top:")), 3);
    QCOMPARE(texts.count(QStringLiteral("横幅:")), 3);
    QCOMPARE(texts.count(QStringLiteral("横増分:")), 2);
    QCOMPARE(texts.count(QStringLiteral("縦間隔:")), 1);

    auto headers = [](QTableWidget* grid) {
        QStringList out;
        for (int c = 0; c < grid->columnCount(); ++c)
            out << grid->horizontalHeaderItem(c)->text();
        return out;
    };
    auto* gridType = control<QTableWidget>(dlg, QStringLiteral("gridType"));
    auto* gridGroup = control<QTableWidget>(dlg, QStringLiteral("gridGroup"));
    QCOMPARE(headers(gridType),
             (QStringList{"ラベル", "文字色", "背景色", "ヘッダ文字", "ヘッダ背景", "リンク色"}));
    QCOMPARE(headers(gridGroup),
             (QStringList{"Icon", "ラベル", "文字色", "背景色", "ヘッダ文字", "リンク色"}));
    QVERIFY(gridType->columnWidth(0) >= 195);
    QVERIFY(gridGroup->columnWidth(1) >= 210);
    for (QTableWidget* grid : {gridType, gridGroup}) {
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        // No header caption is cut off.
        for (int c = 0; c < grid->columnCount(); ++c)
            QVERIFY2(grid->columnWidth(c) >= grid->horizontalHeader()->sectionSizeHint(c),
                     qPrintable(grid->horizontalHeaderItem(c)->text()));
    }
    // The initial rows, in key order, the first one current.
    QCOMPARE(dlg.typeRows().size(), 5);
    QCOMPARE(dlg.typeRows().first().LABEL, QStringLiteral("標準"));
    QCOMPARE(gridType->currentRow(), 0);
    QCOMPARE(dlg.groupRows().size(), 1);
    QCOMPARE(dlg.groupRows().first().LABEL, QStringLiteral("未分類"));
}

void TestOptions::ranges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("editFusenMax") << "editFusenMax" << 1 << 40;
    QTest::newRow("editLowPriority") << "editLowPriority" << 0 << 99;
    QTest::newRow("editAutoDelete") << "editAutoDelete" << 0 << 120;
    QTest::newRow("editFontSize") << "editFontSize" << 8 << 14;
    for (const char* frame : {"editD", "editC", "editT"})
        for (const char* field : {"Top", "Left", "Width", "Height", "DW", "DH"}) {
            const QString name = QLatin1String(frame) + QLatin1String(field);
            QTest::newRow(qPrintable(name)) << name << 0 << 2000;
        }
}

void TestOptions::ranges()
{
    QFETCH(QString, name);
    QFETCH(int, min);
    QFETCH(int, max);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    auto* spin = control<QSpinBox>(dlg, name);
    QCOMPARE(spin->minimum(), min);
    QCOMPARE(spin->maximum(), max);
}

void TestOptions::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("editFusenMax")
        << "editFusenMax"
        << "これは自動読み込み時の制限であって手動での追加は何枚でも可能です";
    QTest::newRow("editLowPriority") << "editLowPriority"
                                     << "これは自動読み込み時の制限であって手動での表示は可能です";
    QTest::newRow("checkStartup")
        << "checkStartup"
        << "チェックするとスタートアップフォルダにショートカットを作成します";
    QTest::newRow("checkPasteClipboard")
        << "checkPasteClipboard"
        << "新規作成時にクリップボードにテキストが入っていれば、自動で本文に貼り付けられます";
    QTest::newRow("checkAutoPriority") << "checkAutoPriority"
                                       << "チェックすると10分間隔で付箋を自動更新します";
    QTest::newRow("checkBeep")
        << "checkBeep"
        << "チェックすると自動更新で付箋が追加された場合、ビープ音が鳴ります";
    QTest::newRow("editAutoDelete") << "editAutoDelete"
                                    << "0にすると自動削除しません。";
    QTest::newRow("checkViewModeEdit") << "checkViewModeEdit"
                                       << "ショートカットキーは使えなくなります";
    QTest::newRow("backup frame") << "GroupBackup"
                                  << "バックアップファイルを保存するフォルダを指定してください";
    QTest::newRow("checkBackupStart") << "checkBackupStart"
                                      << "サイズが大きいと時間がかかる場合があります";
    QTest::newRow("checkBackupEnd") << "checkBackupEnd"
                                    << "サイズが大きいと時間がかかる場合があります";
    QTest::newRow("editBackupFolder") << "editBackupFolder"
                                      << "空白にするとKwil.exeと同じフォルダに保存されます";
}

void TestOptions::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    QCOMPARE(control<QWidget>(dlg, name)->toolTip(), hint);
}

void TestOptions::closeButtonSavesSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Field>("field");
    QTest::addColumn<QVariant>("stored"); // in memory when the dialog opens
    QTest::addColumn<QVariant>("entered");
    QTest::newRow("FusenMax") << "editFusenMax" << FIELD(FusenMax) << QVariant(7) << QVariant(33);
    QTest::newRow("LowPriority") << "editLowPriority" << FIELD(LowPriority) << QVariant(12)
                                 << QVariant(45);
    QTest::newRow("PasteClipboard")
        << "checkPasteClipboard" << FIELD(PasteClipboard) << QVariant(true) << QVariant(false);
    QTest::newRow("AutoPriority") << "checkAutoPriority" << FIELD(AutoPriority) << QVariant(false)
                                  << QVariant(true);
    QTest::newRow("Beep") << "checkBeep" << FIELD(Beep) << QVariant(true) << QVariant(false);
    QTest::newRow("AutoComplete") << "checkAutoComplete" << FIELD(AutoComplete) << QVariant(false)
                                  << QVariant(true);
    QTest::newRow("AutoDelete") << "editAutoDelete" << FIELD(AutoDelete) << QVariant(30)
                                << QVariant(0);
    QTest::newRow("ViewModeEdit") << "checkViewModeEdit" << FIELD(ViewModeEdit) << QVariant(false)
                                  << QVariant(true);
    QTest::newRow("FontSize") << "editFontSize" << FIELD(FontSize) << QVariant(9) << QVariant(13);
    QTest::newRow("BackupStart") << "checkBackupStart" << FIELD(BackupStart) << QVariant(false)
                                 << QVariant(true);
    QTest::newRow("BackupEnd") << "checkBackupEnd" << FIELD(BackupEnd) << QVariant(true)
                               << QVariant(false);
    QTest::newRow("BackupFolder") << "editBackupFolder" << FIELD(BackupFolder)
                                  << QVariant(QStringLiteral("/srv/古い"))
                                  << QVariant(QStringLiteral("/srv/バックアップ"));
    const Field fields[3][6] = {
        {FIELD(DefaultPos.Top), FIELD(DefaultPos.Left), FIELD(DefaultPos.Width),
         FIELD(DefaultPos.Height), FIELD(DefaultPos.DW), FIELD(DefaultPos.DH)},
        {FIELD(Cascade.Top), FIELD(Cascade.Left), FIELD(Cascade.Width), FIELD(Cascade.Height),
         FIELD(Cascade.DW), FIELD(Cascade.DH)},
        {FIELD(Tile.Top), FIELD(Tile.Left), FIELD(Tile.Width), FIELD(Tile.Height), FIELD(Tile.DW),
         FIELD(Tile.DH)},
    };
    const char* prefixes[3] = {"editD", "editC", "editT"};
    const char* names[6] = {"Top", "Left", "Width", "Height", "DW", "DH"};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 6; ++i) {
            const QString name = QLatin1String(prefixes[f]) + QLatin1String(names[i]);
            // Distinct per field, so a swapped pair shows.
            QTest::newRow(qPrintable(name)) << name << fields[f][i] << QVariant(100 + f * 10 + i)
                                            << QVariant(1000 + f * 100 + i * 7);
        }
}

void TestOptions::closeButtonSavesSettings()
{
    QFETCH(QString, name);
    QFETCH(Field, field);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, entered);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    field.set(host.settings(), stored);
    const TSettings before = host.settings();

    TOptionDlg* dlg = openOptions(host);
    QVERIFY(dlg);
    QWidget* w = control<QWidget>(*dlg, name);
    if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        QCOMPARE(spin->value(), stored.toInt());
        // Typed, not set: what the user leaves in the field counts.
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, entered.toString());
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        QCOMPARE(check->isChecked(), stored.toBool());
        check->setChecked(entered.toBool());
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QCOMPARE(edit->text(), stored.toString());
        edit->setText(entered.toString());
    } else {
        QFAIL("unexpected control");
    }
    QVERIFY(!QFile::exists(host.iniFile()));
    closeWindow(dlg);

    QVERIFY(host.calls.contains(QStringLiteral("SaveIniSettings")));
    QCOMPARE(field.get(host.settings()), entered);
    const TSettings saved = host.savedSettings();
    QCOMPARE(field.get(saved), entered);
    // Every other setting is saved as it was.
    TSettings expected = before;
    field.set(expected, entered);
    TIniFile a(QString{}), b(QString{});
    expected.write(a);
    saved.write(b);
    QCOMPARE(b.serialize(), a.serialize());
    QVERIFY(platform.errors.isEmpty());
}

void TestOptions::openCloseSequence_data()
{
    QTest::addColumn<bool>("timerRunning");
    QTest::newRow("timer running") << true;
    QTest::newRow("timer stopped") << false;
}

void TestOptions::openCloseSequence()
{
    QFETCH(bool, timerRunning);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    if (timerRunning)
        host.timer().start();

    QPointer<TOptionDlg> dlg = openOptions(host);
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->isModal());
    QVERIFY(!host.timer().isActive());
    QCOMPARE(host.calls, QStringList{QStringLiteral("CloseAllNotes")});

    closeWindow(dlg);
    QCOMPARE(host.calls, (QStringList{"CloseAllNotes", "SaveIniSettings", "BuildNewNoteMenu",
                                      "LoadDesktopNotes(1,0)"}));
    QCOMPARE(host.timer().isActive(), timerRunning);
    QVERIFY(dlg.isNull());
    QVERIFY(!host.desktopDialog());
    QVERIFY(platform.errors.isEmpty());
}

void TestOptions::errorsStillFinish_data()
{
    QTest::addColumn<bool>("failClose");
    QTest::addColumn<bool>("failSave");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("notes cannot be closed")
        << true << false << "notes could not be closed"
        << QStringList{"CloseAllNotes", "BuildNewNoteMenu", "LoadDesktopNotes(1,0)"};
    QTest::newRow("settings file cannot be written")
        << false << true << "設定ファイルを保存できませんでした"
        << QStringList{"CloseAllNotes", "SaveIniSettings", "BuildNewNoteMenu",
                       "LoadDesktopNotes(1,0)"};
}

void TestOptions::errorsStillFinish()
{
    QFETCH(bool, failClose);
    QFETCH(bool, failSave);
    QFETCH(QString, error);
    QFETCH(QStringList, calls);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    host.failCloseAllNotes = failClose;
    host.failSave = failSave;
    host.timer().start();

    TOptionDlg* dlg = openOptions(host);
    if (dlg)
        closeWindow(dlg);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(platform.errors, QStringList{error});
    QCOMPARE(host.calls, calls);
    QVERIFY(host.timer().isActive());
    QVERIFY(!host.desktopDialog());
    QVERIFY(openOptionDialogs().isEmpty());
}

void TestOptions::secondInvocationOnlyRaises()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    host.timer().start();
    TOptionDlg* first = openOptions(host);
    QVERIFY(first);
    ExecuteOptions(host);
    QCOMPARE(host.desktopDialog(), first);
    // The group filter waits too: both pause the timer and reload the desktop.
    ExecuteGroupFilter(host);
    QCOMPARE(host.desktopDialog(), first);
    QCOMPARE(openOptionDialogs(), QList<TOptionDlg*>{first});
    QVERIFY(QApplication::topLevelWidgets().size() > 0);
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TGroupFilterDlg*>(w));
    QCOMPARE(host.calls, QStringList{QStringLiteral("CloseAllNotes")});
    QVERIFY(!host.timer().isActive());

    closeWindow(first);
    QVERIFY(host.timer().isActive());
    QCOMPARE(host.calls.count(QStringLiteral("LoadDesktopNotes(1,0)")), 1);
    // Once closed, the next invocation opens a new dialog.
    TOptionDlg* second = openOptions(host);
    QVERIFY(second);
    closeWindow(second);
}

void TestOptions::startupShortcut()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString entry = StartupShortcutPath(host.programFile(), GetStartupFolder());
    QVERIFY(entry.startsWith(config.path()));
    QVERIFY(!QFile::exists(entry));

    TOptionDlg* dlg = openOptions(host);
    auto* check = control<QCheckBox>(*dlg, QStringLiteral("checkStartup"));
    QVERIFY(!check->isChecked());
    check->setChecked(true);
    closeWindow(dlg);
    QVERIFY(QFile::exists(entry));

    // Untouched, it stays.
    dlg = openOptions(host);
    QVERIFY(control<QCheckBox>(*dlg, QStringLiteral("checkStartup"))->isChecked());
    closeWindow(dlg);
    QVERIFY(QFile::exists(entry));

    dlg = openOptions(host);
    control<QCheckBox>(*dlg, QStringLiteral("checkStartup"))->setChecked(false);
    closeWindow(dlg);
    QVERIFY(!QFile::exists(entry));
    qputenv("XDG_CONFIG_HOME", previous);
    QVERIFY(platform.errors.isEmpty());
}

void TestOptions::folderButton_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("chosen") << "/home/user/バックアップ"
                            << "/home/user/バックアップ";
    QTest::newRow("cancelled") << ""
                               << "/srv/old";
}

void TestOptions::folderButton()
{
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    host.settings().BackupFolder = QStringLiteral("/srv/old");
    TOptionDlg* dlg = openOptions(host);
    QString start;
    QWidget* owner = nullptr;
    int asked = 0;
    dlg->setFolderChooser([&](QWidget* parent, const QString& from) {
        owner = parent;
        start = from;
        ++asked;
        return chosen;
    });
    QTest::mouseClick(control<QAbstractButton>(*dlg, QStringLiteral("btnBackupFolder")),
                      Qt::LeftButton);
    QCOMPARE(asked, 1);
    QCOMPARE(owner, dlg);
    QCOMPARE(start, QStringLiteral("/srv/old"));
    QCOMPARE(control<QLineEdit>(*dlg, QStringLiteral("editBackupFolder"))->text(), expected);
    closeWindow(dlg);
    QCOMPARE(host.savedSettings().BackupFolder, expected);
}

void TestOptions::deleteEnabling_data()
{
    QTest::addColumn<bool>("types");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("type 1") << true << 1 << false;
    QTest::newRow("type 2") << true << 2 << true;
    QTest::newRow("type 5") << true << 5 << true;
    QTest::newRow("group 0") << false << 0 << false;
    QTest::newRow("group 7") << false << 7 << true;
}

void TestOptions::deleteEnabling()
{
    QFETCH(bool, types);
    QFETCH(int, key);
    QFETCH(bool, enabled);
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(7,'仕事',1,1)"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    auto* grid = control<QTableWidget>(dlg, types ? "gridType" : "gridGroup");
    QAction* del = types ? dlg.actTypeDelete : dlg.actGroupDelete;
    auto* button = control<QPushButton>(dlg, types ? "btnTypeDelete" : "btnGroupDelete");
    // From a row with the other state, so the change is what is checked.
    const int row = types ? rowOfKey(dlg.typeRows(), key) : rowOfKey(dlg.groupRows(), key);
    QVERIFY(row >= 0);
    const int other = types ? rowOfKey(dlg.typeRows(), enabled ? 1 : 2)
                            : rowOfKey(dlg.groupRows(), enabled ? 0 : 7);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(other, 1)).center());
    QCOMPARE(del->isEnabled(), !enabled);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 1)).center());
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(del->isEnabled(), enabled);
    QCOMPARE(button->isEnabled(), enabled);
    QVERIFY((types ? dlg.actTypeEdit : dlg.actGroupEdit)->isEnabled());
}

void TestOptions::emptyGridsDisableDelete()
{
    TestPlatform platform;
    TestDatabase db;
    // Only possible behind the program's back: the triggers keep type 1 and group 0.
    db.exec({"alter trigger FUSENTYPE_BD inactive"});
    db.exec({"alter trigger FUSENGROUP_BD inactive"});
    db.exec({"delete from FusenType"});
    db.exec({"delete from FusenGroup"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    QVERIFY(dlg.typeRows().isEmpty());
    QVERIFY(dlg.groupRows().isEmpty());
    for (QAction* a : {dlg.actTypeDelete, dlg.actTypeEdit, dlg.actGroupDelete, dlg.actGroupEdit})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!control<QPushButton>(dlg, QStringLiteral("btnTypeDelete"))->isEnabled());
    QVERIFY(!control<QPushButton>(dlg, QStringLiteral("btnGroupDelete"))->isEnabled());
    QVERIFY(dlg.actTypeAdd->isEnabled());
    QVERIFY(dlg.actGroupAdd->isEnabled());
    // Triggering them anyway (a stale shortcut) asks nothing and changes nothing.
    dlg.actTypeDeleteExecute();
    dlg.actGroupEditExecute();
    QVERIFY(platform.confirmations.isEmpty());
    QVERIFY(host.calls.isEmpty());
}

void TestOptions::typeAddAndEdit()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg* dlg = openOptions(host);
    control<QSpinBox>(*dlg, QStringLiteral("editLowPriority"))->setValue(25);
    int editorLow = -1;
    bool startedNew = false;
    dlg->setEditorRunner([&](QDialog& editor) {
        auto* typeEditor = qobject_cast<TTypeOptionDlg*>(&editor);
        if (!typeEditor)
            return false;
        editorLow = typeEditor->lowPriority();
        startedNew = typeEditor->record() == TTypeRecord{};
        control<QLineEdit>(editor, QStringLiteral("editLabel"))->setText(QStringLiteral("会議"));
        control<QSpinBox>(editor, QStringLiteral("sedSVal"))->setValue(90);
        control<QCheckBox>(editor, QStringLiteral("cboxB"))->setChecked(true);
        return true;
    });
    host.calls.clear();
    dlg->actTypeAdd->trigger();
    // The graph shades the value in the field, not the saved setting.
    QCOMPARE(editorLow, 25);
    QVERIFY(startedNew); // a new type's values
    QVERIFY(platform.errors.isEmpty());
    const QString key = db.scalar({"select IDKEY from FusenType where LABEL='会議'"});
    QVERIFY(key.toInt() > 5);
    QCOMPARE(db.scalar({"select SVAL||','||B||','||INITVAL||','||BGCOLOR from FusenType where "
                        "IDKEY=" +
                        key}),
             QStringLiteral("90,1,1,65280"));
    QCOMPARE(host.calls, QStringList{QStringLiteral("ReloadTypeList")});
    QVERIFY(host.types().indexOfID(key.toInt()) >= 0);
    // The new row is current.
    auto* grid = control<QTableWidget>(*dlg, QStringLiteral("gridType"));
    QCOMPARE(dlg->typeRows().at(grid->currentRow()).IDKEY, key.toInt());

    // Edit type 2 by double-click.
    const int row = rowOfKey(dlg->typeRows(), 2);
    QString shownLabel;
    dlg->setEditorRunner([&](QDialog& editor) {
        auto* label = control<QLineEdit>(editor, QStringLiteral("editLabel"));
        shownLabel = label->text();
        label->setText(QStringLiteral("期限"));
        control<QSpinBox>(editor, QStringLiteral("sedClose"))->setValue(0);
        return true;
    });
    host.calls.clear();
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(shownLabel, QStringLiteral("締め切り"));
    QCOMPARE(db.scalar({"select LABEL||','||CLOSEVAL||','||SVAL from FusenType where IDKEY=2"}),
             QStringLiteral("期限,0,80"));
    QCOMPARE(host.calls, QStringList{QStringLiteral("ReloadTypeList")});
    QCOMPARE(host.types().at(host.types().indexOfID(2)).LABEL, QStringLiteral("期限"));
    QCOMPARE(dlg->typeRows().at(grid->currentRow()).IDKEY, 2);
    closeWindow(dlg);
}

void TestOptions::typeEditorCancelled()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    dlg.setEditorRunner([](QDialog& editor) {
        control<QLineEdit>(editor, QStringLiteral("editLabel"))->setText(QStringLiteral("x"));
        return false;
    });
    dlg.actTypeAddExecute();
    dlg.actTypeEditExecute();
    dlg.actGroupAddExecute();
    dlg.actGroupEditExecute();
    QCOMPARE(db.scalar({"select count(*) from FusenType"}), QStringLiteral("5"));
    QCOMPARE(db.scalar({"select count(*) from FusenGroup"}), QStringLiteral("1"));
    QCOMPARE(db.scalar({"select LABEL from FusenType where IDKEY=1"}), QStringLiteral("標準"));
    QVERIFY(host.calls.isEmpty());
}

void TestOptions::typeDelete_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("confirmed") << true << false << true;
    QTest::newRow("refused") << false << false << false;
    QTest::newRow("type in use") << true << true << false;
}

void TestOptions::typeDelete()
{
    QFETCH(bool, answer);
    QFETCH(bool, inUse);
    QFETCH(bool, deleted);
    TestPlatform platform;
    TestDatabase db;
    if (inUse)
        db.exec({"insert into Fusen(IDKEY,USERID,FTYPE,FGROUP,TITLE) "
                 "values(1,'DefaultUser',3,0,'会議')"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg* dlg = openOptions(host);
    auto* grid = control<QTableWidget>(*dlg, QStringLiteral("gridType"));
    grid->setCurrentCell(rowOfKey(dlg->typeRows(), 3), 0);
    host.calls.clear();
    platform.answerNextConfirm(answer);
    QTest::mouseClick(control<QPushButton>(*dlg, QStringLiteral("btnTypeDelete")), Qt::LeftButton);
    QCOMPARE(platform.confirmations, QStringList{QStringLiteral("予定 を削除しますか？")});

    const bool present = db.scalar({"select count(*) from FusenType where IDKEY=3"}) == "1";
    QCOMPARE(present, !deleted);
    QCOMPARE(rowOfKey(dlg->typeRows(), 3) >= 0, !deleted);
    QCOMPARE(host.types().indexOfID(3) >= 0, !deleted);
    QCOMPARE(host.calls, deleted ? QStringList{"ReloadTypeList"} : QStringList{});
    // The database's refusal reaches the user through the error hook.
    QCOMPARE(platform.errors.size(), inUse ? 1 : 0);
    if (inUse)
        QVERIFY2(platform.errors.first().contains(QStringLiteral("CODE:")),
                 qPrintable(platform.errors.first()));
    if (deleted) // the row after the deleted one is current
        QCOMPARE(dlg->typeRows().at(grid->currentRow()).IDKEY, 4);
    QVERIFY(db.module().Savepoints().isEmpty());

    // The new-note menu follows when the dialog closes.
    QVERIFY(host.newNoteMenu.contains(QStringLiteral("予定")));
    closeWindow(dlg);
    QCOMPARE(host.newNoteMenu.contains(QStringLiteral("予定")), !deleted);
}

void TestOptions::groupIconAndColours_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<int>("icon");      // -2: as shown, -1: no line selected, else the line
    QTest::addColumn<qint64>("colour"); // for 付箋背景色: -2 as shown, -1 default entry
    QTest::addColumn<QString>("iconStored");
    QTest::addColumn<QString>("colourStored");
    QTest::addColumn<QString>("textStored"); // 付箋テキスト, never touched
    QTest::newRow("add, no icon") << false << -2 << qint64(-2) << "-1"
                                  << "NULL"
                                  << "NULL";
    QTest::newRow("add, icon 5, red") << false << 5 << qint64(0x0000FF) << "5"
                                      << "255"
                                      << "NULL";
    QTest::newRow("add, black is a colour") << false << 0 << qint64(0) << "0"
                                            << "0"
                                            << "NULL";
    QTest::newRow("edit, icon kept") << true << -2 << qint64(-2) << "3"
                                     << "65280"
                                     << "NULL";
    QTest::newRow("edit, no icon selected") << true << -1 << qint64(-2) << "NULL"
                                            << "65280"
                                            << "NULL";
    QTest::newRow("edit, icon 9, colour unset") << true << 9 << qint64(-1) << "9"
                                                << "NULL"
                                                << "NULL";
}

void TestOptions::groupIconAndColours()
{
    QFETCH(bool, edit);
    QFETCH(int, icon);
    QFETCH(qint64, colour);
    QFETCH(QString, iconStored);
    QFETCH(QString, colourStored);
    QFETCH(QString, textStored);
    TestPlatform platform;
    TestDatabase db;
    db.exec(
        {"insert into FusenGroup(IDKEY,LABEL,BGCOLOR,ICONNUM,VISIBLE) values(4,'家',65280,3,0)"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    if (edit)
        control<QTableWidget>(dlg, QStringLiteral("gridGroup"))
            ->setCurrentCell(rowOfKey(dlg.groupRows(), 4), 1);
    std::optional<int> shownIcon;
    dlg.setEditorRunner([&](QDialog& editor) {
        auto* list = control<QListWidget>(editor, QStringLiteral("IconList"));
        if (!list->selectedItems().isEmpty())
            shownIcon = list->row(list->selectedItems().first());
        if (!edit)
            control<QLineEdit>(editor, QStringLiteral("editLabel"))
                ->setText(QStringLiteral("趣味"));
        if (icon == -1)
            list->clearSelection();
        else if (icon >= 0)
            list->setCurrentRow(icon);
        auto* bg = control<TColorBox>(editor, QStringLiteral("colorBG"));
        if (colour == -1) { // the user picks the default entry
            bg->setCurrentIndex(bg->defaultIndex());
            Q_EMIT bg->activated(bg->defaultIndex());
        } else if (colour >= 0)
            bg->setColor(static_cast<uint32_t>(colour));
        return true;
    });
    edit ? dlg.actGroupEditExecute() : dlg.actGroupAddExecute();
    QVERIFY(platform.errors.isEmpty());
    // Editing shows the stored icon; a new group starts with none.
    QCOMPARE(shownIcon, edit ? std::optional<int>(3) : std::nullopt);
    const QString where = edit ? "IDKEY=4" : "LABEL='趣味'";
    QCOMPARE(
        db.scalar({"select coalesce(cast(ICONNUM as varchar(11)),'NULL') from FusenGroup where " +
                   where}),
        iconStored);
    QCOMPARE(
        db.scalar({"select coalesce(cast(BGCOLOR as varchar(11)),'NULL') from FusenGroup where " +
                   where}),
        colourStored);
    QCOMPARE(db.scalar({"select coalesce(cast(TEXTCOLOR as varchar(11)),'NULL') from FusenGroup "
                        "where " +
                        where}),
             textStored);
    // An edit leaves the visibility as the group filter set it.
    QCOMPARE(db.scalar({"select VISIBLE from FusenGroup where " + where}),
             edit ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(host.calls, QStringList{QStringLiteral("ReloadGroupList")});
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestOptions::newGroupIsVisibleAndReloaded()
{
    TestPlatform platform;
    TestDatabase db;
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg* dlg = openOptions(host);
    dlg->pages()->setCurrentIndex(2);
    dlg->setEditorRunner([](QDialog& editor) {
        control<QLineEdit>(editor, QStringLiteral("editLabel"))->setText(QStringLiteral("仕事"));
        return true;
    });
    QVERIFY(!host.hasGroup(QStringLiteral("仕事")));
    QTest::mouseClick(control<QPushButton>(*dlg, QStringLiteral("btnGroupAdd")), Qt::LeftButton);
    // In the main window's list at once, while the dialog is still open.
    QVERIFY(host.desktopDialog());
    QVERIFY(host.hasGroup(QStringLiteral("仕事")));
    const TGroupRecord& g = host.groups().Items(host.groups().Count() - 1);
    QCOMPARE(g.LABEL, QStringLiteral("仕事"));
    QVERIFY(g.VISIBLE);
    QVERIFY(g.IDKEY > 0);
    QVERIFY(host.calls.contains(QStringLiteral("ReloadGroupList")));
    auto* grid = control<QTableWidget>(*dlg, QStringLiteral("gridGroup"));
    QCOMPARE(dlg->groupRows().at(grid->currentRow()).IDKEY, g.IDKEY);
    QVERIFY(dlg->actGroupDelete->isEnabled());
    closeWindow(dlg);
}

void TestOptions::groupDelete_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("confirmed") << true << false << true;
    QTest::newRow("refused") << false << false << false;
    QTest::newRow("group in use") << true << true << false;
}

void TestOptions::groupDelete()
{
    QFETCH(bool, answer);
    QFETCH(bool, inUse);
    QFETCH(bool, deleted);
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,VISIBLE) values(4,'家',1)"});
    if (inUse)
        db.exec({"insert into Fusen(IDKEY,USERID,FTYPE,FGROUP,TITLE) "
                 "values(1,'DefaultUser',1,4,'掃除')"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    control<QTableWidget>(dlg, QStringLiteral("gridGroup"))
        ->setCurrentCell(rowOfKey(dlg.groupRows(), 4), 1);
    platform.answerNextConfirm(answer);
    dlg.actGroupDelete->trigger();
    QCOMPARE(platform.confirmations, QStringList{QStringLiteral("家 を削除しますか？")});
    QCOMPARE(db.scalar({"select count(*) from FusenGroup where IDKEY=4"}),
             deleted ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(host.hasGroup(QStringLiteral("家")), !deleted);
    QCOMPARE(host.calls, deleted ? QStringList{"ReloadGroupList"} : QStringList{});
    QCOMPARE(platform.errors.size(), inUse ? 1 : 0);
    if (inUse) // the note keeps its group
        QCOMPARE(db.scalar({"select FGROUP from Fusen where IDKEY=1"}), QStringLiteral("4"));
    QVERIFY(db.module().Savepoints().isEmpty());
}

void TestOptions::typeGridCells()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"update FusenType set TEXTCOLOR=null where IDKEY=2"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    dlg.pages()->setCurrentIndex(1);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* grid = control<QTableWidget>(dlg, QStringLiteral("gridType"));
    grid->setCurrentCell(rowOfKey(dlg.typeRows(), 5), 0); // away from the rows checked
    const QImage shot = grid->viewport()->grab().toImage();
    const QColor base = grid->palette().color(QPalette::Base);
    auto cell = [&](int key, int column) {
        return grid->visualRect(grid->model()->index(rowOfKey(dlg.typeRows(), key), column));
    };
    auto at = [&](const QPoint& p) { return QColor(shot.pixel(p)); };

    // Type 1: R and G at level 127 (254, 254, 0); type 2: R alone; type 4: B alone.
    const std::pair<int, uint32_t> shades[] = {{1, ShadeColor(true, true, false, 127)},
                                               {2, ShadeColor(true, false, false, 127)},
                                               {4, ShadeColor(false, false, true, 127)}};
    for (const auto& [key, shade] : shades)
        QCOMPARE(at(cell(key, 4).center()), WinColorToQColor(shade));
    QCOMPARE(at(cell(1, 4).center()), QColor(254, 254, 0));
    // Swatches are inset: 4 pixels at the sides, 2 at top and bottom.
    const QRect bg = cell(1, 2);
    QCOMPARE(at(bg.center()), WinColorToQColor(12648447));
    QCOMPARE(at(QPoint(bg.left() + 2, bg.center().y())), base);
    QCOMPARE(at(QPoint(bg.right() - 2, bg.center().y())), base);
    QCOMPARE(at(QPoint(bg.center().x(), bg.top())), base);
    QCOMPARE(at(QPoint(bg.left() + 6, bg.center().y())), WinColorToQColor(12648447));
    // A NULL colour leaves the cell blank; black (0) is a swatch.
    QCOMPARE(at(cell(2, 1).center()), base);
    QCOMPARE(at(cell(1, 1).center()), QColor(Qt::black));
    // Every column is in view without scrolling.
    int width = 0;
    for (int c = 0; c < grid->columnCount(); ++c)
        width += grid->columnWidth(c);
    QVERIFY(width <= grid->viewport()->width());
}

void TestOptions::groupGridIcons()
{
    TestPlatform platform;
    TestDatabase db;
    db.exec({"update FusenGroup set ICONNUM=null where IDKEY=0"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(1,'a',0,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(2,'b',-1,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE) values(3,'c',6,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,ICONNUM,VISIBLE,BGCOLOR) values(4,'d',99,1,255)"});
    TestOptionsHost host(db.module(), db.folder());
    TOptionDlg dlg(host);
    dlg.pages()->setCurrentIndex(2);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* grid = control<QTableWidget>(dlg, QStringLiteral("gridGroup"));
    grid->setCurrentCell(rowOfKey(dlg.groupRows(), 4), 1);
    const QImage shot = grid->viewport()->grab().toImage();
    auto iconArea = [&](int key) {
        const QRect r = grid->visualRect(grid->model()->index(rowOfKey(dlg.groupRows(), key), 0));
        return shot.copy(QRect(r.topLeft() + QPoint(2, 1), QSize(16, 16)));
    };
    auto uniform = [](const QImage& img) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != img.pixel(0, 0))
                    return false;
        return true;
    };
    QVERIFY(!uniform(iconArea(1)));
    QVERIFY(!uniform(iconArea(3)));
    QVERIFY(iconArea(1) != iconArea(3));
    // NULL draws the first icon; an index outside the list draws none.
    QCOMPARE(iconArea(0), iconArea(1));
    QVERIFY(uniform(iconArea(2)));
    QCOMPARE(QColor(iconArea(2).pixel(0, 0)), grid->palette().color(QPalette::Base));
    // The colour columns of the group grid follow the same rule.
    const QRect bg = grid->visualRect(grid->model()->index(rowOfKey(dlg.groupRows(), 4), 3));
    QCOMPARE(QColor(shot.pixel(bg.center())), QColor(255, 0, 0));
    const QRect none = grid->visualRect(grid->model()->index(rowOfKey(dlg.groupRows(), 3), 3));
    QCOMPARE(QColor(shot.pixel(none.center())), grid->palette().color(QPalette::Base));
}

void TestOptions::layoutFits_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("shot");
    QTest::newRow("general") << 0 << "options-general.png";
    QTest::newRow("types") << 1 << "options-types.png";
    QTest::newRow("groups") << 2 << "options-groups.png";
    QTest::newRow("feeds") << 3 << "options-feeds.png";
}

void TestOptions::layoutFits()
{
    QFETCH(int, tab);
    QFETCH(QString, shot);
    TestPlatform platform;
    TestDatabase db;
    db.exec({"insert into FusenGroup(IDKEY,LABEL,TEXTCOLOR,BGCOLOR,ICONNUM,VISIBLE) "
             "values(1,'仕事',255,12648447,2,1)"});
    db.exec({"insert into FusenGroup(IDKEY,LABEL,HTEXTCOLOR,LINKCOLOR,ICONNUM,VISIBLE) "
             "values(2,'家庭',16711680,32768,5,0)"});
    TestOptionsHost host(db.module(), db.folder());
    host.settings().BackupFolder = QStringLiteral("/home/user/バックアップ");
    TOptionDlg* dlg = openOptions(host);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    dlg->pages()->setCurrentIndex(tab);
    QWidget* page = dlg->pages()->widget(tab);
    QVERIFY(page->isVisible());
    saveShot(*dlg, shot);
    if (tab != 3) // the feed page is filled by the feed settings
        checkLayout(*page);
    closeWindow(dlg);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
