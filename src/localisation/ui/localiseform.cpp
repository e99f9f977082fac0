#include "localisation/ui/localiseform.h"

#include "localisation/languagemanager.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

namespace {

const QString kHintSuffix = QStringLiteral(".Hint");

// Width a check box or radio button gets beyond its caption: the box and the gap.
constexpr int kCheckExtraWidth = 22;
constexpr int kCheckHeight = 16;

QString NameOf(const QObject *object)
{
    const QString name = object->objectName();
    if (name.startsWith(QLatin1String("qt_")) || name.startsWith(QLatin1String("_q_")))
        return QString();
    return name;
}

int TagOf(const QObject *object)
{
    const QVariant tag = object->property("tag");
    return tag.isValid() ? tag.toInt() : 0;
}

bool ShowsHints(const QWidget *widget)
{
    const QVariant show = widget->property("showHint");
    return show.isValid() ? show.toBool() : !widget->toolTip().isEmpty();
}

// The tab widget whose page this widget is, or nullptr.
QTabWidget *TabWidgetOf(QWidget *widget)
{
    QWidget *stack = widget->parentWidget();
    if (!qobject_cast<QStackedWidget *>(stack)) return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

// The kinds of control whose caption is translated.
enum class TCaption { None, Label, GroupBox, Button, TabPage };

TCaption CaptionKind(QWidget *widget)
{
    if (qobject_cast<QLabel *>(widget)) return TCaption::Label;
    if (qobject_cast<QGroupBox *>(widget)) return TCaption::GroupBox;
    if (qobject_cast<QAbstractButton *>(widget)) return TCaption::Button;
    if (TabWidgetOf(widget)) return TCaption::TabPage;
    return TCaption::None;
}

QString CaptionOf(QWidget *widget, TCaption kind)
{
    switch (kind) {
    case TCaption::Label:
        return static_cast<QLabel *>(widget)->text();
    case TCaption::GroupBox:
        return static_cast<QGroupBox *>(widget)->title();
    case TCaption::Button:
        return static_cast<QAbstractButton *>(widget)->text();
    case TCaption::TabPage: {
        QTabWidget *tabs = TabWidgetOf(widget);
        return tabs->tabText(tabs->indexOf(widget));
    }
    case TCaption::None:
        break;
    }
    return QString();
}

void SetCaption(QWidget *widget, TCaption kind, const QString &caption)
{
    switch (kind) {
    case TCaption::Label:
        static_cast<QLabel *>(widget)->setText(caption);
        break;
    case TCaption::GroupBox:
        static_cast<QGroupBox *>(widget)->setTitle(caption);
        break;
    case TCaption::Button:
        static_cast<QAbstractButton *>(widget)->setText(caption);
        break;
    case TCaption::TabPage: {
        QTabWidget *tabs = TabWidgetOf(widget);
        tabs->setTabText(tabs->indexOf(widget), caption);
        break;
    }
    case TCaption::None:
        break;
    }
}

// The caption as it shows: "&" marks the mnemonic, "&&" is one ampersand.
QString ShownText(const QString &caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

// A menu that is an item of another menu is visited through that menu only.
bool IsSubMenu(QMenu *menu)
{
    const QList<QObject *> holders = menu->menuAction()->associatedObjects();
    for (QObject *holder : holders) {
        if (holder != menu && (qobject_cast<QMenu *>(holder) || qobject_cast<QMenuBar *>(holder)))
            return true;
    }
    return false;
}

class TFormLocaliser {
public:
    TFormLocaliser(TLMGroup &group, bool generate, QWidget *form)
        : group_(group), generate_(generate), form_(form)
    {
    }

    void Run()
    {
        if (TagOf(form_) == 0) {
            Translate(NameOf(form_), form_->windowTitle(),
                      [this](const QString &text) { form_->setWindowTitle(text); });
        }
        VisitContents(form_);
        if (generate_) TLM::PruneGroup(group_, used_);
    }

private:
    // Looks the entry up and applies it; when it is missing, generate mode records the
    // current text instead. Either way the entry counts as used.
    template <class Apply> void Translate(const QString &entry, const QString &current, Apply apply)
    {
        if (entry.isEmpty()) return;
        const QString text = group_.Value(entry);
        if (!text.isEmpty())
            apply(text);
        else if (generate_)
            group_.SetEntry(entry, current);
        used_.append(entry);
    }

    // The controls of a window or container in child order, then the menus and actions it
    // owns.
    void VisitContents(QWidget *owner)
    {
        const QObjectList children = owner->children();
        for (QObject *child : children) {
            auto *control = qobject_cast<QWidget *>(child);
            if (control && !control->isWindow() && !qobject_cast<QMenuBar *>(control))
                VisitControl(control);
        }
        for (QObject *child : children) {
            if (auto *bar = qobject_cast<QMenuBar *>(child)) {
                VisitMenuItems(bar);
            } else if (auto *menu = qobject_cast<QMenu *>(child)) {
                if (!IsSubMenu(menu)) VisitMenuItems(menu);
            } else if (auto *action = qobject_cast<QAction *>(child)) {
                VisitAction(action);
            } else if (!child->isWidgetType()) {
                // An action list: a holder of actions.
                for (QObject *held : child->children()) {
                    if (auto *heldAction = qobject_cast<QAction *>(held)) VisitAction(heldAction);
                }
            }
        }
    }

    void VisitControl(QWidget *control)
    {
        const QString name = NameOf(control);
        const int tag = TagOf(control);
        const TCaption kind = CaptionKind(control);
        if (tag == 0 && kind != TCaption::None) {
            Translate(name, CaptionOf(control, kind), [&](const QString &text) {
                SetCaption(control, kind, text);
                if (qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control))
                    FitCheckControl(control, text);
            });
        }
        if (tag <= 1 && !name.isEmpty() && ShowsHints(control)) {
            Translate(name + kHintSuffix, control->toolTip(),
                      [control](const QString &text) { control->setToolTip(text); });
        }
        // A tab bar's scroll buttons are its own parts, not controls of the window.
        if (!qobject_cast<QTabBar *>(control)) VisitContents(control);
    }

    // A check box or radio button placed by hand takes the width of its new caption; one in
    // a layout is sized by the layout from the caption anyway.
    void FitCheckControl(QWidget *control, const QString &caption)
    {
        QWidget *parent = control->parentWidget();
        if (parent && parent->layout()) return;
        const QFontMetrics metrics(form_->font());
        control->resize(metrics.horizontalAdvance(ShownText(caption)) + kCheckExtraWidth,
                        kCheckHeight);
    }

    // Items of a menu bar or menu at every depth.
    void VisitMenuItems(QWidget *menu)
    {
        if (visiting_.contains(menu)) return;
        visiting_.insert(menu);
        const QList<QAction *> items = menu->actions();
        for (QAction *item : items)
            VisitMenuItem(item);
        visiting_.remove(menu);
    }

    void VisitMenuItem(QAction *item)
    {
        QMenu *sub = item->menu();
        QString name = NameOf(item);
        if (name.isEmpty() && sub) name = NameOf(sub);
        const int tag = (item->property("tag").isValid() || !sub) ? TagOf(item) : TagOf(sub);
        if (tag == 0 && !item->isSeparator() && item->text() != QLatin1String("-")) {
            Translate(name, item->text(), [item](const QString &text) { item->setText(text); });
        }
        if (sub) VisitMenuItems(sub);
    }

    // An action of an action list: caption with tag 0, hint with tag 0 or 1.
    void VisitAction(QAction *action)
    {
        const QString name = NameOf(action);
        const int tag = TagOf(action);
        if (name.isEmpty() || tag > 1) return;
        if (tag == 0) {
            Translate(name, action->text(),
                      [action](const QString &text) { action->setText(text); });
        }
        Translate(name + kHintSuffix, action->toolTip(),
                  [action](const QString &text) { action->setToolTip(text); });
    }

    TLMGroup &group_;
    const bool generate_;
    QWidget *const form_;
    QStringList used_;
    QSet<const QWidget *> visiting_;
};

} // namespace

void LocaliseForm(TLM &lm, QWidget *form, bool generate)
{
    if (!form) return;
    const QString name = NameOf(form);
    if (name.isEmpty()) return;
    TLMGroup *group = lm.FindGroup(name);
    if (!group) {
        if (!generate) return;
        group = &lm.FindOrAddGroup(name);
    }
    TFormLocaliser(*group, generate, form).Run();
}

void LocaliseForm(QWidget *form, bool generate)
{
    LocaliseForm(languageManager(), form, generate);
}
