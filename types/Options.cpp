#include "Options.h"

#include "app/Settings.h"
#include "db/DBModBase.h"
#include "platform/Autostart.h"
#include "platform/Colors.h"
#include "platform/Platform.h"
#include "types/GroupIcons.h"
#include "types/OptionsHost.h"
#include "types/Priority.h"
#include "types/TypeOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

Q_LOGGING_CATEGORY(lcOptions, "kwil.options")

namespace {
constexpr QSize DialogSize{561, 401};
// Item data of the grid cells: a colour (none for NULL), an icon index.
constexpr int ColorRole = Qt::UserRole;
constexpr int IconRole = Qt::UserRole + 1;
constexpr int RowHeight = 20;

enum class Cell
{
    Text,
    Color,
    Icon
};

// The grids draw their own cells: colours as a swatch inset 4 pixels left and
// right and 2 top and bottom (nothing for NULL), group icons at (2, 1).
class TGridCellDelegate : public QStyledItemDelegate
{
public:
    TGridCellDelegate(QList<Cell> cells, const TGroupIcons* icons, QObject* parent)
        : QStyledItemDelegate(parent), FCells(std::move(cells)), FIcons(icons)
    {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const Cell cell = FCells.value(index.column(), Cell::Text);
        if (cell == Cell::Text) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        if (cell == Cell::Color) {
            const QVariant v = index.data(ColorRole);
            if (v.isValid()) {
                const QRect swatch = option.rect.adjusted(4, 2, -4, -2);
                p->setPen(selected ? pal.highlightedText().color() : pal.text().color());
                p->setBrush(WinColorToQColor(v.value<uint32_t>()));
                p->drawRect(swatch.adjusted(0, 0, -1, -1));
            }
        } else if (FIcons) {
            const int icon = index.data(IconRole).toInt();
            if (FIcons->contains(icon))
                p->drawPixmap(option.rect.topLeft() + QPoint(2, 1), FIcons->pixmap(icon));
        }
        p->restore();
    }

private:
    QList<Cell> FCells;
    const TGroupIcons* FIcons;
};

QTableWidget* makeGrid(QWidget* parent, const char* name,
                       const QList<std::pair<QString, int>>& columns)
{
    auto* grid = new QTableWidget(0, columns.size(), parent);
    grid->setObjectName(QLatin1String(name));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->setWordWrap(false);
    QStringList labels;
    for (const auto& column : columns)
        labels << column.first;
    grid->setHorizontalHeaderLabels(labels);
    // The designed widths, or what a header caption needs at the font in use.
    for (int i = 0; i < columns.size(); ++i)
        grid->setColumnWidth(
            i, std::max(columns[i].second, grid->horizontalHeader()->sectionSizeHint(i)));
    return grid;
}

QTableWidgetItem* textCell(const QString& text)
{
    return new QTableWidgetItem(text);
}

QTableWidgetItem* colorCell(std::optional<uint32_t> color)
{
    auto* item = new QTableWidgetItem;
    if (color)
        item->setData(ColorRole, QVariant::fromValue(*color));
    return item;
}

std::optional<uint32_t> colorField(const TDbQuery& q, const char* name)
{
    const TDbField f = q.field(QLatin1String(name));
    if (f.isNull())
        return std::nullopt;
    return static_cast<uint32_t>(f.asInt()) & 0xFFFFFF;
}

void bindColor(TDbQuery& q, const char* name, std::optional<uint32_t> color)
{
    if (color)
        q.setParam(QLatin1String(name), static_cast<int>(*color));
    else
        q.setNull(QLatin1String(name));
}

// Runs f as one unit of work; on an error rolls it back and shows what the
// error hook has not shown yet. False when it failed.
template <typename F> bool inUnitOfWork(TdbmBase& db, F&& f)
{
    try {
        db.BeginWork();
    } catch (const std::exception& e) {
        ShowCommandError(e);
        return false;
    }
    try {
        f();
        db.CommitWork();
        return true;
    } catch (const std::exception& e) {
        try {
            db.RollbackWork();
        } catch (const std::exception&) {
            // shown by the error hook; the first error is what the user needs
        }
        ShowCommandError(e);
        return false;
    }
}

// A button that stands for an action: its caption, click and enabled state.
QPushButton* actionButton(QAction* action, QWidget* parent)
{
    auto* button = new QPushButton(action->text(), parent);
    button->setObjectName(QStringLiteral("btn") + action->objectName().mid(3));
    button->setAutoDefault(false);
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button,
                     [button, action] { button->setEnabled(action->isEnabled()); });
    return button;
}

QAction* makeAction(QObject* parent, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

// Keeps "2000" and the arrows readable in the narrow position fields.
QSpinBox* makeSpin(QWidget* parent, const QString& name, int min, int max)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(min, max);
    spin->setAlignment(Qt::AlignRight);
    return spin;
}

// "caption [spin] rest" on one line.
QHBoxLayout* sentence(QWidget* parent, const QString& before, QSpinBox* spin, const QString& after)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    auto* label = new QLabel(before, parent);
    label->setBuddy(spin);
    row->addWidget(label);
    row->addWidget(spin);
    if (!after.isEmpty())
        row->addWidget(new QLabel(after, parent));
    row->addStretch();
    return row;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QLatin1String(name));
    check->setToolTip(hint);
    return check;
}

TArrangeParams& arrangement(TSettings& s, int which)
{
    return which == 0 ? s.DefaultPos : which == 1 ? s.Cascade : s.Tile;
}

int& arrangeField(TArrangeParams& a, int field)
{
    int* fields[] = {&a.Top, &a.Left, &a.Width, &a.Height, &a.DW, &a.DH};
    return *fields[field];
}
} // namespace

TOptionDlg::TOptionDlg(TOptionsHost& host, QWidget* parent) : QDialog(parent), FHost(host)
{
    setWindowTitle(QStringLiteral("オプションダイアログ"));
    setModal(true);
    setSizeGripEnabled(false);

    FFolderChooser = [](QWidget* parent, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("バックアップ保存先"),
                                                 start, QFileDialog::ShowDirsOnly);
    };
    FEditorRunner = [](QDialog& editor) { return editor.exec() == QDialog::Accepted; };

    actTypeAdd = makeAction(this, "actTypeAdd", QStringLiteral("新規登録"));
    actTypeEdit = makeAction(this, "actTypeEdit", QStringLiteral("編集"));
    actTypeDelete = makeAction(this, "actTypeDelete", QStringLiteral("削除"));
    actGroupAdd = makeAction(this, "actGroupAdd", QStringLiteral("新規登録"));
    actGroupEdit = makeAction(this, "actGroupEdit", QStringLiteral("編集"));
    actGroupDelete = makeAction(this, "actGroupDelete", QStringLiteral("削除"));
    connect(actTypeAdd, &QAction::triggered, this, &TOptionDlg::actTypeAddExecute);
    connect(actTypeEdit, &QAction::triggered, this, &TOptionDlg::actTypeEditExecute);
    connect(actTypeDelete, &QAction::triggered, this, &TOptionDlg::actTypeDeleteExecute);
    connect(actGroupAdd, &QAction::triggered, this, &TOptionDlg::actGroupAddExecute);
    connect(actGroupEdit, &QAction::triggered, this, &TOptionDlg::actGroupEditExecute);
    connect(actGroupDelete, &QAction::triggered, this, &TOptionDlg::actGroupDeleteExecute);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(2, 2, 2, 2);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(buildGeneralPage(), QStringLiteral("基本設定"));
    PageControl->addTab(buildTypePage(), QStringLiteral("付箋タイプ"));
    PageControl->addTab(buildGroupPage(), QStringLiteral("グループ"));
    tabRss = new QWidget;
    tabRss->setObjectName(QStringLiteral("tabRss"));
    PageControl->addTab(tabRss, QStringLiteral("RSSフィード"));
    PageControl->setCurrentIndex(0);
    main->addWidget(PageControl);

    // The size the dialog was designed at; a larger desktop font widens it
    // rather than clipping its captions.
    const QSize size = DialogSize.expandedTo(minimumSizeHint());
    setFixedSize(size);
    const QRect area = platform::screens().primaryWorkArea();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);

    loadTypes(std::nullopt);
    loadGroups(std::nullopt);
}

QWidget* TOptionDlg::buildGeneralPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabGeneral"));
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(6, 4, 6, 4);
    columns->setSpacing(8);

    // Left: what is shown and kept; right: where windows go.
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    editFusenMax = makeSpin(page, QStringLiteral("editFusenMax"), 1, 40);
    editFusenMax->setToolTip(
        QStringLiteral("これは自動読み込み時の制限であって手動での追加は何枚でも可能です"));
    left->addLayout(sentence(page, QStringLiteral("自動表示する付箋の数は最大で"), editFusenMax,
                             QStringLiteral("枚まで")));
    editLowPriority = makeSpin(page, QStringLiteral("editLowPriority"), 0, 99);
    editLowPriority->setToolTip(
        QStringLiteral("これは自動読み込み時の制限であって手動での表示は可能です"));
    left->addLayout(sentence(page, QStringLiteral("優先度が"), editLowPriority,
                             QStringLiteral("以下の付箋は自動表示しない")));

    checkStartup = makeCheck(
        page, "checkStartup", QStringLiteral("システム起動時にKwil!を起動する"),
        QStringLiteral("チェックするとスタートアップフォルダにショートカットを作成します"));
    checkPasteClipboard = makeCheck(
        page, "checkPasteClipboard", QStringLiteral("新規作成時にクリップボードの内容を貼付ける"),
        QStringLiteral(
            "新規作成時にクリップボードにテキストが入っていれば、自動で本文に貼り付けられます"));
    checkAutoPriority =
        makeCheck(page, "checkAutoPriority", QStringLiteral("付箋表示の自動更新を行う"),
                  QStringLiteral("チェックすると10分間隔で付箋を自動更新します"));
    checkBeep = makeCheck(
        page, "checkBeep", QStringLiteral("付箋の自動追加を音で知らせる"),
        QStringLiteral("チェックすると自動更新で付箋が追加された場合、ビープ音が鳴ります"));
    checkAutoComplete =
        makeCheck(page, "checkAutoComplete",
                  QStringLiteral("優先度が０の付箋を自動的に「済み」にする"), QString());
    for (QCheckBox* c :
         {checkStartup, checkPasteClipboard, checkAutoPriority, checkBeep, checkAutoComplete})
        left->addWidget(c);

    editAutoDelete = makeSpin(page, QStringLiteral("editAutoDelete"), 0, 120);
    editAutoDelete->setToolTip(QStringLiteral("0にすると自動削除しません。"));
    // The longest sentence of the page, broken after its subject so that the
    // left column stays as narrow as its check boxes.
    auto* autoDeleteLabel = new QLabel(QStringLiteral("「済み」になった付箋は"), page);
    autoDeleteLabel->setBuddy(editAutoDelete);
    left->addWidget(autoDeleteLabel);
    auto* autoDeleteRow = new QHBoxLayout;
    autoDeleteRow->setSpacing(4);
    autoDeleteRow->addSpacing(16);
    autoDeleteRow->addWidget(editAutoDelete);
    autoDeleteRow->addWidget(new QLabel(QStringLiteral("日後に自動的に削除する"), page));
    autoDeleteRow->addStretch();
    left->addLayout(autoDeleteRow);
    checkViewModeEdit = makeCheck(page, "checkViewModeEdit",
                                  QStringLiteral("「表示モード」のときも編集を可能にする"),
                                  QStringLiteral("ショートカットキーは使えなくなります"));
    left->addWidget(checkViewModeEdit);

    auto* backup = new QGroupBox(QStringLiteral("データバックアップ"), page);
    backup->setObjectName(QStringLiteral("GroupBackup"));
    backup->setToolTip(QStringLiteral("バックアップファイルを保存するフォルダを指定してください"));
    const QString slowHint = QStringLiteral("サイズが大きいと時間がかかる場合があります");
    checkBackupStart = makeCheck(backup, "checkBackupStart",
                                 QStringLiteral("起動時に自動でバックアップをとる"), slowHint);
    checkBackupEnd = makeCheck(backup, "checkBackupEnd",
                               QStringLiteral("終了時に自動でバックアップをとる"), slowHint);
    editBackupFolder = new QLineEdit(backup);
    editBackupFolder->setObjectName(QStringLiteral("editBackupFolder"));
    editBackupFolder->setToolTip(
        QStringLiteral("空白にするとKwil.exeと同じフォルダに保存されます"));
    btnBackupFolder = new QToolButton(backup);
    btnBackupFolder->setText(QStringLiteral("…"));
    btnBackupFolder->setObjectName(QStringLiteral("btnBackupFolder"));
    connect(btnBackupFolder, &QToolButton::clicked, this, &TOptionDlg::btnBackupFolderClick);
    auto* folderRow = new QHBoxLayout;
    folderRow->setSpacing(4);
    auto* folderLabel = new QLabel(QStringLiteral("バックアップ保存先"), backup);
    folderLabel->setBuddy(editBackupFolder);
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(editBackupFolder, 1);
    folderRow->addWidget(btnBackupFolder);
    auto* backupLayout = new QVBoxLayout(backup);
    backupLayout->setContentsMargins(6, 4, 6, 6);
    backupLayout->setSpacing(2);
    backupLayout->addWidget(checkBackupStart);
    backupLayout->addWidget(checkBackupEnd);
    backupLayout->addLayout(folderRow);
    left->addWidget(backup);
    left->addStretch();
    columns->addLayout(left, 1);

    struct Frame
    {
        const char16_t* title;
        const char* prefix;
        const char16_t* steps[2];
    };
    const Frame frames[3] = {
        {u"新規作成・コピー時の付箋位置・サイズ", "editD", {u"横増分:", u"縦増分:"}},
        {u"重ねて表示時の位置・サイズ", "editC", {u"横増分:", u"縦増分:"}},
        {u"並べて表示時の位置・サイズ", "editT", {u"横間隔:", u"縦間隔:"}},
    };
    const char* fieldNames[6] = {"Top", "Left", "Width", "Height", "DW", "DH"};
    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    for (int f = 0; f < 3; ++f) {
        auto* box = new QGroupBox(QString::fromUtf16(frames[f].title), page);
        box->setObjectName(QStringLiteral("GroupPos") + QLatin1String(frames[f].prefix).mid(4));
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(6, 4, 6, 4);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(2);
        const QString captions[6] = {
            QStringLiteral("Top:"),
            QStringLiteral("Left:"),
            QStringLiteral("横幅:"),
            QStringLiteral("高さ:"),
            QString::fromUtf16(frames[f].steps[0]),
            QString::fromUtf16(frames[f].steps[1]),
        };
        for (int i = 0; i < 6; ++i) {
            QSpinBox* spin = makeSpin(
                box, QLatin1String(frames[f].prefix) + QLatin1String(fieldNames[i]), 0, 2000);
            FPos[f][i] = spin;
            auto* label = new QLabel(captions[i], box);
            label->setBuddy(spin);
            const int row = i / 2;
            const int column = (i % 2) * 2;
            grid->addWidget(label, row, column);
            grid->addWidget(spin, row, column + 1);
        }
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        right->addWidget(box);
    }
    // The note font sits under the frames: the left column has no height to spare.
    editFontSize = makeSpin(page, QStringLiteral("editFontSize"), 8, 14);
    right->addLayout(
        sentence(page, QStringLiteral("付箋のフォントサイズ"), editFontSize, QString()));
    right->addStretch();
    columns->addLayout(right);
    return page;
}

QWidget* TOptionDlg::buildTypePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabType"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* buttons = new QHBoxLayout;
    for (QAction* a : {actTypeAdd, actTypeEdit, actTypeDelete})
        buttons->addWidget(actionButton(a, page));
    buttons->addStretch();
    layout->addLayout(buttons);
    gridType = makeGrid(page, "gridType",
                        {{QStringLiteral("ラベル"), 195},
                         {QStringLiteral("文字色"), 60},
                         {QStringLiteral("背景色"), 60},
                         {QStringLiteral("ヘッダ文字"), 60},
                         {QStringLiteral("ヘッダ背景"), 60},
                         {QStringLiteral("リンク色"), 60}});
    gridType->setItemDelegate(new TGridCellDelegate(
        {Cell::Text, Cell::Color, Cell::Color, Cell::Color, Cell::Color, Cell::Color}, nullptr,
        gridType));
    layout->addWidget(gridType, 1);
    connect(gridType, &QTableWidget::currentCellChanged, this, &TOptionDlg::updateTypeActions);
    connect(gridType, &QTableWidget::cellDoubleClicked, this, [this] {
        if (actTypeEdit->isEnabled())
            actTypeEdit->trigger();
    });
    return page;
}

QWidget* TOptionDlg::buildGroupPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabGroup"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* buttons = new QHBoxLayout;
    for (QAction* a : {actGroupAdd, actGroupEdit, actGroupDelete})
        buttons->addWidget(actionButton(a, page));
    buttons->addStretch();
    layout->addLayout(buttons);
    gridGroup = makeGrid(page, "gridGroup",
                         {{QStringLiteral("Icon"), 29},
                          {QStringLiteral("ラベル"), 210},
                          {QStringLiteral("文字色"), 64},
                          {QStringLiteral("背景色"), 64},
                          {QStringLiteral("ヘッダ文字"), 64},
                          {QStringLiteral("リンク色"), 64}});
    gridGroup->setItemDelegate(new TGridCellDelegate(
        {Cell::Icon, Cell::Text, Cell::Color, Cell::Color, Cell::Color, Cell::Color},
        &FHost.groupIcons(), gridGroup));
    layout->addWidget(gridGroup, 1);
    connect(gridGroup, &QTableWidget::currentCellChanged, this, &TOptionDlg::updateGroupActions);
    connect(gridGroup, &QTableWidget::cellDoubleClicked, this, [this] {
        if (actGroupEdit->isEnabled())
            actGroupEdit->trigger();
    });
    return page;
}

void TOptionDlg::setSettings(const TSettings& s, bool startup)
{
    editFusenMax->setValue(s.FusenMax);
    editLowPriority->setValue(s.LowPriority);
    checkStartup->setChecked(startup);
    checkPasteClipboard->setChecked(s.PasteClipboard);
    checkAutoPriority->setChecked(s.AutoPriority);
    checkBeep->setChecked(s.Beep);
    checkAutoComplete->setChecked(s.AutoComplete);
    editAutoDelete->setValue(s.AutoDelete);
    checkViewModeEdit->setChecked(s.ViewModeEdit);
    editFontSize->setValue(s.FontSize);
    checkBackupStart->setChecked(s.BackupStart);
    checkBackupEnd->setChecked(s.BackupEnd);
    editBackupFolder->setText(s.BackupFolder);
    TSettings copy = s;
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 6; ++i)
            FPos[f][i]->setValue(arrangeField(arrangement(copy, f), i));
}

void TOptionDlg::getSettings(TSettings& s) const
{
    // A number still being typed counts as entered.
    for (QSpinBox* spin : findChildren<QSpinBox*>())
        spin->interpretText();
    s.FusenMax = editFusenMax->value();
    s.LowPriority = editLowPriority->value();
    s.PasteClipboard = checkPasteClipboard->isChecked();
    s.AutoPriority = checkAutoPriority->isChecked();
    s.Beep = checkBeep->isChecked();
    s.AutoComplete = checkAutoComplete->isChecked();
    s.AutoDelete = editAutoDelete->value();
    s.ViewModeEdit = checkViewModeEdit->isChecked();
    s.FontSize = editFontSize->value();
    s.BackupStart = checkBackupStart->isChecked();
    s.BackupEnd = checkBackupEnd->isChecked();
    s.BackupFolder = editBackupFolder->text();
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 6; ++i)
            arrangeField(arrangement(s, f), i) = FPos[f][i]->value();
}

bool TOptionDlg::startupChecked() const
{
    return checkStartup->isChecked();
}

void TOptionDlg::btnBackupFolderClick()
{
    const QString chosen = FFolderChooser(this, editBackupFolder->text());
    if (!chosen.isEmpty())
        editBackupFolder->setText(chosen);
}

bool TOptionDlg::runEditor(QDialog& editor)
{
    return FEditorRunner(editor);
}

// Types -------------------------------------------------------------------

void TOptionDlg::loadTypes(std::optional<int32_t> current)
{
    QList<TTypeRecord> rows;
    QList<std::array<std::optional<uint32_t>, 5>> colors;
    {
        TDbQuery q(FHost.db().ReadTransaction(),
                   {QStringLiteral("SELECT"), QStringLiteral("    *"), QStringLiteral("FROM"),
                    QStringLiteral("    FUSENTYPE "), QStringLiteral("ORDER BY"),
                    QStringLiteral("    IDKEY")});
        q.open();
        while (q.next()) {
            TTypeRecord t;
            t.IDKEY = q.field(QStringLiteral("IDKEY")).asInt();
            t.LABEL = q.field(QStringLiteral("LABEL")).asString();
            t.INITVAL = q.field(QStringLiteral("INITVAL")).asInt();
            t.SSPAN = q.field(QStringLiteral("SSPAN")).asInt();
            t.SVAL = q.field(QStringLiteral("SVAL")).asInt();
            t.EVAL = q.field(QStringLiteral("EVAL")).asInt();
            t.ESPAN = q.field(QStringLiteral("ESPAN")).asInt();
            t.CLOSEVAL = q.field(QStringLiteral("CLOSEVAL")).asInt();
            const auto text = colorField(q, "TEXTCOLOR");
            const auto bg = colorField(q, "BGCOLOR");
            const auto htext = colorField(q, "HTEXTCOLOR");
            const auto link = colorField(q, "LINKCOLOR");
            t.TEXTCOLOR = text.value_or(0);
            t.BGCOLOR = bg.value_or(0);
            t.HTEXTCOLOR = htext.value_or(0);
            t.LINKCOLOR = link.value_or(0);
            t.R = q.field(QStringLiteral("R")).asBool();
            t.G = q.field(QStringLiteral("G")).asBool();
            t.B = q.field(QStringLiteral("B")).asBool();
            rows << t;
            colors.push_back({text, bg, htext, ShadeColor(t.R, t.G, t.B, 127), link});
        }
    }
    FTypes = rows;
    const QSignalBlocker block(gridType);
    gridType->clearContents();
    gridType->setRowCount(rows.size());
    int select = rows.isEmpty() ? -1 : 0;
    for (int r = 0; r < rows.size(); ++r) {
        gridType->setItem(r, 0, textCell(rows[r].LABEL));
        for (int c = 0; c < 5; ++c)
            gridType->setItem(r, c + 1, colorCell(colors[r][c]));
        if (current && rows[r].IDKEY == current)
            select = r;
    }
    gridType->setCurrentCell(select, select < 0 ? -1 : 0);
    updateTypeActions();
}

void TOptionDlg::updateTypeActions()
{
    const int row = gridType->currentRow();
    const bool valid = row >= 0 && row < FTypes.size();
    actTypeEdit->setEnabled(valid);
    // Type 1 is the type every new note starts with.
    actTypeDelete->setEnabled(valid && FTypes[row].IDKEY.value_or(0) > 1);
}

bool TOptionDlg::storeType(const TTypeRecord& t)
{
    std::optional<int32_t> key = t.IDKEY;
    const bool ok = inUnitOfWork(FHost.db(), [&] {
        TDbQuery q(FHost.db().UpdateTransaction());
        if (!t.IDKEY) {
            q.setSQL(QStringList{QStringLiteral("INSERT INTO FUSENTYPE("),
                                 QStringLiteral("    IDKEY,"),
                                 QStringLiteral("    LABEL,"),
                                 QStringLiteral("    INITVAL,"),
                                 QStringLiteral("    SVAL,"),
                                 QStringLiteral("    EVAL,"),
                                 QStringLiteral("    CLOSEVAL,"),
                                 QStringLiteral("    SSPAN,"),
                                 QStringLiteral("    ESPAN,"),
                                 QStringLiteral("    TEXTCOLOR,"),
                                 QStringLiteral("    BGCOLOR,"),
                                 QStringLiteral("    HTEXTCOLOR,"),
                                 QStringLiteral("    LINKCOLOR,"),
                                 QStringLiteral("    R,"),
                                 QStringLiteral("    G,"),
                                 QStringLiteral("    B"),
                                 QStringLiteral(")"),
                                 QStringLiteral("VALUES("),
                                 QStringLiteral("    :IDKEY,"),
                                 QStringLiteral("    :LABEL,"),
                                 QStringLiteral("    :INITVAL,"),
                                 QStringLiteral("    :SVAL,"),
                                 QStringLiteral("    :EVAL,"),
                                 QStringLiteral("    :CLOSEVAL,"),
                                 QStringLiteral("    :SSPAN,"),
                                 QStringLiteral("    :ESPAN,"),
                                 QStringLiteral("    :TEXTCOLOR,"),
                                 QStringLiteral("    :BGCOLOR,"),
                                 QStringLiteral("    :HTEXTCOLOR,"),
                                 QStringLiteral("    :LINKCOLOR,"),
                                 QStringLiteral("    :R,"),
                                 QStringLiteral("    :G,"),
                                 QStringLiteral("    :B"),
                                 QStringLiteral(")"),
                                 QStringLiteral("RETURNING IDKEY")});
            q.setNull(QStringLiteral("IDKEY")); // the database gives the key
        } else {
            q.setSQL(QStringList{QStringLiteral("UPDATE FUSENTYPE"),
                                 QStringLiteral("SET "),
                                 QStringLiteral("    IDKEY = :IDKEY,"),
                                 QStringLiteral("    LABEL = :LABEL,"),
                                 QStringLiteral("    INITVAL = :INITVAL,"),
                                 QStringLiteral("    SVAL = :SVAL,"),
                                 QStringLiteral("    EVAL = :EVAL,"),
                                 QStringLiteral("    CLOSEVAL = :CLOSEVAL,"),
                                 QStringLiteral("    SSPAN = :SSPAN,"),
                                 QStringLiteral("    ESPAN = :ESPAN,"),
                                 QStringLiteral("    TEXTCOLOR = :TEXTCOLOR,"),
                                 QStringLiteral("    BGCOLOR = :BGCOLOR,"),
                                 QStringLiteral("    HTEXTCOLOR = :HTEXTCOLOR,"),
                                 QStringLiteral("    LINKCOLOR = :LINKCOLOR,"),
                                 QStringLiteral("    R = :R,"),
                                 QStringLiteral("    G = :G,"),
                                 QStringLiteral("    B = :B"),
                                 QStringLiteral("WHERE"),
                                 QStringLiteral("    IDKEY = :OLD_IDKEY"),
                                 QStringLiteral("    ")});
            q.setParam(QStringLiteral("IDKEY"), static_cast<int>(*t.IDKEY));
            q.setParam(QStringLiteral("OLD_IDKEY"), static_cast<int>(*t.IDKEY));
        }
        q.setParam(QStringLiteral("LABEL"), t.LABEL);
        q.setParam(QStringLiteral("INITVAL"), static_cast<int>(t.INITVAL));
        q.setParam(QStringLiteral("SVAL"), static_cast<int>(t.SVAL));
        q.setParam(QStringLiteral("EVAL"), static_cast<int>(t.EVAL));
        q.setParam(QStringLiteral("CLOSEVAL"), static_cast<int>(t.CLOSEVAL));
        q.setParam(QStringLiteral("SSPAN"), static_cast<int>(t.SSPAN));
        q.setParam(QStringLiteral("ESPAN"), static_cast<int>(t.ESPAN));
        bindColor(q, "TEXTCOLOR", t.TEXTCOLOR);
        bindColor(q, "BGCOLOR", t.BGCOLOR);
        bindColor(q, "HTEXTCOLOR", t.HTEXTCOLOR);
        bindColor(q, "LINKCOLOR", t.LINKCOLOR);
        q.setParam(QStringLiteral("R"), t.R);
        q.setParam(QStringLiteral("G"), t.G);
        q.setParam(QStringLiteral("B"), t.B);
        q.execute();
        if (!t.IDKEY)
            key = q.field(QStringLiteral("IDKEY")).asInt();
    });
    if (ok)
        afterTypeChange(key);
    return ok;
}

void TOptionDlg::afterTypeChange(std::optional<int32_t> current)
{
    try {
        loadTypes(current);
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
    try {
        FHost.ReloadTypeList();
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
}

void TOptionDlg::actTypeAddExecute()
{
    TTypeOptionDlg editor(this);
    editor.setLowPriority(editLowPriority->value());
    if (!runEditor(editor))
        return;
    TTypeRecord t = editor.record();
    t.IDKEY.reset();
    storeType(t);
}

void TOptionDlg::actTypeEditExecute()
{
    const int row = gridType->currentRow();
    if (row < 0 || row >= FTypes.size())
        return;
    TTypeOptionDlg editor(this);
    editor.setRecord(FTypes[row]);
    editor.setLowPriority(editLowPriority->value());
    if (!runEditor(editor))
        return;
    TTypeRecord t = editor.record();
    t.IDKEY = FTypes[row].IDKEY;
    storeType(t);
}

bool TOptionDlg::deleteRow(const QStringList& statement, int32_t key)
{
    return inUnitOfWork(FHost.db(), [&] {
        TDbQuery q(FHost.db().UpdateTransaction(), statement);
        q.setParam(QStringLiteral("OLD_IDKEY"), static_cast<int>(key));
        q.execute();
    });
}

void TOptionDlg::actTypeDeleteExecute()
{
    const int row = gridType->currentRow();
    if (row < 0 || row >= FTypes.size() || !actTypeDelete->isEnabled())
        return;
    const TTypeRecord& t = FTypes[row];
    if (!platform::messages().confirm(t.LABEL + QStringLiteral(" を削除しますか？")))
        return;
    // The row after the deleted one becomes current, or the one before at the end.
    const int next = row + 1 < FTypes.size() ? row + 1 : row - 1;
    const std::optional<int32_t> current =
        next >= 0 ? FTypes[next].IDKEY : std::optional<int32_t>{};
    if (deleteRow({QStringLiteral("DELETE FROM"), QStringLiteral("    FUSENTYPE"),
                   QStringLiteral("WHERE"), QStringLiteral("        IDKEY = :OLD_IDKEY"),
                   QStringLiteral("    ")},
                  *t.IDKEY))
        afterTypeChange(current);
}

// Groups ------------------------------------------------------------------

void TOptionDlg::loadGroups(std::optional<int32_t> current)
{
    QList<TGroupRow> rows;
    {
        TDbQuery q(FHost.db().ReadTransaction(),
                   {QStringLiteral("SELECT"), QStringLiteral("    *"), QStringLiteral("FROM"),
                    QStringLiteral("    FUSENGROUP "), QStringLiteral("ORDER BY"),
                    QStringLiteral("    IDKEY")});
        q.open();
        while (q.next()) {
            TGroupRow g;
            g.IDKEY = q.field(QStringLiteral("IDKEY")).asInt();
            g.LABEL = q.field(QStringLiteral("LABEL")).asString();
            g.TEXTCOLOR = colorField(q, "TEXTCOLOR");
            g.BGCOLOR = colorField(q, "BGCOLOR");
            g.HTEXTCOLOR = colorField(q, "HTEXTCOLOR");
            g.LINKCOLOR = colorField(q, "LINKCOLOR");
            if (!q.isNull(QStringLiteral("ICONNUM")))
                g.ICONNUM = q.field(QStringLiteral("ICONNUM")).asInt();
            g.VISIBLE = q.field(QStringLiteral("VISIBLE")).asBool();
            rows << g;
        }
    }
    FGroups = rows;
    const QSignalBlocker block(gridGroup);
    gridGroup->clearContents();
    gridGroup->setRowCount(rows.size());
    int select = rows.isEmpty() ? -1 : 0;
    for (int r = 0; r < rows.size(); ++r) {
        const TGroupRow& g = rows[r];
        auto* icon = new QTableWidgetItem;
        icon->setData(IconRole, g.ICONNUM.value_or(0)); // NULL shows the first icon
        gridGroup->setItem(r, 0, icon);
        gridGroup->setItem(r, 1, textCell(g.LABEL));
        gridGroup->setItem(r, 2, colorCell(g.TEXTCOLOR));
        gridGroup->setItem(r, 3, colorCell(g.BGCOLOR));
        gridGroup->setItem(r, 4, colorCell(g.HTEXTCOLOR));
        gridGroup->setItem(r, 5, colorCell(g.LINKCOLOR));
        if (current && g.IDKEY == current)
            select = r;
    }
    gridGroup->setCurrentCell(select, select < 0 ? -1 : 1);
    updateGroupActions();
}

void TOptionDlg::updateGroupActions()
{
    const int row = gridGroup->currentRow();
    const bool valid = row >= 0 && row < FGroups.size();
    actGroupEdit->setEnabled(valid);
    // Group 0 takes the notes that belong nowhere else.
    actGroupDelete->setEnabled(valid && FGroups[row].IDKEY.value_or(0) > 0);
}

bool TOptionDlg::storeGroup(const TGroupRow& g, bool isNew)
{
    std::optional<int32_t> key = g.IDKEY;
    const bool ok = inUnitOfWork(FHost.db(), [&] {
        TDbQuery q(FHost.db().UpdateTransaction());
        if (isNew) {
            q.setSQL(QStringList{QStringLiteral("INSERT INTO FUSENGROUP("),
                                 QStringLiteral("    IDKEY,"),
                                 QStringLiteral("    LABEL,"),
                                 QStringLiteral("    TEXTCOLOR,"),
                                 QStringLiteral("    BGCOLOR,"),
                                 QStringLiteral("    HTEXTCOLOR,"),
                                 QStringLiteral("    LINKCOLOR,"),
                                 QStringLiteral("    ICONNUM,"),
                                 QStringLiteral("    VISIBLE"),
                                 QStringLiteral(")"),
                                 QStringLiteral("VALUES("),
                                 QStringLiteral("    :IDKEY,"),
                                 QStringLiteral("    :LABEL,"),
                                 QStringLiteral("    :TEXTCOLOR,"),
                                 QStringLiteral("    :BGCOLOR,"),
                                 QStringLiteral("    :HTEXTCOLOR,"),
                                 QStringLiteral("    :LINKCOLOR,"),
                                 QStringLiteral("    :ICONNUM,"),
                                 QStringLiteral("    :VISIBLE"),
                                 QStringLiteral(")"),
                                 QStringLiteral("RETURNING IDKEY")});
            q.setNull(QStringLiteral("IDKEY"));
            // A new group without an icon says so with -1.
            q.setParam(QStringLiteral("ICONNUM"), static_cast<int>(g.ICONNUM.value_or(-1)));
            q.setParam(QStringLiteral("VISIBLE"), true);
        } else {
            q.setSQL(QStringList{QStringLiteral("UPDATE FUSENGROUP"), QStringLiteral("SET "),
                                 QStringLiteral("    IDKEY = :IDKEY,"),
                                 QStringLiteral("    LABEL = :LABEL,"),
                                 QStringLiteral("    TEXTCOLOR = :TEXTCOLOR,"),
                                 QStringLiteral("    BGCOLOR = :BGCOLOR,"),
                                 QStringLiteral("    HTEXTCOLOR = :HTEXTCOLOR,"),
                                 QStringLiteral("    LINKCOLOR = :LINKCOLOR,"),
                                 QStringLiteral("    ICONNUM = :ICONNUM,"),
                                 QStringLiteral("    VISIBLE = :VISIBLE"), QStringLiteral("WHERE"),
                                 QStringLiteral("    IDKEY = :OLD_IDKEY"), QStringLiteral("    ")});
            q.setParam(QStringLiteral("IDKEY"), static_cast<int>(*g.IDKEY));
            q.setParam(QStringLiteral("OLD_IDKEY"), static_cast<int>(*g.IDKEY));
            if (g.ICONNUM)
                q.setParam(QStringLiteral("ICONNUM"), static_cast<int>(*g.ICONNUM));
            else
                q.setNull(QStringLiteral("ICONNUM"));
            q.setParam(QStringLiteral("VISIBLE"), g.VISIBLE);
        }
        q.setParam(QStringLiteral("LABEL"), g.LABEL);
        bindColor(q, "TEXTCOLOR", g.TEXTCOLOR);
        bindColor(q, "BGCOLOR", g.BGCOLOR);
        bindColor(q, "HTEXTCOLOR", g.HTEXTCOLOR);
        bindColor(q, "LINKCOLOR", g.LINKCOLOR);
        q.execute();
        if (isNew)
            key = q.field(QStringLiteral("IDKEY")).asInt();
    });
    if (ok)
        afterGroupChange(key);
    return ok;
}

void TOptionDlg::afterGroupChange(std::optional<int32_t> current)
{
    try {
        loadGroups(current);
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
    try {
        FHost.ReloadGroupList();
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
}

void TOptionDlg::actGroupAddExecute()
{
    TGroupOptionDlg editor(FHost.groupIcons(), this);
    if (!runEditor(editor))
        return;
    TGroupRow g = editor.record();
    g.IDKEY.reset();
    storeGroup(g, true);
}

void TOptionDlg::actGroupEditExecute()
{
    const int row = gridGroup->currentRow();
    if (row < 0 || row >= FGroups.size())
        return;
    TGroupOptionDlg editor(FHost.groupIcons(), this);
    editor.setRecord(FGroups[row]);
    if (!runEditor(editor))
        return;
    TGroupRow g = editor.record();
    g.IDKEY = FGroups[row].IDKEY;
    g.VISIBLE = FGroups[row].VISIBLE;
    storeGroup(g, false);
}

void TOptionDlg::actGroupDeleteExecute()
{
    const int row = gridGroup->currentRow();
    if (row < 0 || row >= FGroups.size() || !actGroupDelete->isEnabled())
        return;
    const TGroupRow& g = FGroups[row];
    if (!platform::messages().confirm(g.LABEL + QStringLiteral(" を削除しますか？")))
        return;
    const int next = row + 1 < FGroups.size() ? row + 1 : row - 1;
    const std::optional<int32_t> current =
        next >= 0 ? FGroups[next].IDKEY : std::optional<int32_t>{};
    if (deleteRow({QStringLiteral("DELETE FROM"), QStringLiteral("    FUSENGROUP"),
                   QStringLiteral("WHERE"), QStringLiteral("        IDKEY = :OLD_IDKEY"),
                   QStringLiteral("    ")},
                  *g.IDKEY))
        afterGroupChange(current);
}

// The command ---------------------------------------------------------------

namespace {
// Step 6: the general settings and the startup shortcut.
void takeOverSettings(TOptionsHost& host, const TOptionDlg& dlg)
{
    try {
        dlg.getSettings(host.settings());
        QString reason;
        if (!host.SaveIniSettings(&reason)) {
            qCWarning(lcOptions) << "settings file not saved:" << reason;
            platform::messages().showError(QStringLiteral("設定ファイルを保存できませんでした"));
        }
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
    try {
        const QString program = host.programFile();
        const QString folder = host.startupFolder();
        const bool exists = StartupShortcutExists(program, folder);
        if (dlg.startupChecked() && !exists)
            CreateStartupShortcut(program, folder);
        else if (!dlg.startupChecked() && exists)
            DeleteStartupShortcut(program, folder);
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
}

// Step 7, whatever happened before.
void finishOptions(TOptionsHost& host, QDialog* dlg, bool timerWasActive)
{
    try {
        host.BuildNewNoteMenu();
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
    try {
        host.LoadDesktopNotes(true, false);
    } catch (const std::exception& e) {
        ShowCommandError(e);
    }
    if (dlg)
        dlg->deleteLater();
    if (timerWasActive)
        host.timer().start();
}
} // namespace

void ExecuteOptions(TOptionsHost& host)
{
    if (QDialog* open = host.FDesktopDialog.data()) {
        RaiseDialog(open);
        return;
    }
    const bool timerWasActive = host.timer().isActive();
    host.timer().stop();
    TOptionDlg* dlg = nullptr;
    try {
        dlg = new TOptionDlg(host, host.dialogParent());
        host.CloseAllNotes();
        dlg->setSettings(host.settings(),
                         StartupShortcutExists(host.programFile(), host.startupFolder()));
    } catch (const std::exception& e) {
        ShowCommandError(e);
        finishOptions(host, dlg, timerWasActive);
        return;
    }
    host.FDesktopDialog = dlg;
    QObject::connect(dlg, &QDialog::finished, dlg, [&host, dlg, timerWasActive] {
        host.FDesktopDialog = nullptr;
        takeOverSettings(host, *dlg);
        finishOptions(host, dlg, timerWasActive);
    });
    // Modal for the whole application, but not a nested event loop: the
    // sequence ends in the handler above.
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}
