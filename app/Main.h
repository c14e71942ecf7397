#pragma once

#include "app/Settings.h"
#include "db/DBModFusen.h"
#include "list/ListHost.h"
#include "platform/DateTime.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/OptionsHost.h"
#include "types/TypeList.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <atomic>
#include <memory>

class TdbmNotes;
class TDesktop;
class TListWindow;

// The main window: the hidden list and search window, the owner of every note
// window, the holder of the settings, the tray menu and the one-minute timer.
// It is created hidden and shown only from the tray.
class TMainForm : public QMainWindow, public TListHost, public TOptionsHost
{
    Q_OBJECT
public:
    explicit TMainForm(TdbmNotes& db, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The creation handler: settings, database, schema, lists, desktop,
    // timer. Returns false when the program must end (its reason has been
    // shown); the caller then skips the message loop.
    bool FormCreate();
    bool endRequested() const { return FEndRequested; }

    TdbmNotes& db() override { return FDB; }
    TDesktop* desktop() const { return FDesktop.get(); }
    TListWindow* listWindow() const { return FListWindow; }
    TTypeList FTypeList;
    TFusenGroup FGroups;
    TGroupIcons GroupIcons;

    // The type and group lists, with the list window's combos.
    void ReloadTypeList() override;
    void ReloadGroupList() override;
    // The tray's "新規作成" submenu, one item per type.
    void BuildNewNoteMenu() override;

    // TOptionsHost
    TFusenGroup& groups() override { return FGroups; }
    const TGroupIcons& groupIcons() override { return GroupIcons; }
    void CloseAllNotes() override;
    bool SaveIniSettings(QString* error) override;
    QString programFile() override;
    QWidget* dialogParent() override { return this; }

    // TListHost
    void OpenNoteByKey(int32_t id) override;
    void DiscardNote(int32_t id) override;
    QTimer& timer() override { return TimerM; }
    TSettings& settings() override { return FSettings; }
    const TSettings& settings() const { return FSettings; }
    QRect workArea() const { return FWorkArea; }

    // Periodic work, one tick a minute (ticks 0, 4 and 8 of every ten).
    void TimerMTimer();
    QTimer TimerM;
    int FTickCount = 0;
    bool FExitRequested = false;
    std::atomic<int> FRssThreadCount{0};

    // Overridable so the tick schedule can be observed; the real work lands
    // here as the desktop, list and feed parts arrive.
    virtual void StartRssThread(bool reloadWhenDone);
    void LoadDesktopNotes(bool arrange, bool beep) override;
    virtual void RefreshNotePriorities();
    // Saves every note window with unsaved changes.
    void SaveChangedNotes();

    // Schema, backup and expiry.
    bool CheckSchemaVersion();
    QString BackupDatabase(const QString& suffix);
    void RestoreDatabase(const QString& backupFile);
    void SweepDatabase();
    void DeleteExpiredNotes();

    // Commands.
    void actCascadeExecute();
    void actTileExecute();
    void acrResumeExecute();
    void actReloadExecute();
    void actOptionsExecute();
    void acrGroupFilterExecute();
    void actExitExecute();
    void actBackupExecute();
    void actShowGridExecute();
    // Another start of the program asked this one to come forward.
    void BringToFront();

    // The desktop session is ending: every changed note is saved and the
    // program ends without the end backup and the expiry. A termination
    // signal ends it at once (quit = true); the session manager's request
    // only prepares, since the session end may still be cancelled and Qt
    // quits by itself when it goes ahead.
    void EndSession(bool quit = true);

    QMenu PopupMenu; // the tray menu
    QAction* popNew = nullptr;
    QAction* popCascade = nullptr;
    QAction* popTile = nullptr;
    QAction* popResume = nullptr;
    QAction* popReload = nullptr;
    QAction* popRssCheck = nullptr;
    QAction* popShowGrid = nullptr;
    QAction* popGroup = nullptr;
    QAction* popOptions = nullptr;
    QAction* N1 = nullptr; // バックアップ
    QAction* popAbout = nullptr;
    QAction* popExit = nullptr;

Q_SIGNALS:
    // The program should end now (after exit, a failed start or the end of
    // the session); main() quits the event loop.
    void terminateRequested();

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool RestoreAtStart();
    void BuildTrayMenu();
    void FormClose();
    void requestEnd();
    void waitForWorkers();

    TdbmNotes& FDB;
    TSettings FSettings;
    std::unique_ptr<TDesktop> FDesktop;
    TListWindow* FListWindow = nullptr;
    QRect FWorkArea;
    bool FEndRequested = false;
    bool FClosed = false;
};

// The backup file name for a database file: its extension replaced by the
// suffix and ".FBK" (KWIL.FDB and "_E" give KWIL_E.FBK).
QString BackupFileName(const QString& dbFile, const QString& suffix);
