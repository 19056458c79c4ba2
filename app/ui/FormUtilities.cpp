#include "FormUtilities.h"

#include "base/Windows1252.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "jobs/clsMRU.h"
#include "ui/FormTranslation.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

namespace {

const char* const kControlNames[32] = {"SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",
                                       "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",  "DLE",
                                       "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN",
                                       "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "Space"};

void fillItems(QComboBox* box, const QList<ListItem>& items)
{
    SuppressControlEvents suppress;
    box->clear();
    for (const ListItem& item : items)
        box->addItem(item.text, item.itemData);
    box->setCurrentIndex(0);
}

} // namespace

QStringList MRUMenuCaptions(const clsMRU& list)
{
    QStringList captions;
    const int count = list.Count();
    for (int i = 1; i <= count; ++i) {
        QString entry = list.clnMRU.value(count - i);
        entry.replace(u'&', QStringLiteral("&&"));
        captions << u'&' + QString::number(i) + u' ' + entry;
    }
    return captions;
}

MRUMenu::MRUMenu(QMenu* menu, QAction* before, std::function<void(int index)> clicked)
    : m_menu(menu)
    , m_before(before)
    , m_clicked(std::move(clicked))
{
}

void MRUMenu::setEnabled(bool enabled)
{
    m_enabled = enabled;
    for (QAction* item : std::as_const(m_items))
        item->setEnabled(enabled);
}

void FillMRUMenu(MRUMenu& menu, const clsMRU& list)
{
    SuppressControlEvents suppress;
    UnloadMRUMenuItems(menu);
    const QStringList captions = MRUMenuCaptions(list);
    for (int i = 0; i < captions.size(); ++i) {
        auto* item = new QAction(captions[i], menu.m_menu);
        item->setObjectName(QStringLiteral("mnuMRU%1").arg(i + 1));
        item->setProperty("Tag", QString::fromLatin1(kTranslateFalse));
        item->setEnabled(menu.m_enabled);
        const int index = i + 1;
        QObject::connect(item, &QAction::triggered, item, [&menu, index] {
            if (menu.m_clicked)
                menu.m_clicked(index);
        });
        menu.m_menu->insertAction(menu.m_before, item);
        menu.m_items << item;
    }
}

void UnloadMRUMenuItems(MRUMenu& menu)
{
    while (!menu.m_items.isEmpty()) {
        QAction* item = menu.m_items.takeLast();
        menu.m_menu->removeAction(item);
        // The item may be the one whose click is being handled.
        item->deleteLater();
    }
}

int CountMRUMenuItems(const MRUMenu& menu)
{
    return int(menu.items().size());
}

void FillComboFromMRU(QComboBox* box, const clsMRU& list)
{
    SuppressControlEvents suppress;
    box->clear();
    for (int i = list.Count() - 1; i >= 0; --i)
        box->addItem(list.clnMRU[i]);
    if (list.Count() > 0)
        box->setCurrentIndex(0);
    else
        box->setCurrentIndex(-1);
}

void CenterFormInWorkArea(QWidget* form)
{
    QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = form->frameGeometry().size();
    // Integer division truncates toward zero, as the form's own arithmetic does.
    form->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void ShowControlsInContainer(QWidget* container, bool bVisible)
{
    const QList<QWidget*> children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        if (!child->isWindow())
            child->setVisible(bVisible);
}

QStringList CharacterListItems()
{
    QStringList items;
    items.reserve(256);
    items << QStringLiteral("ASCII Char");
    for (int k = 1; k <= 255; ++k) {
        const QString number = u'[' + QString::number(k) + u']';
        if (k <= 32)
            items << number + u' ' + QString::fromLatin1(kControlNames[k - 1]);
        else
            items << number + Windows1252Char(static_cast<unsigned char>(k));
    }
    return items;
}

QList<ListItem> CommandLineWindowStateItems()
{
    return {{Translate(QStringLiteral("Hidden")), 0},
            {Translate(QStringLiteral("Normal")), 1},
            {Translate(QStringLiteral("Maximized")), 3},
            {Translate(QStringLiteral("Minimized")), 6}};
}

QList<ListItem> CommandLineThreadPriorityItems()
{
    return {{Translate(QStringLiteral("Idle")), 0x40},
            {Translate(QStringLiteral("Normal")), 0x20},
            {Translate(QStringLiteral("High Priority")), 0x80},
            {Translate(QStringLiteral("Realtime Priority")), 0x100}};
}

void FillInCharacterSelectionListBox(QComboBox* box)
{
    SuppressControlEvents suppress;
    box->clear();
    box->addItems(CharacterListItems());
    box->setCurrentIndex(0);
}

void FillInCommandLineWindowStateComboBox(QComboBox* box)
{
    fillItems(box, CommandLineWindowStateItems());
}

void FillInCommandLineThreadPriorityComboBox(QComboBox* box)
{
    fillItems(box, CommandLineThreadPriorityItems());
}

void ComboTypeListBox::Clear()
{
    m_box->clear();
}

int ComboTypeListBox::AddItem(const QString& text)
{
    m_box->addItem(text);
    return m_box->count() - 1;
}

void ComboTypeListBox::SetItemData(int index, int data)
{
    m_box->setItemData(index, data);
}

void ComboTypeListBox::SetListIndex(int index)
{
    m_box->setCurrentIndex(index);
}

int SelectedItemData(const QComboBox* box, int fallback)
{
    const QVariant data = box->currentData();
    return data.isValid() ? data.toInt() : fallback;
}
