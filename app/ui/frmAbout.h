#pragma once
// The About box: version, product name and description, a small logo
// animation, the support address, and the settings file opened on a
// double click of the logo.
#include "core/ProgramVersion.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblVersion = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblFileDescription = nullptr;
    QPushButton* cmdMailToProductName = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* logo = nullptr;

    // The animation: frame shown next (1 to 16) and shown last.
    int nextFrame() const { return m_next; }
    int lastFrame() const { return m_last; }
    void Timer1_Timer();
    void ImageArray_DblClick();
    void cmdMailToProductName_Click();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_next = 1;
    int m_last = 16;
};

// One of the logo's 16 animation frames (1 to 16), drawn at `size` pixels.
class QPixmap;
QPixmap LogoFrame(int frame, int size);
