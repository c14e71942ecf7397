#pragma once

#include "ListActions.h"
#include "ListQuery.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class TdbmBase;
class TFusenGroup;
class TListGrid;
class TListHost;
class TListModel;
class TTypeList;
struct TSettings;

// The list and search window: the header panel of filters, the grid of the
// user's notes and its context menu. The main window sets it as its central
// widget and forwards its show, hide and resize; the list reaches the
// desktop only through its host.
//
// The data set is open only while the window is shown. The database module
// outlives the window (the main window owns both).
class TListWindow : public QWidget
{
    Q_OBJECT
public:
    TListWindow(TdbmBase& db, const TSettings& settings, TListHost& host,
                QWidget* parent = nullptr);
    ~TListWindow() override;

    // The main window's show, hide and resize handlers. Showing opens the
    // list if it is closed; hiding closes it. The window calls them itself
    // from its own events too; calling them again does no harm.
    void FormShow();
    void FormHide();
    void FormResize();

    // Builds and opens the grid's statement from the header controls and the
    // sort, following the current note when it is still in the result.
    void RefreshList();
    // How many rows a rebuild reads at most to find the note it follows;
    // beyond that the position stays at the row number. Rows cost the engine
    // tens of microseconds each, and a re-sort may put the note anywhere.
    int FFollowLimit = 5000;
    // The body column takes the width the other visible columns leave.
    void FitMemoColumn();
    int FLastGridWidth = 0;

    // Refill the type and group combos, "すべて…" first and selected, and
    // rebuild a shown list; the main window calls them after reloading its
    // lists.
    void ReloadTypeList(const TTypeList& types);
    void ReloadGroupList(const TFusenGroup& groups);

    // A click on a column title.
    void SortByColumn(int column);
    const TListSort& sort() const { return FSort; }
    TListFilter filter() const;
    TListModel& model() const { return *FModel; }
    bool isListOpen() const;

    // The keys the changing actions work on: the selected rows in row order,
    // or the current row when none is selected.
    QList<int32_t> SelectedKeys() const;

    // Commands of the context menu.
    void actGridLoadFusenExecute();
    void actGridCompleteExecute();
    void actGridUnCompleteExecute();
    void actGridDeleteExecute();
    void actGridSelAllExecute();
    void actGridClearAllExecute();
    void actGridSelCompleteExecute();
    void actGridSelUnCompleteExecute();

    // Header panel.
    QLineEdit* editSearch = nullptr;
    QRadioButton* radioTitle = nullptr;
    QRadioButton* radioBody = nullptr;
    QComboBox* comboType = nullptr;
    QComboBox* comboGroup = nullptr;
    QCheckBox* checkCompleted = nullptr;
    TListGrid* dbGrid = nullptr;
    QLabel* labelStatus = nullptr;

    // The grid's context menu, in its order.
    QMenu* popGrid = nullptr;
    QMenu* popSelect = nullptr;
    QAction* actGridLoadFusen = nullptr;
    QAction* actGridComplete = nullptr;
    QAction* actGridUnComplete = nullptr;
    QAction* actGridSelAll = nullptr;
    QAction* actGridClearAll = nullptr;
    QAction* actGridSelComplete = nullptr;
    QAction* actGridSelUnComplete = nullptr;
    QAction* actGridDelete = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildHeader();
    void buildGrid();
    void buildMenu();
    void checkCompletedToggled(bool checked);
    void radioToggled(bool on);
    void gridContextMenu(const QPoint& pos);
    void controlChanged();
    void gridDoubleClicked(const QModelIndex& index);
    void changeRows(TGridChange change);
    void selectWhere(int completed); // -1 every row, else COMPLETED == completed
    void updateSortIndicator();
    void updateStatus();

    TdbmBase& FDB;
    const TSettings& FSettings;
    TListHost& FHost;
    TListModel* FModel = nullptr;
    TListSort FSort;
    bool FShown = false;
};
