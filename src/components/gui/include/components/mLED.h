#pragma once

#include "components/image.h"

namespace components {

// A lamp: one of 24 bitmaps of the program's resources, chosen by colour, state and size.
class TmLED : public TImage
{
    Q_OBJECT
    Q_PROPERTY(TLEDSize Size READ Size WRITE setSize)
    Q_PROPERTY(TLEDState State READ State WRITE setState)
    Q_PROPERTY(TLEDColor Color READ LEDColor WRITE setLEDColor)
    Q_PROPERTY(QString Copyright READ Copyright WRITE setCopyright)
public:
    enum TLEDColor : quint8 { lcYellow, lcRed, lcGreen, lcBlue };
    Q_ENUM(TLEDColor)
    enum TLEDState : quint8 { lsON, lsOFF };
    Q_ENUM(TLEDState)
    enum TLEDSize : quint8 { lzSmall, lzNormal, lzBig };
    Q_ENUM(TLEDSize)

    explicit TmLED(QWidget *parent = nullptr);

    TLEDSize Size() const { return m_size; }
    void setSize(TLEDSize value);
    TLEDState State() const { return m_state; }
    void setState(TLEDState value);
    TLEDColor LEDColor() const { return m_ledColor; }
    void setLEDColor(TLEDColor value);
    QString Copyright() const { return m_copyright; }
    void setCopyright(const QString &) {}

    // What the lamp tells assistive technology while lit and while dark (by default its colour
    // and "on" or "off"), so a window can say what the lamp stands for.
    void setStateTexts(const QString &lit, const QString &unlit);
    QString StateText() const;

    // "GOFF", "RONS", "BONB": colour letter, state word, size suffix.
    static QString ResourceName(TLEDColor color, TLEDState state, TLEDSize size);
    // The lamp bitmap of that name from the program's resources; empty when it is missing.
    static QImage LoadLampBitmap(const QString &name);

private:
    void UpdateImage();
    void announceState();

    TLEDSize m_size = lzNormal;
    TLEDState m_state = lsOFF;
    TLEDColor m_ledColor = lcRed;
    QString m_copyright;
    QString m_litText;
    QString m_unlitText;
};

} // namespace components
