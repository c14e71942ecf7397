#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <exception>

class QDialog;
class QTimer;
class QWidget;
class TdbmBase;
class TFusenGroup;
class TGroupIcons;
struct TSettings;

// What the options dialog and the group filter need of the main window. The
// main window implements it; ExecuteOptions and ExecuteGroupFilter run their
// whole open/close sequence over it.
class TOptionsHost
{
public:
    virtual ~TOptionsHost() = default;

    // The settings held in memory (taken over when the options dialog closes).
    virtual TSettings& settings() = 0;
    virtual TdbmBase& db() = 0;
    // The group list FGroups and the group icons.
    virtual TFusenGroup& groups() = 0;
    virtual const TGroupIcons& groupIcons() = 0;
    // The one-minute timer, paused while a dialog changes the desktop.
    virtual QTimer& timer() = 0;

    // Refill the type and group lists (and the list window's combo boxes).
    virtual void ReloadTypeList() = 0;
    virtual void ReloadGroupList() = 0;
    virtual void CloseAllNotes() = 0;
    virtual void LoadDesktopNotes(bool arrange, bool beep) = 0;
    virtual void BuildNewNoteMenu() = 0;
    // Writes the settings file; false with a reason when it could not.
    virtual bool SaveIniSettings(QString* error) = 0;

    // The startup shortcut points at this file and lives in this folder.
    virtual QString programFile() = 0;
    virtual QString startupFolder();
    // The owner of the dialogs (they go with it); none by default.
    virtual QWidget* dialogParent() { return nullptr; }

    // The options dialog or the group filter while one is open. Both change
    // the desktop and pause the timer, so only one of them runs at a time.
    QDialog* desktopDialog() const { return FDesktopDialog.data(); }

private:
    friend void ExecuteOptions(TOptionsHost& host);
    friend void ExecuteGroupFilter(TOptionsHost& host, int focusGroup);
    QPointer<QDialog> FDesktopDialog;
};

// Shows what went wrong in a user command. Database errors were already shown
// by the connection's error hook and are not shown twice.
void ShowCommandError(const std::exception& e);

// Brings an open dialog to the front.
void RaiseDialog(QDialog* dialog);
