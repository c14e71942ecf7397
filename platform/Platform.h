#pragma once

#include "DateTime.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// The seams between the program and the desktop it runs on. Logic calls these
// instead of Qt widgets or the system directly, so tests can answer message
// boxes, set the clock and the screen, and read what the program showed.
namespace platform {

// Message boxes. Texts are shown as given; the program's fixed texts are
// Japanese.
class Messages
{
public:
    virtual ~Messages() = default;
    // A plain message with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // An error message (error icon, OK button): database errors, failed commands.
    virtual void showError(const QString& text) = 0;
    // A question with OK and Cancel; true only for OK.
    virtual bool confirm(const QString& text) = 0;
};

// "Now", in local time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual TDateTime now() const = 0;
};

// The parts of the screens that windows may use (without panels and docks).
class Screens
{
public:
    virtual ~Screens() = default;
    // The primary screen's available area.
    virtual QRect primaryWorkArea() const = 0;
    // Every screen's available area, primary first.
    virtual QList<QRect> workAreas() const = 0;
    // The available area of the screen that holds most of r (the nearest
    // screen when r lies on none).
    QRect workAreaFor(const QRect& r) const;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// Opening an address (web page, mail address, file) with the desktop's
// handler for it.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool open(const QString& address) = 0;
};

class Sound
{
public:
    virtual ~Sound() = default;
    virtual void beep() = 0;
};

// A modal choice of one line from a list, such as the backup to restore.
class Picker
{
public:
    virtual ~Picker() = default;
    // Shows lines under caption with lines[preselected] selected; returns the
    // index of the line taken, or -1 when the user cancelled.
    virtual int pick(const QString& caption, const QStringList& lines, int preselected) = 0;
};

struct Services
{
    Messages* messages = nullptr;
    Clock* clock = nullptr;
    Screens* screens = nullptr;
    Clipboard* clipboard = nullptr;
    Shell* shell = nullptr;
    Sound* sound = nullptr;
    Picker* picker = nullptr;
};

// The services in force. Before anything is installed these are headless
// defaults: messages go to the log, the clock is the system clock, the screen
// is 1280 x 1024, the clipboard is a private buffer, nothing opens or beeps,
// and a pick is cancelled.
Services& services();
// Replaces the services in force; fields left null keep the current ones.
// Returns what was in force before, to put back later.
Services install(const Services& s);

inline Messages& messages()
{
    return *services().messages;
}
inline Clock& clock()
{
    return *services().clock;
}
inline Screens& screens()
{
    return *services().screens;
}
inline Clipboard& clipboard()
{
    return *services().clipboard;
}
inline Shell& shell()
{
    return *services().shell;
}
inline Sound& sound()
{
    return *services().sound;
}
inline Picker& picker()
{
    return *services().picker;
}
inline TDateTime now()
{
    return services().clock->now();
}

// The system clock.
class SystemClock : public Clock
{
public:
    TDateTime now() const override;
};

} // namespace platform
