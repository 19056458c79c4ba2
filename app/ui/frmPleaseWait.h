#pragma once
// The wait splash shown while the main window comes up.
#include <QWidget>

class QLabel;

class frmPleaseWait : public QWidget
{
    Q_OBJECT
public:
    frmPleaseWait();

    QLabel* lblHeader = nullptr;
    QLabel* lblLine1 = nullptr;
    QLabel* lblLine2 = nullptr;
};

// "V" followed by the major version, ".", and the minor version and the
// revision run together (2.1.5 gives "V2.15").
QString SplashVersionText(int major, int minor, int revision);
