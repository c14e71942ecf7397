#pragma once

#include <QObject>

class QSessionManager;
class QSocketNotifier;

// Turns the ways the desktop ends the program into one signal on the main
// thread: SIGTERM, SIGHUP and SIGINT (logout without a session manager, kill,
// a closed terminal, Ctrl+C) and the session manager's end-of-session request.
//
// The program answers by ending cleanly: every changed note saved and the
// database disconnected, without the end backup.
//
// One object at a time owns the signal handlers; it installs them when
// constructed on the main thread and puts the previous ones back when
// destroyed. Once an end has been requested, a further termination signal is
// no longer caught and ends the process at once, so a hung shutdown can still
// be interrupted.
class TSessionEnd : public QObject
{
    Q_OBJECT
public:
    enum Cause
    {
        ByTerminationSignal, // SIGTERM, SIGHUP or SIGINT
        BySessionManager,    // the session is ending
    };
    Q_ENUM(Cause)

    explicit TSessionEnd(QObject* parent = nullptr);
    ~TSessionEnd() override;
    TSessionEnd(const TSessionEnd&) = delete;
    TSessionEnd& operator=(const TSessionEnd&) = delete;

    // False when another TSessionEnd already holds the handlers or the
    // notification pipe could not be made.
    bool isActive() const { return FActive; }

Q_SIGNALS:
    // For a signal: queued through the event loop, after the handler has
    // returned. For the session manager: emitted before its request returns,
    // because the session may end as soon as it does; save from the slot.
    // signalNumber is 0 for the session manager.
    void endRequested(TSessionEnd::Cause cause, int signalNumber);

private:
    void readSignals();
    void commitData(QSessionManager& manager);

    QSocketNotifier* FNotifier = nullptr;
    bool FActive = false;
};
