#pragma once

#include "components/panel.h"
#include "framework/drawing.h"

#include <QImage>
#include <QTimer>
#include <functional>

namespace components {

class TdxfClock;

// The colours, lengths (percent of the dial radius) and pen widths of the analog hands.
class TdxfHandOptions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(framework::TColor HourHandColor READ HourHandColor WRITE setHourHandColor)
    Q_PROPERTY(int HourHandLenght READ HourHandLenght WRITE setHourHandLenght)
    Q_PROPERTY(int HourHandWidth READ HourHandWidth WRITE setHourHandWidth)
    Q_PROPERTY(framework::TColor MinHandColor READ MinHandColor WRITE setMinHandColor)
    Q_PROPERTY(int MinHandLenght READ MinHandLenght WRITE setMinHandLenght)
    Q_PROPERTY(int MinHandWidth READ MinHandWidth WRITE setMinHandWidth)
    Q_PROPERTY(framework::TColor SecHandColor READ SecHandColor WRITE setSecHandColor)
    Q_PROPERTY(int SecHandLenght READ SecHandLenght WRITE setSecHandLenght)
    Q_PROPERTY(int SecHandWidth READ SecHandWidth WRITE setSecHandWidth)
    Q_PROPERTY(bool ShowSecHand READ ShowSecHand WRITE setShowSecHand)
    Q_PROPERTY(components::TdxfClock *Clock READ Clock WRITE setClock STORED false)
public:
    explicit TdxfHandOptions(QObject *owner = nullptr);

    framework::TColor HourHandColor() const { return m_hourColor; }
    void setHourHandColor(framework::TColor value);
    int HourHandLenght() const { return m_hourLength; }
    void setHourHandLenght(int value); // clamped to 0..100
    int HourHandWidth() const { return m_hourWidth; }
    void setHourHandWidth(int value); // below 0 becomes 0
    framework::TColor MinHandColor() const { return m_minColor; }
    void setMinHandColor(framework::TColor value);
    int MinHandLenght() const { return m_minLength; }
    void setMinHandLenght(int value);
    int MinHandWidth() const { return m_minWidth; }
    void setMinHandWidth(int value);
    framework::TColor SecHandColor() const { return m_secColor; }
    void setSecHandColor(framework::TColor value);
    int SecHandLenght() const { return m_secLength; }
    void setSecHandLenght(int value);
    int SecHandWidth() const { return m_secWidth; }
    void setSecHandWidth(int value);
    bool ShowSecHand() const { return m_showSecHand; }
    void setShowSecHand(bool value);
    TdxfClock *Clock() const { return m_clock; }
    void setClock(TdxfClock *value) { m_clock = value; }

    // Copies the ten hand settings, keeping this object's clock.
    void Assign(const TdxfHandOptions &other);

private:
    void changed();

    framework::TColor m_hourColor = framework::clBlack;
    int m_hourLength = 60;
    int m_hourWidth = 5;
    framework::TColor m_minColor = framework::clBlack;
    int m_minLength = 80;
    int m_minWidth = 3;
    framework::TColor m_secColor = framework::clRed;
    int m_secLength = 90;
    int m_secWidth = 1;
    bool m_showSecHand = true;
    TdxfClock *m_clock = nullptr;
};

// A panel that shows the time of day. While Active a 250 ms timer keeps the time current; the
// clock repaints when the second changes and reports hour, minute and second changes.
class TdxfClock : public TCustomPanel
{
    Q_OBJECT
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE setDisplayFormat)
    Q_PROPERTY(TdxfClockStyle ClockStyle READ ClockStyle WRITE setClockStyle)
    Q_PROPERTY(framework::TColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(components::TdxfHandOptions *HandOptions READ HandOptions WRITE setHandOptions)
    Q_PROPERTY(bool DrawMask READ DrawMask WRITE setDrawMask)
    Q_PROPERTY(QImage ClockFace READ ClockFace WRITE setClockFace)
    Q_PROPERTY(qint32 OffsetHour READ OffsetHour WRITE setOffsetHour)
    Q_PROPERTY(qint32 OffsetMin READ OffsetMin WRITE setOffsetMin)
    Q_PROPERTY(qint32 OffsetSec READ OffsetSec WRITE setOffsetSec)
    Q_PROPERTY(
        TdxfHoursDisplayStyle HoursDisplayStyle READ HoursDisplayStyle WRITE setHoursDisplayStyle)
    Q_PROPERTY(bool Active READ Active WRITE setActive)
public:
    enum TdxfClockStyle : quint8 { csText, csIndicator, csAnalog, csRevolvingDrum };
    Q_ENUM(TdxfClockStyle)
    enum TdxfHoursDisplayStyle : quint8 { dsPoints, dsDecimalNumbers, dsRomanNumbers };
    Q_ENUM(TdxfHoursDisplayStyle)

    // The local date and time now, as a date-time value.
    using TimeSource = std::function<double()>;

    explicit TdxfClock(QWidget *parent = nullptr);
    ~TdxfClock() override;

    QString DisplayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString &value);
    TdxfClockStyle ClockStyle() const { return m_clockStyle; }
    void setClockStyle(TdxfClockStyle value);
    framework::TColor BorderColor() const { return m_borderColor; }
    void setBorderColor(framework::TColor value);
    TdxfHandOptions *HandOptions() const { return m_handOptions; }
    void setHandOptions(TdxfHandOptions *value);
    bool DrawMask() const { return m_drawMask; }
    void setDrawMask(bool value);
    QImage ClockFace() const { return m_clockFace; }
    void setClockFace(const QImage &value);
    qint32 OffsetHour() const { return m_offsetHour; }
    void setOffsetHour(qint32 value) { m_offsetHour = value; }
    qint32 OffsetMin() const { return m_offsetMin; }
    void setOffsetMin(qint32 value) { m_offsetMin = value; }
    qint32 OffsetSec() const { return m_offsetSec; }
    void setOffsetSec(qint32 value) { m_offsetSec = value; }
    TdxfHoursDisplayStyle HoursDisplayStyle() const { return m_hoursDisplayStyle; }
    void setHoursDisplayStyle(TdxfHoursDisplayStyle value);
    bool Active() const { return m_active; }
    void setActive(bool value);

    void setTimeSource(TimeSource source);
    // The time the faces show, as computed at the last tick, activation or deactivation.
    double ClockTime() const { return m_clockTime; }
    // Zero while inactive; otherwise the local time moved by the offsets.
    double ComputedTime() const;
    // The timer's handler, every 250 ms while active.
    void Tick();
    // Repaints now (the drum face) or at the next turn of the event loop (the others).
    void Refresh();
    const QTimer *Timer() const { return m_timer; }
    int DrumStep() const { return m_drumStep; }
    // The clock time as the text face shows it.
    QString FormattedTime() const;

    // The off-screen bitmap that every clock paints into; it only grows.
    static QSize SharedBitmapSize();
    // What the last paint drew; its top-left corner is the painting clock's client area.
    static const QImage &SharedBitmap();

    // The 3-D frame of width w, shrinking the rectangle by w on every side.
    static void Frame3D(QPainter &painter, framework::TRect &rect, framework::TColor topLeft,
                        framework::TColor bottomRight, int w);
    // Highlight and shadow of a bevel kind, from the border colour.
    void BevelColors(TBevelCut kind, framework::TColor &topLeft,
                     framework::TColor &bottomRight) const override;

signals:
    void OnHourChange(QObject *Sender, double OldTime, double NewTime);
    void OnMinuteChange(QObject *Sender, double OldTime, double NewTime);
    void OnSecondChange(QObject *Sender, double OldTime, double NewTime);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What every face is drawn from.
    struct Face
    {
        QPainter &painter;
        int hour, minute, second, msec;
        QString text;
        int frameWidth;
        framework::TRect inner;
        int drumStep;
    };
    void PaintClock(QPainter &painter);
    void PaintTextFace(const Face &face);
    void PaintIndicatorFace(const Face &face);
    void PaintAnalogFace(const Face &face);
    void PaintDrumFace(const Face &face);

    double m_clockTime = 0;
    QTimer *m_timer = nullptr;
    QString m_displayFormat;
    TdxfClockStyle m_clockStyle = csText;
    framework::TColor m_borderColor = framework::clSilver;
    TdxfHandOptions *m_handOptions = nullptr;
    bool m_drawMask = true;
    QImage m_clockFace;
    qint32 m_offsetHour = 0;
    qint32 m_offsetMin = 0;
    qint32 m_offsetSec = 0;
    TdxfHoursDisplayStyle m_hoursDisplayStyle = dsPoints;
    bool m_active = false;
    QString m_previousDrumText;
    int m_drumStep = 0;
    TimeSource m_timeSource;
};

} // namespace components
