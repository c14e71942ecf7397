#pragma once

#include <cstdint>

class QTimer;

// What the list window needs from the desktop it belongs to; the main window
// implements it.
class TListHost
{
public:
    virtual ~TListHost() = default;
    // Shows the note on the desktop: brings its open window forward or opens
    // one from the stored row. Nothing happens for a key that no longer exists.
    virtual void OpenNoteByKey(int32_t id) = 0;
    // The note's row has been deleted: closes its window, if open, without
    // saving it (a save would write the deleted note back).
    virtual void DiscardNote(int32_t id) = 0;
    // The one-minute timer, paused while notes are deleted so that no desktop
    // load runs in between.
    virtual QTimer& timer() = 0;
};
