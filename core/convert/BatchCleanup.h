#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CMDLauncher;

// Ending a batch and removing its working files, as the conversion window
// does when it closes.

// Stops each lane's shell and every process of its group, then any
// converter of that group that is still left, and lets the launchers go:
// nothing more of them reaches the window. Another copy of Mobivert
// converting at the same time runs in a group of its own and is never
// touched; a lane that was never started is passed over. Every lane is
// asked to stop at the same moment and they share one grace period, so
// that ending eight lanes takes no longer than ending one.
void StopBatches(std::vector<std::unique_ptr<CMDLauncher>> &launchers);

// Deletes the batch files (every lane's) and the component copies from the
// data folder.
// The converter copy is retried for a while when it cannot be deleted yet,
// letting pending events run in between; `beforeAttempt` runs before each
// try (the window shows that it is cleaning up).
void RemoveWorkingFiles(const QString &dataFolder,
                        const std::function<void()> &beforeAttempt = nullptr);
