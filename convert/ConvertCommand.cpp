#include "convert/ConvertCommand.h"

#include "app/frmMain.h"

ConvertCommand::ConvertCommand(frmMain &main)
    : QObject(&main)
    , m_main(main) {}
