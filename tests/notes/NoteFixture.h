#pragma once

#include "app/Settings.h"
#include "notes/Desktop.h"
#include "notes/Fusen.h"
#include "support/TestDatabase.h"
#include "support/TestPlatform.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/TypeList.h"

#include <QMouseEvent>
#include <QTimer>

#include <memory>

// A desktop of note windows over a fresh database, with the platform doubles
// installed and the clock at the real time (the database computes priorities
// with its own clock).
class NoteFixture
{
public:
    NoteFixture();
    ~NoteFixture();

    TestPlatform P;
    TestDatabase D;
    TSettings settings;
    TTypeList types;
    TFusenGroup groups{D.module()};
    TGroupIcons icons;
    QTimer timer;

    TdbmNotes& db() { return D.module(); }
    // The desktop, made on first use so a test can change the settings first.
    TDesktop& desktop();

    // A group; the group and type lists are read again.
    void addGroup(int32_t id, const QString& label, bool visible, uint32_t bgColor = 0,
                  int iconNum = -1);
    void setGroupVisible(int32_t id, bool visible);
    // A type whose priority is p at every moment after a note's start (its
    // curve ends at once and stays at CLOSEVAL); returns its key.
    int32_t constType(int p);

    struct Note
    {
        QString title;
        QString memo;
        int32_t type = 1;
        int32_t group = 0;
        double startDaysAgo = 10; // in the past, so constType's priority holds
        TDateTime etime;
        QRect bounds{200, 200, 300, 120};
        bool anchor = false;
        bool completed = false;
        QString user = QStringLiteral("DefaultUser");
    };
    int32_t addNote(const Note& n);
    // A note of constant priority p.
    int32_t addNote(const QString& title, int p, int32_t group = 0, double startDaysAgo = 10);
    void setNoteType(int32_t id, int32_t type);

    // A stored column of a note as text ("" for NULL or no row).
    QString column(int32_t id, const QString& name);
    int count(const QString& where = QString());
    // The keys of the open windows, in the desktop's order.
    QList<int32_t> openKeys();

    // Mouse events as the window system would send them: to the control
    // under a point of the window, given in window coordinates.
    static void press(TFusenForm* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      Qt::MouseButton button = Qt::LeftButton);
    static void moveTo(TFusenForm* w, QWidget* target, QPoint globalPos,
                       Qt::MouseButtons buttons = Qt::LeftButton,
                       Qt::KeyboardModifiers mods = Qt::NoModifier);
    static void release(TFusenForm* w, QWidget* target, QPoint globalPos);
    // Press at p, move by delta with the left button held, release.
    static void drag(TFusenForm* w, QPoint p, QPoint delta,
                     Qt::KeyboardModifiers mods = Qt::NoModifier);
    // A press on the body's viewport at a viewport point.
    static void pressBody(TFusenForm* w, QPoint viewportPos,
                          Qt::MouseButton button = Qt::LeftButton);
    // The viewport point in the middle of the body's character at pos.
    static QPoint charPoint(TFusenForm* w, int pos);
    // Lets posted deletions and events run.
    static void settle();

private:
    std::unique_ptr<TDesktop> FDesktop;
};
