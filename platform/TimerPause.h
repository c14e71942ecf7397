#pragma once

#include <QTimer>

// Keeps a timer stopped for a scope and puts back its previous state, also
// when the scope is left by an error: long operations must not let a tick
// start another one in the middle.
class TTimerPause
{
public:
    explicit TTimerPause(QTimer& t) : FTimer(t), FWasActive(t.isActive()) { FTimer.stop(); }
    ~TTimerPause()
    {
        if (FWasActive)
            FTimer.start();
    }
    TTimerPause(const TTimerPause&) = delete;
    TTimerPause& operator=(const TTimerPause&) = delete;

private:
    QTimer& FTimer;
    bool FWasActive;
};
