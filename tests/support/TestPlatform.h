#pragma once

#include "platform/Platform.h"

#include <QQueue>
#include <QStringList>

// Test doubles for the platform seams. Constructing a TestPlatform installs
// all of them; destroying it puts back what was in force before.
//
// Message boxes are recorded, never shown. A confirmation takes the next
// queued answer; one asked without a queued answer is a test failure (the
// text is recorded and the box answers Cancel), so no test can hang on a box
// nobody expected. A pick works the same way: it takes the next queued line
// index; one asked without a queued answer fails the test and cancels.
class TestPlatform
{
public:
    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    // What was shown, in order: plain messages, errors, confirmations asked.
    QStringList messages;
    QStringList errors;
    QStringList confirmations;
    // Every box in the order shown, prefixed "message: ", "error: ", "confirm: ".
    QStringList log;

    void answerNextConfirm(bool ok) { FAnswers.enqueue(ok); }
    int pendingAnswers() const { return FAnswers.size(); }
    void clear();

    // Clock: fixed until moved.
    void setNow(TDateTime t) { FNow = t; }
    void advanceDays(double days) { FNow = FNow.addDays(days); }
    void advanceMinutes(double minutes) { FNow = FNow.addDays(minutes / 1440.0); }
    TDateTime now() const { return FNow; }

    // Screens: the first is the primary one.
    void setWorkAreas(const QList<QRect>& areas) { FAreas = areas; }

    // Picks shown, in order; the log has them as "pick: " + caption.
    struct Pick
    {
        QString caption;
        QStringList lines;
        int preselected = -1;
    };
    QList<Pick> picks;
    // The next pick returns index (-1: cancelled).
    void answerNextPick(int index) { FPickAnswers.enqueue(index); }
    int pendingPicks() const { return FPickAnswers.size(); }

    QString clipboardText;
    QStringList opened; // addresses given to the shell
    int beeps = 0;

private:
    friend class TestMessages;
    friend class TestClock;
    friend class TestScreens;
    friend class TestClipboard;
    friend class TestShell;
    friend class TestSound;
    friend class TestPicker;
    struct Impl;
    Impl* d;
    QQueue<bool> FAnswers;
    QQueue<int> FPickAnswers;
    TDateTime FNow;
    QList<QRect> FAreas;
    platform::Services FPrevious;
};
