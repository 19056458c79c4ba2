#pragma once
// The frame of the windowed program: a main window whose MDI area holds
// the main form maximised, with the menu bar the main form fills and the
// status bar the engine writes. It keeps its placement in section
// "frmMainMDI" of the settings file, and leaving it goes through the main
// form's unload, which may keep it open.
#include "scheduler/frmTabKeys.h"
#include "ui/MainFormLayout.h"

#include <QMainWindow>
#include <QMap>

#include <array>

class MainFormState;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class frmMain;

inline const QString kFrameSection = QStringLiteral("frmMainMDI");

// The frame's placement as the settings keep it: the window state (0
// normal, 1 minimised, 2 maximised) and Left, Top, Width, Height in twips.
struct FramePlacement
{
    int WindowState = 0;
    int Left = 150;
    int Top = 150;
    int Width = 13000;
    int Height = 8325;
    bool operator==(const FramePlacement&) const = default;
};

// Reads section "frmMainMDI" of G_IniFilePath; a missing or unreadable
// key gives its default.
FramePlacement ReadFramePlacement();

class frmMainMDI : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMainMDI(MainFormState& form);
    ~frmMainMDI() override;

    frmMain* mainForm() const { return m_main; }
    QMdiArea* mdiArea() const { return m_mdi; }
    QMdiSubWindow* mainFormWindow() const { return m_mainWindow; }

    // Translates the frame and shows the main form in it.
    void MDIForm_Load();
    // Sets the window state and, for a normal window, the placement.
    void applyPlacement(const FramePlacement& placement);
    // The placement now; a value that did not change since applyPlacement
    // is the one it was given.
    FramePlacement currentPlacement() const;
    // Writes the window state and, for a normal window, the placement;
    // nothing in command-line mode.
    void SaveIniFile();
    void mnuExit_Click();

    // The frame's own caption ("'Tessaview'"); the title shows it with the
    // main form's caption in brackets, as a frame holding a maximised
    // child does.
    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }
    void updateTitle();

    // Status-bar panels by number.
    void SetStatusPanelText(int panel, const QString& text);
    QString statusPanelText(int panel) const;
    // 0: no picture; 9: the end-of-run picture; 10: the blinker's other
    // one; 11 and 12: the same two for a run in which `failed` items failed,
    // a mark that shows their number.
    void SetRunStatePicture(int image, int failed = 0);
    int runStatePicture() const { return m_runStateImage; }
    int runStateFailures() const { return m_runStateFailures; }
    void SetRunStatePanelEnabled(bool enabled);
    bool runStatePanelEnabled() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildStatusBar();
    void closeAfterRun();
    void tabKeyUp(int shift);

    MainFormState& m_form;
    QMdiArea* m_mdi = nullptr;
    frmMain* m_main = nullptr;
    QMdiSubWindow* m_mainWindow = nullptr;
    QMap<int, QLabel*> m_panels;
    QLabel* m_runStatePictureLabel = nullptr;
    int m_runStateImage = 0;
    int m_runStateFailures = 0;
    bool m_closeAfterRun = false;
    bool m_unloaded = false;
    QString m_caption;
    // Ctrl+Tab for the main form's tab strip, wherever the focus is.
    FormTabKeys m_tabKeys{this, [this](int shift) { tabKeyUp(shift); }};
    // Left, Top, Width and Height as applyPlacement placed them.
    std::array<PlacedTwips, 4> m_placed;
};
