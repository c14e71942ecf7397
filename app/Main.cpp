#include "Main.h"

#include "app/Restore.h"
#include "db/DBModFusen.h"
#include "db/FbServices.h"
#include "list/ListWindow.h"
#include "notes/Desktop.h"
#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"
#include "types/GroupFilter.h"
#include "types/Options.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcMain, "kwil.main")

namespace {
const QString DamagedDatabase = QStringLiteral("データベースが破損している可能性があります");
const QString DamagedBackup = QStringLiteral("バックアップファイルが破損している可能性があります");
} // namespace

TMainForm::TMainForm(TdbmNotes& db, QWidget* parent) : QMainWindow(parent), FGroups(db), FDB(db)
{
    setWindowTitle(QStringLiteral("Kwil!"));
    FListWindow = new TListWindow(FDB, FSettings, *this, this);
    setCentralWidget(FListWindow);
    resize(638, 470);
    // The list window has no taskbar entry of its own: the tray is the program's face.
    setWindowFlag(Qt::Tool, true);
    TimerM.setInterval(60000);
    connect(&TimerM, &QTimer::timeout, this, &TMainForm::TimerMTimer);
    BuildTrayMenu();
}

TMainForm::~TMainForm()
{
    // Every note window saves itself as it goes; then the connection closes.
    try {
        FDesktop.reset();
    } catch (const std::exception& e) {
        qCWarning(lcMain) << "closing notes:" << e.what();
    }
    try {
        if (FDB.IsConnected())
            FDB.Disconnect();
    } catch (const std::exception& e) {
        qCWarning(lcMain) << "disconnect:" << e.what();
        platform::messages().showMessage(DamagedDatabase);
    }
}

void TMainForm::BuildTrayMenu()
{
    popNew = PopupMenu.addMenu(QStringLiteral("新規作成"))->menuAction();
    PopupMenu.addSeparator();
    popCascade = PopupMenu.addAction(QStringLiteral("重ねて配置"));
    popTile = PopupMenu.addAction(QStringLiteral("並べて配置"));
    popResume = PopupMenu.addAction(QStringLiteral("元の位置に戻す"));
    popReload = PopupMenu.addAction(QStringLiteral("再読み込み"));
    popReload->setStatusTip(QStringLiteral("付箋データを再読み込みする"));
    popRssCheck = PopupMenu.addAction(QStringLiteral("フィード取り込み"));
    PopupMenu.addSeparator();
    popShowGrid = PopupMenu.addAction(QStringLiteral("一覧・検索"));
    PopupMenu.setDefaultAction(popShowGrid);
    popGroup = PopupMenu.addMenu(QStringLiteral("グループフィルタ"))->menuAction();
    popOptions = PopupMenu.addAction(QStringLiteral("オプション･･･"));
    N1 = PopupMenu.addAction(QStringLiteral("バックアップ"));
    popAbout = PopupMenu.addAction(QStringLiteral("バージョン情報"));
    PopupMenu.addSeparator();
    popExit = PopupMenu.addAction(QStringLiteral("終了"));

    connect(popCascade, &QAction::triggered, this, &TMainForm::actCascadeExecute);
    connect(popTile, &QAction::triggered, this, &TMainForm::actTileExecute);
    connect(popResume, &QAction::triggered, this, &TMainForm::acrResumeExecute);
    connect(popReload, &QAction::triggered, this, &TMainForm::actReloadExecute);
    connect(popShowGrid, &QAction::triggered, this, &TMainForm::actShowGridExecute);
    connect(popOptions, &QAction::triggered, this, &TMainForm::actOptionsExecute);
    QMenu* groupMenu = popGroup->menu();
    connect(groupMenu, &QMenu::aboutToShow, this, [this, groupMenu] {
        groupMenu->clear();
        if (FDesktop)
            FillGroupFilterMenu(*groupMenu, *this);
    });
    connect(N1, &QAction::triggered, this, &TMainForm::actBackupExecute);
    connect(popExit, &QAction::triggered, this, &TMainForm::actExitExecute);
}

bool TMainForm::FormCreate()
{
    FTickCount = 0;
    FExitRequested = false;
    FWorkArea = platform::screens().primaryWorkArea();

    LoadIniSettings(FSettings, FDB, TProgramFolder::settingsFile());

    // Image plug-ins arrive with the viewer.
    GroupIcons.loadGroupIcons(QDir::currentPath());

    if (!RestoreAtStart())
        return false;

    try {
        FDB.Connect();
        if (FDB.IsConnected()) {
            if (!CheckSchemaVersion()) {
                platform::messages().showMessage(
                    QStringLiteral("データベースをバージョンアップしました。再起動してください。"));
                requestEnd();
                return false;
            }
            if (FSettings.BackupStart) {
                BackupDatabase(QStringLiteral("_S"));
                SweepDatabase();
            }
            FDesktop =
                std::make_unique<TDesktop>(FDB, FSettings, FTypeList, FGroups, GroupIcons, TimerM);
            ReloadTypeList();
            ReloadGroupList();
            BuildNewNoteMenu();
            LoadDesktopNotes(true, false);
            TimerM.start();
        }
    } catch (const EDatabaseError&) {
        // the module has shown it
        requestEnd();
        return false;
    }
    // Switching to another program saves every changed note: the desktop
    // listens for that itself.
    return true;
}

void TMainForm::ReloadTypeList()
{
    FTypeList.Reload(FDB);
    FListWindow->ReloadTypeList(FTypeList);
}

void TMainForm::ReloadGroupList()
{
    FGroups.Load();
    FListWindow->ReloadGroupList(FGroups);
}

void TMainForm::BuildNewNoteMenu()
{
    if (FDesktop)
        FDesktop->BuildNewNoteMenu(popNew->menu());
}

void TMainForm::OpenNoteByKey(int32_t id)
{
    if (FDesktop)
        FDesktop->OpenNoteByKey(id);
}

void TMainForm::DiscardNote(int32_t id)
{
    if (FDesktop)
        FDesktop->DiscardNote(id);
}

void TMainForm::CloseAllNotes()
{
    if (FDesktop)
        FDesktop->CloseAllNotes();
}

bool TMainForm::SaveIniSettings(QString* error)
{
    return ::SaveIniSettings(FSettings, FDB, TProgramFolder::settingsFile(), error);
}

QString TMainForm::programFile()
{
    return TProgramFolder::programFile();
}

void TMainForm::actOptionsExecute()
{
    if (FDesktop)
        ExecuteOptions(*this);
}

void TMainForm::acrGroupFilterExecute()
{
    if (FDesktop)
        ExecuteGroupFilter(*this);
}

void TMainForm::actCascadeExecute()
{
    if (FDesktop)
        FDesktop->actCascadeExecute();
}

void TMainForm::actTileExecute()
{
    if (FDesktop)
        FDesktop->actTileExecute();
}

void TMainForm::acrResumeExecute()
{
    if (FDesktop)
        FDesktop->ResumeNotes();
}

void TMainForm::actReloadExecute()
{
    if (FDesktop)
        FDesktop->ReloadNotes();
}

bool TMainForm::RestoreAtStart()
{
    // A server's database is not a local file; nothing to look for here.
    if (!FDB.Server().isEmpty() || QFileInfo::exists(FDB.DBName()))
        return true;

    TRestoreCandidates candidates;
    for (const QString& folder :
         RestoreSearchFolders(FSettings.BackupFolder, FDB.DBFolder(), TProgramFolder::path()))
        candidates.FindBackupFiles(folder, QStringLiteral("*.FBK"));

    if (candidates.isEmpty()) {
        platform::messages().showMessage(
            QStringLiteral("データベース復元のためのバックアップファイルが見つかりません"));
        requestEnd();
        return false;
    }

    QString chosen;
    QString done;
    if (candidates.isOnlyInitialBackup()) {
        chosen = candidates.items().first().path;
        done = QStringLiteral("データベースファイルが初期化されました");
    } else {
        QStringList lines;
        QList<int> tags;
        candidates.pickerLines(lines, tags);
        const int picked =
            platform::picker().pick(QStringLiteral("復元するファイルを選択してください"), lines, 0);
        if (picked < 0 || picked >= tags.size()) {
            platform::messages().showMessage(
                QStringLiteral("データベースファイルが存在しないため、実行できません"));
            requestEnd();
            return false;
        }
        chosen = candidates.items().at(tags.at(picked)).path;
        done = QStringLiteral("データベースファイルが復元されました");
    }

    try {
        RestoreDatabase(chosen);
    } catch (const std::exception& e) {
        // Without a database nothing in the program can work: end after the
        // error rather than sit in the tray with every command failing.
        platform::messages().showError(QString::fromUtf8(e.what()));
        requestEnd();
        return false;
    }
    platform::messages().showMessage(done);
    return true;
}

void TMainForm::requestEnd()
{
    FEndRequested = true;
    Q_EMIT terminateRequested();
}

void TMainForm::TimerMTimer()
{
    switch (FTickCount % 10) {
    case 0:
        StartRssThread(false);
        break;
    case 4:
        LoadDesktopNotes(false, FSettings.Beep);
        break;
    case 8:
        RefreshNotePriorities();
        break;
    default:
        break;
    }
    ++FTickCount;
}

void TMainForm::StartRssThread(bool)
{}

void TMainForm::LoadDesktopNotes(bool arrange, bool beep)
{
    if (FDesktop)
        FDesktop->LoadDesktopNotes(arrange, beep);
}

void TMainForm::RefreshNotePriorities()
{
    if (FDesktop)
        FDesktop->RefreshNotePriorities();
}

// --- schema ---------------------------------------------------------------

bool TMainForm::CheckSchemaVersion()
{
    FDB.BeginWork();
    try {
        bool result = true;
        TDbQuery sqlWk(FDB.UpdateTransaction());
        sqlWk.setSQL(QStringList{
            QStringLiteral("select rdb$relation_name from rdb$relations"),
            QStringLiteral("where rdb$system_flag=0 and rdb$relation_name = 'VERINFO'")});
        sqlWk.open();
        const bool hasVersionTable = sqlWk.next();
        sqlWk.close();
        if (!hasVersionTable) {
            sqlWk.setSQL(QStringList{QStringLiteral("create table VERINFO ("),
                                     QStringLiteral("  VERSION  VARCHAR(10) NOT NULL PRIMARY KEY,"),
                                     QStringLiteral("  UPDTIME  TIMESTAMP DEFAULT 'NOW' NOT NULL,"),
                                     QStringLiteral("  MEMO     VARCHAR(100)"),
                                     QStringLiteral(");")});
            sqlWk.execute();
            result = false;
        } else {
            sqlWk.setSQL(QStringList{QStringLiteral("select * from VERINFO"),
                                     QStringLiteral("where VERSION='1.1'")});
            sqlWk.open();
            const bool current = sqlWk.next();
            sqlWk.close();
            if (!current) {
                const QList<QStringList> upgrade{
                    {QStringLiteral("alter domain D_PASSWORD"),
                     QStringLiteral("type VARCHAR(80) CHARACTER SET ASCII")},
                    {QStringLiteral("alter table RSSCONFIG"),
                     QStringLiteral("add basicauth D_BOOLEAN,"),
                     QStringLiteral("add username  D_USERID,"),
                     QStringLiteral("add passwd    D_PASSWORD,"),
                     QStringLiteral("add port      integer,"),
                     QStringLiteral("add interval  integer")},
                    {QStringLiteral("insert into VerInfo(VERSION,UPDTIME,MEMO)"),
                     QStringLiteral("values('1.0','2009-09-01 00:00:00','初期リリース')")},
                    {QStringLiteral("insert into VerInfo(VERSION,MEMO)"),
                     QStringLiteral(
                         "values('1.1','画像ビューワ,フィードのBASIC認証,付箋に検索結果を挿入')")},
                };
                for (const QStringList& statement : upgrade) {
                    sqlWk.setSQL(statement);
                    sqlWk.execute();
                }
            }
        }
        FDB.CommitWork();
        return result;
    } catch (...) {
        FDB.RollbackWork();
        throw;
    }
}

// --- backup, restore, sweep -----------------------------------------------

namespace {
TServiceParams serviceParams(const TdbmNotes& db)
{
    TServiceParams sp;
    sp.clientLibrary = db.GetClientLibrary();
    sp.server = db.Server();
    sp.userName = db.GetUserName();
    sp.password = db.GetPassword();
    return sp;
}
} // namespace

QString TMainForm::BackupDatabase(const QString& suffix)
{
    if (!FSettings.BackupFolder.isEmpty() && !QDir(FSettings.BackupFolder).exists()) {
        platform::messages().showMessage(QStringLiteral("バックアップフォルダが存在しません: ") +
                                         FSettings.BackupFolder);
        return QString();
    }
    QString folder = FSettings.BackupFolder;
    if (folder.isEmpty())
        folder = FDB.DBFolder();
    if (folder.isEmpty())
        folder = TProgramFolder::path();
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    const QString path = folder + u'/' + BackupFileName(FDB.DBFile(), suffix);
    try {
        FbServices::Backup(serviceParams(FDB), FDB.DBPath(), path);
    } catch (...) {
        platform::messages().showMessage(DamagedDatabase);
        throw;
    }
    return path;
}

void TMainForm::RestoreDatabase(const QString& backupFile)
{
    try {
        FbServices::Restore(serviceParams(FDB), backupFile, FDB.DBPath());
    } catch (...) {
        platform::messages().showMessage(DamagedBackup);
        throw;
    }
}

void TMainForm::SweepDatabase()
{
    // The sweep goes where the backup went: a server's database is swept by
    // that server, not by a local engine that cannot reach its file.
    try {
        FbServices::Sweep(serviceParams(FDB), FDB.DBPath());
    } catch (...) {
        platform::messages().showMessage(DamagedDatabase);
        throw;
    }
}

void TMainForm::actBackupExecute()
{
    try {
        const QString path = BackupDatabase(QString());
        SweepDatabase();
        if (!path.isEmpty())
            platform::messages().showMessage(QStringLiteral("バックアップ完了 - ") + path);
    } catch (const std::exception& e) {
        platform::messages().showError(QString::fromUtf8(e.what()));
    }
}

void TMainForm::DeleteExpiredNotes()
{
    const int days = FSettings.AutoDelete;
    if (days <= 0)
        return;
    const TDateTime cutoff = platform::now().addDays(-days);
    try {
        FDB.BeginWork();
        try {
            TDbQuery q(FDB.UpdateTransaction(),
                       QStringList{QStringLiteral("delete from Fusen"),
                                   QStringLiteral("where COMPLETED=1 and ANCHOR=0"),
                                   QStringLiteral("and STIME < :EXPIES")});
            q.setParam(QStringLiteral("EXPIES"), cutoff);
            q.execute();
            FDB.CommitWork();
        } catch (...) {
            FDB.RollbackWork();
            throw;
        }
    } catch (const EDatabaseError&) {
        // shown by the module; nothing more to say at exit
    }
}

// --- showing, hiding, closing ---------------------------------------------

void TMainForm::actShowGridExecute()
{
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void TMainForm::BringToFront()
{
    if (isVisible()) {
        raise();
        activateWindow();
    }
}

void TMainForm::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // Minimizing sends the list back to the tray. Queued: the state
        // change may arrive in the middle of showing the window.
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~Qt::WindowMinimized);
                hide();
            },
            Qt::QueuedConnection);
    }
}

void TMainForm::closeEvent(QCloseEvent* e)
{
    if (!FExitRequested) {
        e->ignore();
        hide();
        return;
    }
    e->accept();
    if (!FClosed) {
        FClosed = true;
        waitForWorkers();
        FormClose();
        Q_EMIT terminateRequested();
    }
}

void TMainForm::actExitExecute()
{
    FExitRequested = true;
    if (FClosed)
        return;
    FClosed = true;
    waitForWorkers();
    hide();
    FormClose();
    Q_EMIT terminateRequested();
}

void TMainForm::waitForWorkers()
{
    while (FRssThreadCount.load() > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

void TMainForm::FormClose()
{
    TimerM.stop();
    if (!FDB.IsConnected())
        return;
    try {
        if (FSettings.BackupEnd) {
            BackupDatabase(QStringLiteral("_E"));
            SweepDatabase();
        }
        if (FSettings.AutoDelete > 0)
            DeleteExpiredNotes();
    } catch (const std::exception& e) {
        // The backup or sweep has shown its message; the program still ends.
        qCWarning(lcMain) << "closing:" << e.what();
    }
}

void TMainForm::EndSession(bool quit)
{
    // From here on a close of the list window ends the program, also when
    // the session end is cancelled.
    FExitRequested = true;
    if (FClosed)
        return;
    waitForWorkers();
    SaveChangedNotes();
    if (!quit)
        return;
    FClosed = true;
    TimerM.stop();
    hide();
    Q_EMIT terminateRequested();
}

void TMainForm::SaveChangedNotes()
{
    if (FDesktop)
        FDesktop->SaveChangedNotes();
}

QString BackupFileName(const QString& dbFile, const QString& suffix)
{
    const QFileInfo fi(dbFile);
    const QString base =
        fi.suffix().isEmpty() ? dbFile : dbFile.left(dbFile.size() - fi.suffix().size() - 1);
    return base + suffix + QStringLiteral(".FBK");
}
