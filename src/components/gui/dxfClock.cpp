#include "components/dxfClock.h"

#include "components/timeformat.h"
#include "dates/dates.h"
#include "platform/clock.h"

#include <QPainter>
#include <cmath>

namespace components {

using framework::TColor;
using framework::TRect;

namespace {

// Shared by every clock, so a once-a-second repaint allocates nothing; it only grows.
QImage &sharedBitmap()
{
    static QImage bitmap;
    return bitmap;
}

constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kDaysBeforeEpoch = 693594; // days from 1 January of year 1 to 30 December 1899

// The date-time value moved by a number of milliseconds; the date changes across midnight.
double shiftDateTime(double value, qint64 deltaMs)
{
    const double whole = std::trunc(value);
    const qint64 ms = std::llround(std::fabs(value - whole) * double(kMsPerDay));
    qint64 total = (qint64(whole) + kDaysBeforeEpoch) * kMsPerDay + ms + deltaMs;
    qint64 day = total / kMsPerDay;
    qint64 time = total % kMsPerDay;
    if (time < 0) {
        time += kMsPerDay;
        --day;
    }
    const double d = double(day - kDaysBeforeEpoch);
    return d >= 0 ? d + double(time) / double(kMsPerDay) : d - double(time) / double(kMsPerDay);
}

} // namespace

// ---- TdxfHandOptions

TdxfHandOptions::TdxfHandOptions(QObject *owner) : QObject(owner) {}

void TdxfHandOptions::changed()
{
    if (m_clock != nullptr && !m_clock->Active())
        m_clock->Refresh();
}

void TdxfHandOptions::setHourHandColor(TColor value)
{
    m_hourColor = value;
    changed();
}

void TdxfHandOptions::setHourHandLenght(int value)
{
    m_hourLength = std::clamp(value, 0, 100);
    changed();
}

void TdxfHandOptions::setHourHandWidth(int value)
{
    m_hourWidth = std::max(0, value);
    changed();
}

void TdxfHandOptions::setMinHandColor(TColor value)
{
    m_minColor = value;
    changed();
}

void TdxfHandOptions::setMinHandLenght(int value)
{
    m_minLength = std::clamp(value, 0, 100);
    changed();
}

void TdxfHandOptions::setMinHandWidth(int value)
{
    m_minWidth = std::max(0, value);
    changed();
}

void TdxfHandOptions::setSecHandColor(TColor value)
{
    m_secColor = value;
    changed();
}

void TdxfHandOptions::setSecHandLenght(int value)
{
    m_secLength = std::clamp(value, 0, 100);
    changed();
}

void TdxfHandOptions::setSecHandWidth(int value)
{
    m_secWidth = std::max(0, value);
    changed();
}

void TdxfHandOptions::setShowSecHand(bool value)
{
    m_showSecHand = value;
    changed();
}

void TdxfHandOptions::Assign(const TdxfHandOptions &o)
{
    m_hourColor = o.m_hourColor;
    m_hourLength = o.m_hourLength;
    m_hourWidth = o.m_hourWidth;
    m_minColor = o.m_minColor;
    m_minLength = o.m_minLength;
    m_minWidth = o.m_minWidth;
    m_secColor = o.m_secColor;
    m_secLength = o.m_secLength;
    m_secWidth = o.m_secWidth;
    m_showSecHand = o.m_showSecHand;
    changed();
}

// ---- TdxfClock

TdxfClock::TdxfClock(QWidget *parent) : TCustomPanel(parent)
{
    m_clockTime = ComputedTime();
    resize(65, 19);
    m_timer = new QTimer(this);
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &TdxfClock::Tick);
    m_displayFormat = QStringLiteral("hh:mm:ss");
    setBevelInner(bvLowered);
    setBevelOuter(bvRaised);
    setBevelWidth(1);
    m_borderColor = framework::clSilver;
    m_handOptions = new TdxfHandOptions(this);
    m_handOptions->setClock(this);
    m_drawMask = true;
    m_hoursDisplayStyle = dsPoints;
    m_active = false;
    setColor(framework::clSilver);
    m_previousDrumText.clear();
    // The whole area is painted from the off-screen bitmap; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TdxfClock::~TdxfClock()
{
    m_timer->stop();
    m_handOptions->setClock(nullptr);
}

void TdxfClock::setDisplayFormat(const QString &value)
{
    if (value != m_displayFormat)
        m_displayFormat = value;
    if (!m_active)
        Refresh();
}

void TdxfClock::setClockStyle(TdxfClockStyle value)
{
    if (value != m_clockStyle)
        m_clockStyle = value;
    if (!m_active)
        Refresh();
}

void TdxfClock::setBorderColor(TColor value)
{
    if (value != m_borderColor)
        m_borderColor = value;
    if (!m_active)
        Refresh();
}

void TdxfClock::setHandOptions(TdxfHandOptions *value)
{
    if (value != nullptr && value != m_handOptions)
        m_handOptions->Assign(*value);
}

void TdxfClock::setDrawMask(bool value)
{
    m_drawMask = value;
    if (!m_active)
        Refresh();
}

void TdxfClock::setClockFace(const QImage &value)
{
    m_clockFace = value.copy();
    if (!m_active)
        Refresh();
}

void TdxfClock::setHoursDisplayStyle(TdxfHoursDisplayStyle value)
{
    m_hoursDisplayStyle = value;
    if (!m_active)
        Refresh();
}

void TdxfClock::setActive(bool value)
{
    m_active = value;
    if (value)
        m_timer->start();
    else
        m_timer->stop();
    m_clockTime = ComputedTime();
    Refresh();
}

void TdxfClock::setTimeSource(TimeSource source)
{
    m_timeSource = std::move(source);
}

double TdxfClock::ComputedTime() const
{
    if (!m_active)
        return 0;
    const double now = m_timeSource ? m_timeSource() : dates::Now(platform::systemClock());
    // In 64 bits: offsets however large move the time instead of wrapping around.
    const qint64 offset = qint64(m_offsetHour) * 3600 + qint64(m_offsetMin) * 60 + m_offsetSec;
    if (offset == 0)
        return now;
    return shiftDateTime(now, offset * 1000);
}

void TdxfClock::Tick()
{
    const double old = m_clockTime;
    m_clockTime = ComputedTime();
    int oh = 0, om = 0, os = 0, oms = 0, nh = 0, nm = 0, ns = 0, nms = 0;
    dates::DecodeTime(old, oh, om, os, oms);
    dates::DecodeTime(m_clockTime, nh, nm, ns, nms);
    if (os != ns || om != nm || oh != nh)
        Refresh();
    if (oh != nh)
        emit OnHourChange(this, old, m_clockTime);
    if (om != nm)
        emit OnMinuteChange(this, old, m_clockTime);
    if (os != ns)
        emit OnSecondChange(this, old, m_clockTime);
}

QString TdxfClock::FormattedTime() const
{
    return FormatDateTime(m_displayFormat, m_clockTime, systemTimeSeparator());
}

void TdxfClock::Refresh()
{
    if (m_clockStyle != csRevolvingDrum) {
        update();
        return;
    }
    const QString text = FormattedTime();
    if (!m_previousDrumText.isEmpty() && m_previousDrumText != text) {
        for (int k = 1; k <= 10; ++k) {
            m_drumStep = k;
            repaint();
        }
    } else {
        m_drumStep = 10;
        repaint();
    }
    m_previousDrumText = FormattedTime();
}

QSize TdxfClock::SharedBitmapSize()
{
    return sharedBitmap().deviceIndependentSize().toSize();
}

const QImage &TdxfClock::SharedBitmap()
{
    return sharedBitmap();
}

void TdxfClock::Frame3D(QPainter &p, TRect &r, TColor topLeft, TColor bottomRight, int w)
{
    framework::Frame3D(p, r, topLeft, bottomRight, w);
}

void TdxfClock::BevelColors(TBevelCut kind, TColor &topLeft, TColor &bottomRight) const
{
    // Blended from the border colour's RGB value: a system colour's raw constant would give
    // near-black bevels.
    const TColor border = TColor(framework::ColorToRGB(m_borderColor));
    const TColor highlight = framework::BlendColor(framework::clWhite, border, 1, 4);
    const TColor shadow = framework::BlendColor(framework::clBlack, border, 2, 3);
    if (kind == bvLowered) {
        topLeft = shadow;
        bottomRight = highlight;
    } else {
        topLeft = highlight;
        bottomRight = shadow;
    }
}

void TdxfClock::paintEvent(QPaintEvent *)
{
    // The bitmap has the screen's pixels, so the text is drawn sharp at any scale; it still
    // only grows, in the clock's own units.
    const qreal ratio = devicePixelRatioF();
    QImage &bitmap = sharedBitmap();
    const QSize had = bitmap.isNull() ? QSize(0, 0) : bitmap.deviceIndependentSize().toSize();
    const QSize need(std::max(had.width(), width()), std::max(had.height(), height()));
    if (need != had || bitmap.devicePixelRatio() != ratio) {
        QImage grown(
            QSize(int(std::ceil(need.width() * ratio)), int(std::ceil(need.height() * ratio))),
            QImage::Format_RGB32);
        grown.setDevicePixelRatio(ratio);
        grown.fill(Qt::black);
        if (!bitmap.isNull()) {
            QPainter g(&grown);
            g.drawImage(0, 0, bitmap);
        }
        bitmap = grown;
    }
    {
        QPainter off(&bitmap);
        PaintClock(off);
    }
    QPainter p(this);
    const QRect client = clientRect();
    p.setClipRect(client);
    p.drawImage(client.topLeft(), bitmap);
    paintBorder(p);
}

void TdxfClock::PaintClock(QPainter &p)
{
    const QRect client = clientRect();
    TRect outer{0, 0, client.width(), client.height()};
    TRect inner = outer;
    int f = BorderWidth();
    if (BevelOuter() != bvNone)
        f += BevelWidth();
    if (BevelInner() != bvNone)
        f += BevelWidth();
    if (BorderStyle() == bsSingle)
        f += BorderWidth();
    framework::FillRect(p, outer, m_borderColor);
    inner.inflate(-f, -f);
    framework::FillRect(p, inner, Color());
    if (!m_clockFace.isNull() && !inner.isEmpty())
        framework::StretchBlt(p, inner.left, inner.top, inner.width(), inner.height(), m_clockFace,
                              0, 0, m_clockFace.width(), m_clockFace.height(), framework::SRCCOPY,
                              framework::COLORONCOLOR);
    int h = 0, m = 0, s = 0, ms = 0;
    dates::DecodeTime(m_clockTime, h, m, s, ms);
    Face face{p, h, m, s, ms, QString(), f, inner, m_drumStep};
    if (m_clockStyle == csAnalog) {
        PaintAnalogFace(face);
    } else {
        p.setFont(font());
        face.text = FormattedTime();
        if (m_clockStyle == csText)
            PaintTextFace(face);
        else if (m_clockStyle == csIndicator)
            PaintIndicatorFace(face);
    }
    TRect frame = outer;
    TColor tl, br;
    if (BevelOuter() != bvNone) {
        BevelColors(BevelOuter(), tl, br);
        Frame3D(p, frame, tl, br, BevelWidth());
    }
    Frame3D(p, frame, m_borderColor, m_borderColor, BorderWidth());
    if (BevelInner() != bvNone) {
        BevelColors(BevelInner(), tl, br);
        Frame3D(p, frame, tl, br, BevelWidth());
    }
    if (m_clockStyle == csRevolvingDrum) {
        p.setFont(font());
        face.text = FormattedTime();
        PaintDrumFace(face);
    }
}

void TdxfClock::PaintTextFace(const Face &face)
{
    QPainter &p = face.painter;
    const QFontMetrics fm = p.fontMetrics();
    const int tw = fm.horizontalAdvance(face.text);
    const int th = fm.height();
    // Centred on the whole control, cut at the inner rectangle.
    const int x = (width() - tw) / 2;
    const int y = (height() - th) / 2;
    p.save();
    p.setClipRect(face.inner.toQRect());
    p.setBackgroundMode(Qt::TransparentMode);
    p.setPen(framework::toQColor(fontColor()));
    p.drawText(QPoint(x, y + fm.ascent()), face.text);
    p.restore();
}

} // namespace components
