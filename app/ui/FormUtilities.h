#pragma once
// Small services of the windows: the recent-files menu, combo boxes filled
// from a recently-used list, the fixed lists of the launch and
// search-and-replace editors, centring a form, and showing the controls of
// one container. Every filler holds G_bSuppressControlEvents set while it
// fills, then puts back the value it found, so the window's handlers
// ignore the events that filling raises.
#include "jobs/EditorTypeLists.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class clsMRU;
class QAction;
class QComboBox;
class QMenu;
class QWidget;

// The captions of a recent-files menu for the list: "&1 " and the newest
// entry, "&2 " and the one before, and so on. An "&" inside an entry is
// doubled so that it shows instead of marking an access key.
QStringList MRUMenuCaptions(const clsMRU& list);

// The run-time items of a recent-files menu, placed in `menu` before the
// action `before` (the separator under them). A click gives the item's
// index, 1 for the newest entry.
class MRUMenu
{
public:
    MRUMenu(QMenu* menu, QAction* before, std::function<void(int index)> clicked);

    QList<QAction*> items() const { return m_items; }
    void setEnabled(bool enabled);

private:
    friend void FillMRUMenu(MRUMenu& menu, const clsMRU& list);
    friend void UnloadMRUMenuItems(MRUMenu& menu);

    QMenu* m_menu;
    QAction* m_before;
    std::function<void(int)> m_clicked;
    QList<QAction*> m_items;
    bool m_enabled = true;
};

// Rebuilds the menu's items from the list (newest first); the items carry
// the tag that keeps the translator off their file names.
void FillMRUMenu(MRUMenu& menu, const clsMRU& list);
// Removes the run-time items, the last first.
void UnloadMRUMenuItems(MRUMenu& menu);
int CountMRUMenuItems(const MRUMenu& menu);

// Empties the combo box and adds the list's entries newest first; the
// newest becomes the box's text. An empty list leaves the box empty with
// nothing selected.
void FillComboFromMRU(QComboBox* box, const clsMRU& list);

// Moves the window to the middle of the desktop's work area (the screen
// without its panels); a window larger than the area starts left of or
// above it.
void CenterFormInWorkArea(QWidget* form);

// Shows or hides every widget that sits directly in the container; widgets
// nested deeper keep their state.
void ShowControlsInContainer(QWidget* container, bool bVisible);

// The character list: item 0 the heading "ASCII Char", item k (1 to 255)
// "[k]" followed by the name of codes 1 to 32 after a blank ("[1] SOH",
// "[32] Space") or by the character itself ("[65]A"). Codes 128 to 255 are
// the Windows-1252 characters of those bytes, as the search-and-replace
// marker codes are read.
QStringList CharacterListItems();

struct ListItem
{
    QString text;   // translated
    int itemData = 0;
    bool operator==(const ListItem&) const = default;
};

// The launch editor's window states (item data: the show command) and
// process priorities (item data: the priority class).
QList<ListItem> CommandLineWindowStateItems();
QList<ListItem> CommandLineThreadPriorityItems();

// Each empties the box, adds its list and selects entry 0.
void FillInCharacterSelectionListBox(QComboBox* box);
void FillInCommandLineWindowStateComboBox(QComboBox* box);
void FillInCommandLineThreadPriorityComboBox(QComboBox* box);

// A combo box as the editor's type-list fillers see it.
class ComboTypeListBox : public TypeListBox
{
public:
    explicit ComboTypeListBox(QComboBox* box) : m_box(box) {}
    void Clear() override;
    int AddItem(const QString& text) override;
    void SetItemData(int index, int data) override;
    void SetListIndex(int index) override;

private:
    QComboBox* m_box;
};

// The item data of the combo box's selected entry; `fallback` when none is
// selected.
int SelectedItemData(const QComboBox* box, int fallback = -1);
