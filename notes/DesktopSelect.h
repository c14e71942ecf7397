#pragma once

#include <QList>
#include <QStringList>
#include <cstdint>

class TFusenGroup;

// Which stored notes come to the desktop: the load statement and the notes
// the user has peeled off.

// The statement of the desktop load, one literal per line. The group line
// appears only when some groups are visible and some hidden.
QStringList DesktopSelectLines(const TFusenGroup& groups);

// A note the user peeled off, with its priority at that moment. Several
// entries may exist for one note; the oldest decides.
struct TPeeledEntry
{
    int32_t IDKey = 0;
    int32_t Priority = 0;
    friend bool operator==(const TPeeledEntry&, const TPeeledEntry&) = default;
};
using TPeeledList = QList<TPeeledEntry>;

// Whether a load skips a note of this priority: its first entry was peeled
// off at this priority or higher.
bool StaysPeeledOff(const TPeeledList& list, int32_t id, int priority);
// Forgets the first entry of the note; false when it had none.
bool RemoveFirstPeeled(TPeeledList& list, int32_t id);
