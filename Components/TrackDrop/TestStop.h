#pragma once

// For tests only. With MOBIVERT_TRACKDROP_STOP_AT set to the name of a
// point of a hand-off, TrackDrop stops itself (SIGSTOP) the first time
// it gets there, so that a test can end it at that very point with the signal of
// its choice, as a kill, a logout or a crash would, or let it go on
// (SIGCONT). The points: "before-copy", "during-copy" (the copy on the
// iPod holds the file's first MB, or all of a smaller file, not yet
// synced), "after-copy", "before-write" and "after-write" (the database
// read back with the new track, before TrackDrop says it is done). Unset,
// nothing happens.
namespace trackdrop {

void stopHereForTest(const char *point);

} // namespace trackdrop
