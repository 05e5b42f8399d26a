#include "app/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

QMenu *addMenu(QMenuBar *bar, const char16_t *name, const char16_t *caption) {
    QMenu *menu = bar->addMenu(QString::fromUtf16(caption));
    menu->setObjectName(QString::fromUtf16(name));
    menu->menuAction()->setObjectName(QString::fromUtf16(name));
    return menu;
}

QMenu *addSubmenu(QMenu *parent, const char16_t *name, const char16_t *caption) {
    QMenu *menu = parent->addMenu(QString::fromUtf16(caption));
    menu->setObjectName(QString::fromUtf16(name));
    menu->menuAction()->setObjectName(QString::fromUtf16(name));
    return menu;
}

QAction *addItem(QMenu *menu, const char16_t *name, const char16_t *caption,
                 const QKeySequence &shortcut = {}) {
    QAction *item = menu->addAction(QString::fromUtf16(caption));
    item->setObjectName(QString::fromUtf16(name));
    if (!shortcut.isEmpty()) {
        item->setShortcut(shortcut);
        item->setShortcutContext(Qt::WindowShortcut);
    }
    return item;
}

void addSeparator(QMenu *menu, const char16_t *name) {
    menu->addSeparator()->setObjectName(QString::fromUtf16(name));
}

} // namespace

void MainMenus::buildMenus(QMenuBar *bar, QWidget *owner) {
    mnuFile = addMenu(bar, u"mnuFile", u"&File");
    mnuFile_SelectDevice = addSubmenu(mnuFile, u"mnuFile_SelectDevice", u"&Select Device");
    mnuSelectDevice_iPod =
        addItem(mnuFile_SelectDevice, u"mnuSelectDevice_iPod", u"&Apple iPod / iPhone");
    mnuSelectDevice_Zune =
        addItem(mnuFile_SelectDevice, u"mnuSelectDevice_Zune", u"&Microsoft Zune");
    mnuSelectDevice_PSP = addItem(mnuFile_SelectDevice, u"mnuSelectDevice_PSP", u"&Sony PSP");
    mnuSelectDevice_MobilePhone =
        addItem(mnuFile_SelectDevice, u"mnuSelectDevice_MobilePhone", u"&Mobile Phone");
    for (QAction *device : {mnuSelectDevice_iPod, mnuSelectDevice_Zune, mnuSelectDevice_PSP,
                            mnuSelectDevice_MobilePhone})
        device->setCheckable(true);
    addSeparator(mnuFile, u"mnuFile_Separator1");
    mnuFile_AddVideos = addItem(mnuFile, u"mnuFile_AddVideos", u"&Add Video(s)");
    addSeparator(mnuFile, u"mnuFile_Separator2");
    mnuFile_Convert =
        addItem(mnuFile, u"mnuFile_Convert", u"&Convert Files!", QKeySequence(Qt::Key_F5));
    addSeparator(mnuFile, u"mnuFile_Separator3");
    mnuFile_Exit = addItem(mnuFile, u"mnuFile_Exit", u"&Exit");

    mnuEdit = addMenu(bar, u"mnuEdit", u"&Edit");
    mnuEdit_RemoveItems = addSubmenu(mnuEdit, u"mnuEdit_RemoveItems", u"Remove Items");
    mnuRemoveItems_RemoveSelectedItems =
        addItem(mnuEdit_RemoveItems, u"mnuRemoveItems_RemoveSelectedItems",
                u"&Remove Selected Item(s)", QKeySequence(Qt::Key_Delete));
    mnuRemoveItems_ClearList = addItem(mnuEdit_RemoveItems, u"mnuRemoveItems_ClearList",
                                       u"&Clear List", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    mnuRemoveItems_RemoveConvertedFiles = addItem(
        mnuEdit_RemoveItems, u"mnuRemoveItems_RemoveConvertedFiles", u"Remove C&onverted Files");
    addSeparator(mnuEdit, u"mnuEdit_Separator1");
    mnuEdit_TrimVideoFile = addItem(mnuEdit, u"mnuEdit_TrimVideoFile", u"&Trim Video File",
                                    QKeySequence(Qt::CTRL | Qt::Key_T));

    mnuView = addMenu(bar, u"mnuView", u"&View");
    mnuView_OutputDirectory =
        addItem(mnuView, u"mnuView_OutputDirectory", u"&Output Directory Settings");
    mnuView_AudioSettings = addItem(mnuView, u"mnuView_AudioSettings", u"&Audio Settings");
    mnuView_VideoSettings = addItem(mnuView, u"mnuView_VideoSettings", u"&Video Settings");
    addSeparator(mnuView, u"mnuView_Separator1");
    mnuView_OpenVideoFile = addItem(mnuView, u"mnuView_OpenVideoFile", u"&Open Video File");
    addSeparator(mnuView, u"mnuView_Separator2");
    mnuView_FileProperties = addItem(mnuView, u"mnuView_FileProperties", u"&File Properties");
    addSeparator(mnuView, u"mnuView_Separator3");
    mnuView_PreviewOutput = addItem(mnuView, u"mnuView_PreviewOutput", u"&Preview Output",
                                    QKeySequence(Qt::CTRL | Qt::Key_P));

    mnuHelp = addMenu(bar, u"mnuHelp", u"&Help");
    mnuHelp_HelpManual =
        addItem(mnuHelp, u"mnuHelp_HelpManual", u"&Help Manual", QKeySequence(Qt::Key_F1));
    addSeparator(mnuHelp, u"mnuHelp_Separator1");
    mnuHelp_About = addItem(mnuHelp, u"mnuHelp_About", u"&About");

    // Shortcuts of menu items fire only for actions that belong to a widget
    // of the window; the menus are, but adding them to the owner as well
    // keeps them working while the menu bar is hidden or native.
    for (QAction *item :
         {mnuFile_Convert, mnuRemoveItems_RemoveSelectedItems, mnuRemoveItems_ClearList,
          mnuEdit_TrimVideoFile, mnuView_PreviewOutput, mnuHelp_HelpManual})
        owner->addAction(item);
}
