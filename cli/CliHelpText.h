#pragma once

#include <QString>

// What --help prints: the options by section, the exit statuses and examples.
QString CliHelpText();
