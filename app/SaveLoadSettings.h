#pragma once

struct MainWindowParts;
class QString;

// Loads the user's settings into the main window at start-up, and saves
// them when the window closes.
void LoadSettings(const MainWindowParts &ui, const QString &dataFolder);
void SaveSettings(const MainWindowParts &ui, const QString &dataFolder);
