#pragma once

#include <QStringList>

// Files at once. The same batch of four 30-second 640x480 clips converted by
// mobivert-cli with Automatic (--jobs auto) and with one lane (--jobs 1), in
// alternating pairs, for PSP profile 2, MobilePhone profile 3, Zune profile 1
// and iPod profile 4 ($MOBIVERT_BENCH_PROFILES=all: every shipped profile).
// Also the cores that one converter keeps busy for each profile, and from
// that, what Automatic gives and is expected to gain on 2, 4 and 8 cores.
QStringList RunLanesBench();
