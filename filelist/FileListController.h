#pragma once

#include <QObject>

class frmMain;

// The file list's behaviour: adding files with their media information,
// the list commands and the trim dialog.
class FileListController final : public QObject
{
    Q_OBJECT
public:
    explicit FileListController(frmMain &main);

private:
    frmMain &m_main;
};
