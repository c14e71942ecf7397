#pragma once

#include "app/Settings.h"
#include "platform/DateTime.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <atomic>

class TdbmNotes;

// The main window: the hidden list and search window, the owner of every note
// window, the holder of the settings, the tray menu and the one-minute timer.
// It is created hidden and shown only from the tray.
class TMainForm : public QMainWindow
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

    TdbmNotes& db() { return FDB; }
    TSettings& settings() { return FSettings; }
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
    virtual void LoadDesktopNotes(bool arrange, bool beep);
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
    QRect FWorkArea;
    bool FEndRequested = false;
    bool FClosed = false;
};

// The backup file name for a database file: its extension replaced by the
// suffix and ".FBK" (KWIL.FDB and "_E" give KWIL_E.FBK).
QString BackupFileName(const QString& dbFile, const QString& suffix);
