#pragma once

#include <QObject>

class frmMain;

// The Convert command: its checks, the batch and the conversion window.
class ConvertCommand final : public QObject {
    Q_OBJECT
public:
    explicit ConvertCommand(frmMain &main);

private:
    frmMain &m_main;
};
