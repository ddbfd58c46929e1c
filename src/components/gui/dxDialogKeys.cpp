// How the gradient controls hear Enter, Escape and accelerators: offered by the window before
// it acts on them itself, as dialog keys and characters.
#include "components/dxCore.h"

#include "framework/application.h"

#include <QKeyEvent>

namespace components {
namespace {

// Offers Enter, Escape and typed characters that no control took to the gradient controls of
// the window, before the window acts on them itself.
class DialogKeyFilter : public QObject
{
public:
    static constexpr const char *kName = "dxDialogKeyFilter";
    explicit DialogKeyFilter(QWidget *window) : QObject(window)
    {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || watched != parent())
            return false;
        auto *ke = static_cast<QKeyEvent *>(event);
        auto *window = static_cast<QWidget *>(parent());
        const int vk = virtualKeyOf(ke->key());
        const auto controls = window->findChildren<TdxCustomControl *>();
        QList<TdxCustomControl *> all = controls;
        if (auto *self = qobject_cast<TdxCustomControl *>(window))
            all.prepend(self);
        if (vk == VK_RETURN || vk == VK_ESCAPE) {
            for (TdxCustomControl *c : all) {
                if (c->DialogKey(vk, ke->modifiers())) {
                    ke->accept();
                    return true;
                }
            }
            return false;
        }
        QChar ch;
        if (!ke->text().isEmpty() && ke->text().at(0).isPrint())
            ch = ke->text().at(0);
        else if ((ke->key() >= Qt::Key_0 && ke->key() <= Qt::Key_9) ||
                 (ke->key() >= Qt::Key_A && ke->key() <= Qt::Key_Z))
            ch = QChar(ke->key());
        if (ch.isNull())
            return false;
        for (TdxCustomControl *c : all) {
            if (c->DialogChar(ch, ke->modifiers())) {
                ke->accept();
                return true;
            }
        }
        return false;
    }
};

} // namespace

bool TdxCustomControl::DialogKey(int, Qt::KeyboardModifiers)
{
    return false;
}

bool TdxCustomControl::DialogChar(QChar ch, Qt::KeyboardModifiers modifiers)
{
    if (!framework::IsAccel(ch, m_caption) || !CanFocus())
        return false;
    if (!hasFocus() && !(modifiers & Qt::AltModifier))
        return false;
    Click();
    return true;
}

void TdxCustomControl::ensureDialogKeyFilter()
{
    QWidget *win = window();
    if (win->findChild<QObject *>(QLatin1String(DialogKeyFilter::kName),
                                  Qt::FindDirectChildrenOnly) == nullptr)
        new DialogKeyFilter(win);
}

} // namespace components
