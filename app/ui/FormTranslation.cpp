#include "FormTranslation.h"

#include "core/Translator.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGraphicsView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>

#include <utility>

namespace {

// Marks a form whose texts were translated, so that translating it again
// never looks its translations up as English phrases.
constexpr char kTranslatedProperty[] = "tessaviewFormTranslated";

bool keepsItsText(const QObject* object)
{
    return object->property("Tag").toString() == QLatin1String(kTranslateFalse);
}

// QAction's tool tip follows its text unless one was set: the text without
// "..." and "&", trimmed.
QString toolTipFromText(QString text)
{
    text.remove(QStringLiteral("..."));
    text.remove(u'&');
    return text.trimmed();
}

bool isLine(const QWidget* widget)
{
    const auto* frame = qobject_cast<const QFrame*>(widget);
    return frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
}

class FormTranslator
{
public:
    explicit FormTranslator(bool translateTexts) : m_texts(translateTexts)
    {
        m_tahomaInstalled = FontExists(QStringLiteral("Tahoma"));
        m_microsoftSansInstalled = FontExists(QStringLiteral("Microsoft Sans Serif"));
        m_bitmapSansSerif = IsSansSerifBitmapFont();
    }

    void translateChildren(QWidget* parent)
    {
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            // A window of its own is translated when it loads; menus are
            // reached through their menu bar or as controls of the form.
            if (widget && (!widget->isWindow() || qobject_cast<QMenu*>(widget)))
                translateControl(widget);
        }
    }

private:
    // What of an object was done: its visit, its text, its tool tip, and
    // from TabPart on the texts of its tabs.
    enum Part { VisitedPart, TextPart, ToolTipPart, TabPart };

    bool first(const QObject* object, int part)
    {
        const std::pair<const void*, int> key{object, part};
        if (m_done.contains(key))
            return false;
        m_done.insert(key);
        return true;
    }

    // Passes one text through Translate, once per control and part.
    template <typename Get, typename Set>
    void translate(const QObject* owner, int part, Get get, Set set)
    {
        if (!m_texts || !first(owner, part))
            return;
        const QString text = get();
        const QString translated = Translate(text);
        if (translated != text)
            set(translated);
    }

    void translateToolTip(QWidget* w)
    {
        translate(w, ToolTipPart, [w] { return w->toolTip(); }, [w](const QString& t) { w->setToolTip(t); });
    }

    void translateMenuAction(QAction* action)
    {
        if (action->isSeparator())
            return;
        if (action->text() != QLatin1String("-") && !keepsItsText(action))
            translate(action, TextPart, [action] { return action->text(); },
                      [action](const QString& t) { action->setText(t); });
        if (QMenu* menu = action->menu())
            for (QAction* item : menu->actions())
                translateMenuAction(item);
    }

    void translateToolbarAction(QAction* action)
    {
        if (action->isSeparator())
            return;
        const bool ownToolTip = action->toolTip() != toolTipFromText(action->text());
        if (action->text() != QLatin1String("-"))
            translate(action, TextPart, [action] { return action->text(); },
                      [action](const QString& t) { action->setText(t); });
        if (QMenu* menu = action->menu())
            for (QAction* item : menu->actions())
                if (!item->isSeparator())
                    translate(item, TextPart, [item] { return item->text(); },
                              [item](const QString& t) { item->setText(t); });
        if (ownToolTip)
            translate(action, ToolTipPart, [action] { return action->toolTip(); },
                      [action](const QString& t) { action->setToolTip(t); });
    }

    void translateStatusBar(QStatusBar* bar)
    {
        // Its widgets are its panels, not controls of their own.
        for (QWidget* panel : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QSizeGrip*>(panel))
                continue;
            first(panel, VisitedPart);
            if (auto* label = qobject_cast<QLabel*>(panel))
                translate(label, TextPart, [label] { return label->text(); },
                          [label](const QString& t) { label->setText(t); });
            translateToolTip(panel);
        }
        translateToolTip(bar);
    }

    // The control's own texts, by its kind.
    void translateTexts(QWidget* w, const QString& kind)
    {
        if (kind == QLatin1String("SSTab")) {
            auto* tabs = static_cast<QTabWidget*>(w);
            first(tabs->tabBar(), VisitedPart);
            for (int i = 0; i < tabs->count(); ++i)
                translate(tabs, TabPart + i, [tabs, i] { return tabs->tabText(i); },
                          [tabs, i](const QString& t) { tabs->setTabText(i, t); });
            translateToolTip(w);
        } else if (kind == QLatin1String("TabStrip")) {
            auto* bar = static_cast<QTabBar*>(w);
            for (int i = 0; i < bar->count(); ++i) {
                translate(bar, TabPart + 2 * i, [bar, i] { return bar->tabText(i); },
                          [bar, i](const QString& t) { bar->setTabText(i, t); });
                translate(bar, TabPart + 2 * i + 1, [bar, i] { return bar->tabToolTip(i); },
                          [bar, i](const QString& t) { bar->setTabToolTip(i, t); });
            }
        } else if (kind == QLatin1String("Toolbar")) {
            for (QAction* action : w->actions())
                translateToolbarAction(action);
        } else if (kind == QLatin1String("StatusBar")) {
            translateStatusBar(static_cast<QStatusBar*>(w));
        } else if (kind == QLatin1String("Menu")) {
            for (QAction* action : w->actions())
                translateMenuAction(action);
        } else if (kind == QLatin1String("TextBox")) {
            if (!keepsItsText(w)) {
                if (auto* line = qobject_cast<QLineEdit*>(w))
                    translate(w, TextPart, [line] { return line->text(); },
                              [line](const QString& t) { line->setText(t); });
                else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
                    translate(w, TextPart, [plain] { return plain->toPlainText(); },
                              [plain](const QString& t) { plain->setPlainText(t); });
            }
            translateToolTip(w);
        } else if (kind == QLatin1String("CommandButton")) {
            auto* button = static_cast<QAbstractButton*>(w);
            translateToolTip(w);
            translate(w, TextPart, [button] { return button->text(); },
                      [button](const QString& t) { button->setText(t); });
        } else if (kind == QLatin1String("Label") || kind == QLatin1String("CheckBox")
                   || kind == QLatin1String("OptionButton") || kind == QLatin1String("Frame")) {
            if (!keepsItsText(w)) {
                if (auto* label = qobject_cast<QLabel*>(w))
                    translate(w, TextPart, [label] { return label->text(); },
                              [label](const QString& t) { label->setText(t); });
                else if (auto* box = qobject_cast<QGroupBox*>(w))
                    translate(w, TextPart, [box] { return box->title(); }, [box](const QString& t) { box->setTitle(t); });
                else if (auto* button = qobject_cast<QAbstractButton*>(w))
                    translate(w, TextPart, [button] { return button->text(); },
                              [button](const QString& t) { button->setText(t); });
            }
            translateToolTip(w);
        } else if (!kind.isEmpty() && kind != QLatin1String("Line")) {
            translateToolTip(w);
        }
    }

    void setFontFamily(QWidget* w, const QString& family)
    {
        QFont font = w->font();
        font.setFamily(family);
        w->setFont(font);
    }

    void applyFontRules(QWidget* w)
    {
        if (!G_sLanguageFont.isEmpty()) {
            setFontFamily(w, G_sLanguageFont);
            return;
        }
        if (G_sLanguage != QLatin1String("English") && G_iUserLCID == 1041) {
            const QString japanese = JapaneseUiFont();
            if (!japanese.isEmpty()) {
                setFontFamily(w, japanese);
                return;
            }
        }
        if (GetControlFontName(w) == QLatin1String("Tahoma") && !m_tahomaInstalled) {
            if (m_bitmapSansSerif)
                setFontFamily(w, QStringLiteral("MS Sans Serif"));
            else if (m_microsoftSansInstalled)
                setFontFamily(w, QStringLiteral("Microsoft Sans Serif"));
            else
                setFontFamily(w, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        }
    }

    void translateControl(QWidget* w)
    {
        if (!first(w, VisitedPart))
            return;
        const QString kind = ControlTypeName(w);
        translateTexts(w, kind);
        // Lines and menus have no font of their own.
        if (kind != QLatin1String("Line") && kind != QLatin1String("Menu"))
            applyFontRules(w);

        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            if (QWidget* inner = area->widget())
                translateControl(inner);
            return;
        }
        // Containers hold controls; other controls are made of parts that
        // are no controls of their own.
        if (kind.isEmpty() || kind == QLatin1String("SSTab") || kind == QLatin1String("Frame"))
            if (!qobject_cast<QAbstractScrollArea*>(w))
                translateChildren(w);
    }

    bool m_texts;
    bool m_tahomaInstalled = false;
    bool m_microsoftSansInstalled = false;
    bool m_bitmapSansSerif = false;
    QSet<std::pair<const void*, int>> m_done;
};

} // namespace

QString ControlTypeName(const QObject* control)
{
    if (!control)
        return QString();
    if (qobject_cast<const QAction*>(control) || qobject_cast<const QMenuBar*>(control)
        || qobject_cast<const QMenu*>(control))
        return QStringLiteral("Menu");
    if (qobject_cast<const QTabWidget*>(control))
        return QStringLiteral("SSTab");
    if (qobject_cast<const QTabBar*>(control))
        return QStringLiteral("TabStrip");
    if (qobject_cast<const QToolBar*>(control))
        return QStringLiteral("Toolbar");
    if (qobject_cast<const QStatusBar*>(control))
        return QStringLiteral("StatusBar");
    if (qobject_cast<const QCheckBox*>(control))
        return QStringLiteral("CheckBox");
    if (qobject_cast<const QRadioButton*>(control))
        return QStringLiteral("OptionButton");
    if (qobject_cast<const QAbstractButton*>(control))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QGroupBox*>(control))
        return QStringLiteral("Frame");
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->pixmap().isNull() ? QStringLiteral("Label") : QStringLiteral("Image");
    if (const auto* line = qobject_cast<const QLineEdit*>(control))
        return line->inputMask().isEmpty() ? QStringLiteral("TextBox") : QStringLiteral("MaskEdBox");
    if (qobject_cast<const QPlainTextEdit*>(control))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QTextEdit*>(control))
        return QStringLiteral("RichTextBox");
    if (qobject_cast<const QAbstractSpinBox*>(control))
        return QStringLiteral("MaskEdBox");
    if (qobject_cast<const QComboBox*>(control))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QTableView*>(control))
        return QStringLiteral("MSFlexGrid");
    if (qobject_cast<const QTreeView*>(control))
        return QStringLiteral("ListView");
    if (qobject_cast<const QListView*>(control))
        return QStringLiteral("ListBox");
    if (qobject_cast<const QAbstractSlider*>(control))
        return QStringLiteral("Slider");
    if (qobject_cast<const QGraphicsView*>(control))
        return QStringLiteral("PictureBox");
    if (const auto* widget = qobject_cast<const QWidget*>(control); widget && isLine(widget))
        return QStringLiteral("Line");
    return QString();
}

void TranslateForm(QWidget* form)
{
    if (!form)
        return;
    const bool translateTexts = !form->property(kTranslatedProperty).toBool();
    FormTranslator translator(translateTexts);
    if (translateTexts) {
        form->setProperty(kTranslatedProperty, true);
        const QString title = form->windowTitle();
        const QString translated = Translate(title);
        if (translated != title)
            form->setWindowTitle(translated);
    }
    translator.translateChildren(form);
}

QString GetControlFontName(const QWidget* control)
{
    return control ? control->font().family() : QStringLiteral("ERROR");
}

bool FontExists(const QString& fontName)
{
    if (fontName.isEmpty() || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families)
        if (family.compare(fontName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsSansSerifBitmapFont()
{
    return false;
}

QString JapaneseUiFont()
{
    for (const char* name : {"MS UI Gothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP"})
        if (FontExists(QString::fromLatin1(name)))
            return QString::fromLatin1(name);
    return QString();
}
