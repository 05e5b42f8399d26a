#include "filelist/FileListController.h"

#include "app/frmMain.h"

FileListController::FileListController(frmMain &main)
    : QObject(&main)
    , m_main(main)
{
}
