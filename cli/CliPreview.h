#pragma once

#include "cli/CliOptions.h"
#include "core/filelist/FileListRow.h"

#include <functional>

class CliOutput;

// mobivert-cli --preview TIME: the window's Preview Output for each file.
// Converts the clip around the time with the request's settings, writes the
// source frame (at the converted picture's height) and the converted frame
// as NAME-source.png and NAME-preview.png into `folder`, never replacing a
// file, and reports the converted picture's size, bit rate and the output
// size per minute. `pendingSignal` gives a termination signal's number once
// one has come: the clip is stopped and its files removed.
int RunCliPreview(const CliRequest &request, const QList<FileListRow> &rows, const QString &folder,
                  CliOutput &out, const std::function<int()> &pendingSignal);
