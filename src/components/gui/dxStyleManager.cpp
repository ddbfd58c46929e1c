#include "components/dxStyleManager.h"

#include "components/dxCore.h"
#include "framework/messagebox.h"

namespace components {

TdxCustomComponent::TdxCustomComponent(QObject *owner)
    : QObject(owner), m_about(QLatin1String(kDxAbout))
{
}

TdxStyleManager::TdxStyleManager(QObject *owner) : TdxCustomComponent(owner)
{
    framework::showInformationMessage(BetaNotice());
}

TdxStyleManager::~TdxStyleManager()
{
    const QList<TdxCustomControl *> controls = m_controls;
    m_controls.clear();
    for (TdxCustomControl *c : controls)
        c->update();
}

QString TdxStyleManager::BetaNotice()
{
    return QStringLiteral("The \"TdxStyleManager\" component is currently in beta state and has no "
                          "functionality yet!");
}

QString TdxStyleManager::GetVersion() const
{
    return QStringLiteral("1.0");
}

void TdxStyleManager::setTheme(TdxTheme value)
{
    if (value == m_theme)
        return;
    m_theme = value;
    for (TdxCustomControl *c : m_controls)
        c->update();
}

void TdxStyleManager::RegisterControl(TdxCustomControl *control)
{
    if (control != nullptr && !m_controls.contains(control))
        m_controls.append(control);
}

void TdxStyleManager::UnregisterControl(TdxCustomControl *control)
{
    m_controls.removeAll(control);
}

} // namespace components
