#pragma once

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The main window's menu bar. Items are named after their menu path.
struct MainMenus {
    QMenu *mnuFile = nullptr;
    QMenu *mnuFile_SelectDevice = nullptr;
    QAction *mnuSelectDevice_iPod = nullptr;
    QAction *mnuSelectDevice_Zune = nullptr;
    QAction *mnuSelectDevice_PSP = nullptr;
    QAction *mnuSelectDevice_MobilePhone = nullptr;
    QAction *mnuFile_AddVideos = nullptr;
    QAction *mnuFile_Convert = nullptr;
    QAction *mnuFile_Exit = nullptr;

    QMenu *mnuEdit = nullptr;
    QMenu *mnuEdit_RemoveItems = nullptr;
    QAction *mnuRemoveItems_RemoveSelectedItems = nullptr;
    QAction *mnuRemoveItems_ClearList = nullptr;
    QAction *mnuRemoveItems_RemoveConvertedFiles = nullptr;
    QAction *mnuEdit_TrimVideoFile = nullptr;

    QMenu *mnuView = nullptr;
    QAction *mnuView_OutputDirectory = nullptr;
    QAction *mnuView_AudioSettings = nullptr;
    QAction *mnuView_VideoSettings = nullptr;
    QAction *mnuView_OpenVideoFile = nullptr;
    QAction *mnuView_FileProperties = nullptr;
    QAction *mnuView_PreviewOutput = nullptr;

    QMenu *mnuHelp = nullptr;
    QAction *mnuHelp_HelpManual = nullptr;
    QAction *mnuHelp_About = nullptr;

    // Builds every menu and item with its caption and shortcut. Shortcuts
    // work while the owner window is active.
    void buildMenus(QMenuBar *bar, QWidget *owner);
};
