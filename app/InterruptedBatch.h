#pragma once

class frmMain;
struct MainWindowParts;
struct BatchRecord;

// At start, over the shown window: a batch that did not end (Mobivert, the
// session or the machine died while it ran) is offered again, Yes being the
// default button. Its hidden working files are removed first. Yes hands the
// converted files whose hand-off to the iPod (or playlist) was cut off or
// failed to it, as mobivert-cli --resume does, and says how that went
// (the record stays while a hand-off is still left and no row is); then
// puts the rows it did not convert back into the list with their trims,
// and the batch's device, profile, settings and output folder into the
// window. No forgets it. A record that cannot be read is reported and set
// aside. Nothing is offered while another copy runs that batch.
void OfferInterruptedBatch(frmMain &main, const MainWindowParts &ui);

// Puts the rows a record did not convert, and its settings, into the window.
void RestoreInterruptedBatch(frmMain &main, const MainWindowParts &ui, const BatchRecord &record);
