#pragma once

#include <QDialog>
#include <QList>

class QListWidget;
class QMenu;
class QPushButton;
class TFusenGroup;
class TGroupIcons;
class TOptionsHost;

// The group filter: one checked line per group that takes part in the
// automatic desktop selection. Lines are drawn with the group's icon; space
// toggles a line and moves on to the next.
class TGroupFilterDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TGroupFilterDlg(const TGroupIcons& icons, QWidget* parent = nullptr);

    // One line per group in list order, checked when visible.
    void SetGroups(const TFusenGroup& groups);
    // Each group's VISIBLE from its line. Lines carry their group's key, so a
    // group that is no longer in the list is skipped rather than mistaken for
    // another.
    void GetGroups(TFusenGroup& groups) const;
    // Makes the line of that group current (nothing for an unknown key).
    void focusGroup(int idKey);

    void btnAllSelectClick();
    void btnAllClearClick();
    void btnToggleClick();

    QListWidget* clistGroup;
    QPushButton* btnAllSelect;
    QPushButton* btnAllClear;
    QPushButton* btnToggle;
    QPushButton* BitBtn1;

private:
    const TGroupIcons& FIcons;
    QList<int> FIconIndexes; // per line, the ICONNUM of its group
};

// The group filter command: unless the options dialog or a group filter is
// already open (then that comes to the front), pauses the timer, closes the
// note windows and shows the filter; OK stores every group's visibility in one
// unit of work and reloads the desktop. Closing without OK reloads nothing.
// focusGroup: the line to start on, -1 for the first.
void ExecuteGroupFilter(TOptionsHost& host, int focusGroup = -1);

// Refills the tray's group filter submenu: the command itself, then every
// group with its icon, checked when visible; choosing a group opens the
// filter on its line. Call it when the menu is about to show.
void FillGroupFilterMenu(QMenu& menu, TOptionsHost& host);
