#pragma once

class frmMain;

// Loads the user's settings into the main window at start-up, and saves
// them when the window closes.
void LoadSettings(frmMain &main);
void SaveSettings(frmMain &main);
