#pragma once

#include "types/GroupOptions.h"
#include "types/TypeRecord.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QToolButton;
class TOptionsHost;
struct TSettings;

// The options dialog: the general settings on the first tab, the note types
// and the groups on the next two (each change stored at once), and a page for
// the feed subscriptions. It has no OK or Cancel: closing it is the only way
// out and takes the general settings over (see ExecuteOptions).
class TOptionDlg : public QDialog
{
    Q_OBJECT
public:
    // Asks for a folder, starting at start; empty when the user cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    // Runs a type or group editor modally; true for OK.
    using EditorRunner = std::function<bool(QDialog& editor)>;

    // Reads the type and group rows; database errors propagate.
    explicit TOptionDlg(TOptionsHost& host, QWidget* parent = nullptr);

    // The general controls from the settings, and back. startup: whether the
    // startup shortcut exists.
    void setSettings(const TSettings& settings, bool startup);
    void getSettings(TSettings& settings) const;
    bool startupChecked() const;

    // The page of the feed subscriptions, empty until the feed settings fill it.
    QWidget* feedPage() const { return tabRss; }
    QTabWidget* pages() const { return PageControl; }

    void setFolderChooser(FolderChooser chooser) { FFolderChooser = std::move(chooser); }
    void setEditorRunner(EditorRunner runner) { FEditorRunner = std::move(runner); }

    // The rows as the grids show them, in grid order.
    const QList<TTypeRecord>& typeRows() const { return FTypes; }
    const QList<TGroupRow>& groupRows() const { return FGroups; }

    void actTypeAddExecute();
    void actTypeEditExecute();
    void actTypeDeleteExecute();
    void actGroupAddExecute();
    void actGroupEditExecute();
    void actGroupDeleteExecute();
    void btnBackupFolderClick();

    QAction* actTypeAdd;
    QAction* actTypeEdit;
    QAction* actTypeDelete;
    QAction* actGroupAdd;
    QAction* actGroupEdit;
    QAction* actGroupDelete;

private:
    QWidget* buildGeneralPage();
    QWidget* buildTypePage();
    QWidget* buildGroupPage();
    void loadTypes(std::optional<int32_t> current);
    void loadGroups(std::optional<int32_t> current);
    void updateTypeActions();
    void updateGroupActions();
    bool runEditor(QDialog& editor);
    // Stores one row change in a unit of work; false when it failed (the
    // error has been shown).
    bool storeType(const TTypeRecord& type);
    bool storeGroup(const TGroupRow& group, bool isNew);
    bool deleteRow(const QStringList& statement, int32_t key);
    void afterTypeChange(std::optional<int32_t> current);
    void afterGroupChange(std::optional<int32_t> current);

    TOptionsHost& FHost;
    QList<TTypeRecord> FTypes;
    QList<TGroupRow> FGroups;
    FolderChooser FFolderChooser;
    EditorRunner FEditorRunner;

    QTabWidget* PageControl;
    QWidget* tabRss;
    QSpinBox* editFusenMax;
    QSpinBox* editLowPriority;
    QCheckBox* checkStartup;
    QCheckBox* checkPasteClipboard;
    QCheckBox* checkAutoPriority;
    QCheckBox* checkBeep;
    QCheckBox* checkAutoComplete;
    QSpinBox* editAutoDelete;
    QCheckBox* checkViewModeEdit;
    QSpinBox* editFontSize;
    QCheckBox* checkBackupStart;
    QCheckBox* checkBackupEnd;
    QLineEdit* editBackupFolder;
    QToolButton* btnBackupFolder;
    QSpinBox* FPos[3][6]; // DefaultPos, Cascade, Tile: Top, Left, Width, Height, DW, DH
    QTableWidget* gridType;
    QTableWidget* gridGroup;
};

// The options command of the main window. Only one options dialog (or group
// filter) at a time: while one is open this only brings it to the front.
// Otherwise it pauses the timer, closes the note windows, shows the dialog
// filled from the settings and returns; when the dialog is closed the general
// settings are taken over and saved, the startup shortcut is created or
// deleted, and then, also after an error, the new-note menu is rebuilt, the
// desktop reloaded and the timer put back as it was.
void ExecuteOptions(TOptionsHost& host);
