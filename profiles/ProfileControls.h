#pragma once

// ProfileControls is the main window's glue and lives in app/; this name
// stays only until the conversion command includes it from there.
#include "app/ProfileControls.h"
