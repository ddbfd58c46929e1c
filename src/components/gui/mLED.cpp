#include "components/mLED.h"

#include <QAccessible>

// Resources of a static library are linked in only when something refers to them.
static void initLampResources()
{
    Q_INIT_RESOURCE(leds);
}

namespace components {

TmLED::TmLED(QWidget *parent) : TImage(parent)
{
    setAutoSize(true);
    setVisibleState(true);
    setTransparent(true);
    UpdateImage();
    m_copyright = QStringLiteral("Lamp indicator for Daypane");
}

// None of the three setters compares with the old value: every set reloads the bitmap.
void TmLED::setSize(TLEDSize value)
{
    m_size = value;
    UpdateImage();
}

void TmLED::setState(TLEDState value)
{
    m_state = value;
    UpdateImage();
}

void TmLED::setLEDColor(TLEDColor value)
{
    m_ledColor = value;
    UpdateImage();
}

QString TmLED::ResourceName(TLEDColor color, TLEDState state, TLEDSize size)
{
    static const char *const letters[] = {"Y", "R", "G", "B"};
    static const char *const suffixes[] = {"S", "", "B"};
    const int c = color <= lcBlue ? color : lcRed;
    const int z = size <= lzBig ? size : lzNormal;
    return QLatin1String(letters[c]) +
           (state == lsON ? QLatin1String("ON") : QLatin1String("OFF")) +
           QLatin1String(suffixes[z]);
}

QImage TmLED::LoadLampBitmap(const QString &name)
{
    static const bool initialised = (initLampResources(), true);
    Q_UNUSED(initialised);
    return QImage(QStringLiteral(":/leds/%1.bmp").arg(name), "BMP");
}

void TmLED::setStateTexts(const QString &lit, const QString &unlit)
{
    m_litText = lit;
    m_unlitText = unlit;
    announceState();
}

QString TmLED::StateText() const
{
    const QString &own = m_state == lsON ? m_litText : m_unlitText;
    if (!own.isEmpty())
        return own;
    static const char *const colours[] = {"Yellow", "Red", "Green", "Blue"};
    const int c = m_ledColor <= lcBlue ? m_ledColor : lcRed;
    return QStringLiteral("%1 lamp %2")
        .arg(QLatin1String(colours[c]),
             m_state == lsON ? QLatin1String("on") : QLatin1String("off"));
}

void TmLED::announceState()
{
    // Assistive technology reads the state as the lamp's name.
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void TmLED::UpdateImage()
{
    setPicture(LoadLampBitmap(ResourceName(m_ledColor, m_state, m_size)));
    update();
    announceState();
}

} // namespace components
