#include "components/accessible.h"

#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/form.h"
#include "components/image.h"
#include "components/label.h"
#include "components/mLED.h"
#include "components/panel.h"
#include "components/toolbar.h"
#include "components/webbrowser.h"

#include <QAccessibleWidget>

namespace components {
namespace {

// A control's interface: a name of the window's choosing (accessibleName) wins over the one
// the control derives from its caption or its kind.
class ControlAccessible : public QAccessibleWidget
{
public:
    ControlAccessible(QWidget *w, QAccessible::Role role, QString fallbackName = {})
        : QAccessibleWidget(w, role), m_fallbackName(std::move(fallbackName))
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty() && !widget()->isWindow())
            return ownName();
        return QAccessibleWidget::text(t);
    }

protected:
    virtual QString ownName() const { return m_fallbackName; }

private:
    QString m_fallbackName;
};

// A control that clicks: a press action, as a mouse click does it. A graphic control clicks
// only while it has a click handler, and reads as its plain role otherwise.
class ClickableAccessible : public ControlAccessible
{
public:
    ClickableAccessible(QWidget *w, QAccessible::Role clickRole,
                        QAccessible::Role plainRole = QAccessible::NoRole)
        : ControlAccessible(w, clickRole), m_plainRole(plainRole)
    {
    }

    QAccessible::Role role() const override
    {
        return clickable() || m_plainRole == QAccessible::NoRole ? ControlAccessible::role()
                                                                 : m_plainRole;
    }
    QStringList actionNames() const override
    {
        const QStringList own = ControlAccessible::actionNames();
        return clickable() ? QStringList{pressAction()} + own : own;
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && clickable()) {
            if (widget()->isEnabled())
                static_cast<TControl *>(widget())->Click();
            return;
        }
        ControlAccessible::doAction(name);
    }

protected:
    bool clickable() const
    {
        const auto *c = static_cast<const TControl *>(widget());
        return qobject_cast<const TWinControl *>(c) != nullptr || c->KeyClickable();
    }

private:
    QAccessible::Role m_plainRole;
};

class LabelAccessible : public ClickableAccessible
{
public:
    explicit LabelAccessible(TLabel *label)
        : ClickableAccessible(label, QAccessible::Link, QAccessible::StaticText)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = ClickableAccessible::state();
        s.linked = clickable();
        return s;
    }

protected:
    QString ownName() const override
    {
        return AccessibleText(static_cast<TLabel *>(widget())->Caption());
    }
};

class LampAccessible : public ClickableAccessible
{
public:
    explicit LampAccessible(TmLED *lamp)
        : ClickableAccessible(lamp, QAccessible::Button, QAccessible::Indicator)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = ClickableAccessible::state();
        s.checked = lamp()->State() == TmLED::lsON;
        return s;
    }

protected:
    QString ownName() const override { return lamp()->StateText(); }

private:
    TmLED *lamp() const { return static_cast<TmLED *>(widget()); }
};

class GradientAccessible : public ClickableAccessible
{
public:
    explicit GradientAccessible(TdxCustomControl *control)
        : ClickableAccessible(control, QAccessible::Button)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = ClickableAccessible::state();
        s.pressed = control()->isPressed();
        s.hotTracked = control()->isHot();
        if (auto *b = qobject_cast<TdxButton *>(control()))
            s.defaultButton = b->Default();
        return s;
    }

protected:
    QString ownName() const override { return AccessibleText(control()->Caption()); }

private:
    TdxCustomControl *control() const { return static_cast<TdxCustomControl *>(widget()); }
};

// The clock's time is its value, in the text it shows.
class ClockAccessible : public ControlAccessible
{
public:
    explicit ClockAccessible(TdxfClock *clock)
        : ControlAccessible(clock, QAccessible::Clock, QStringLiteral("Clock"))
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<TdxfClock *>(widget())->FormattedTime();
        return ControlAccessible::text(t);
    }
};

class PanelAccessible : public ControlAccessible
{
public:
    explicit PanelAccessible(TCustomPanel *panel) : ControlAccessible(panel, QAccessible::Pane) {}

protected:
    QString ownName() const override
    {
        if (auto *p = qobject_cast<TPanel *>(widget()))
            return AccessibleText(p->Caption());
        return {};
    }
};

class ToolButtonAccessible : public ClickableAccessible
{
public:
    explicit ToolButtonAccessible(TToolButton *b)
        : ClickableAccessible(b, isSeparator(b) ? QAccessible::Separator : QAccessible::Button)
    {
    }

protected:
    QString ownName() const override
    {
        return AccessibleText(static_cast<TToolButton *>(widget())->Caption());
    }

private:
    static bool isSeparator(const TToolButton *b)
    {
        return b->Style() == TToolButton::tbsSeparator || b->Style() == TToolButton::tbsDivider;
    }
};

// Asked for every object, the web engine's own too, some of which are built without run-time
// type information: the sanitizer's type check cannot tell those from a wrong cast, and the
// casts here are Qt's own checked ones, so that check is off for this function.
__attribute__((no_sanitize("vptr"))) QAccessibleInterface *controlInterface(const QString &,
                                                                            QObject *object)
{
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto *w = static_cast<QWidget *>(object);
    // The most derived kinds first.
    if (auto *c = qobject_cast<TdxfClock *>(w))
        return new ClockAccessible(c);
    if (auto *l = qobject_cast<TmLED *>(w))
        return new LampAccessible(l);
    if (auto *g = qobject_cast<TdxCustomControl *>(w))
        return new GradientAccessible(g);
    if (auto *l = qobject_cast<TLabel *>(w))
        return new LabelAccessible(l);
    if (auto *p = qobject_cast<TCustomPanel *>(w))
        return new PanelAccessible(p);
    if (auto *b = qobject_cast<TToolButton *>(w))
        return new ToolButtonAccessible(b);
    if (qobject_cast<TToolBar *>(w) != nullptr)
        return new ControlAccessible(w, QAccessible::ToolBar, QStringLiteral("Toolbar"));
    if (qobject_cast<TWebBrowser *>(w) != nullptr)
        return new ControlAccessible(w, QAccessible::Client, QStringLiteral("Web page"));
    if (auto *i = qobject_cast<TImage *>(w))
        return new ClickableAccessible(i, QAccessible::Button, QAccessible::Graphic);
    if (auto *f = qobject_cast<TForm *>(w))
        return new ControlAccessible(f, f->BorderStyle() == TForm::bsDialog ? QAccessible::Dialog
                                                                            : QAccessible::Window);
    if (auto *c = qobject_cast<TControl *>(w))
        return new ControlAccessible(c, QAccessible::Client);
    return nullptr;
}

} // namespace

void InstallAccessibleFactory()
{
    static const bool installed = (QAccessible::installFactory(controlInterface), true);
    Q_UNUSED(installed);
}

QString AccessibleText(const QString &caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 >= caption.size())
                break; // a trailing "&" marks nothing
            ++i;       // "&x" reads as "x", "&&" as "&"
        }
        shown.append(caption[i]);
    }
    return shown.trimmed();
}

} // namespace components
