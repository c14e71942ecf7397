#pragma once

#include <QString>

// The shortcut that starts the program with the desktop session: an XDG
// autostart entry "<startup folder>/<program base name>.desktop".

// The user's autostart folder: $XDG_CONFIG_HOME/autostart, or
// ~/.config/autostart when XDG_CONFIG_HOME is unset, empty or relative.
QString GetStartupFolder();

// The entry's full path for programFile in startupFolder.
QString StartupShortcutPath(const QString& programFile, const QString& startupFolder);

// Whether the entry exists as a file.
bool StartupShortcutExists(const QString& programFile, const QString& startupFolder);

// Writes the entry (creating the folder when missing). Any failure abandons
// the creation without a message and leaves no entry behind; returns whether
// the entry was written.
bool CreateStartupShortcut(const QString& programFile, const QString& startupFolder);

// Removes the entry if it exists; returns whether none remains.
bool DeleteStartupShortcut(const QString& programFile, const QString& startupFolder);

// The desktop entry text for programFile: Exec runs it by its absolute path,
// quoted and escaped for the Desktop Entry format, in its own folder.
QString StartupShortcutText(const QString& programFile);
