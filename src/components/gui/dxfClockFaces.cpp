// The seven-segment, analog and revolving-drum faces of the clock.
#include "components/dxfClock.h"

#include <QPainter>
#include <array>
#include <cmath>

namespace components {

using framework::TColor;
using framework::TRect;

namespace {

// Rounds halves to even, as the layout rules expect.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

constexpr std::array<quint8, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                              0x6D, 0x7D, 0x07, 0x7F, 0x6F};

const char *const kDecimalLabels[12] = {"6",  "5",  "4",  "3", "2", "1",
                                        "12", "11", "10", "9", "8", "7"};
const char *const kRomanLabels[12] = {"VI",  "V",  "IV", "III", "II",   "I",
                                      "XII", "XI", "X",  "IX",  "VIII", "VII"};

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// An axis-aligned line of odd width t centred on its coordinate, stopping short of its end.
void wideLine(QPainter &p, QPoint from, QPoint to, int t, const QColor &color)
{
    const int half = t / 2;
    if (from.y() == to.y()) {
        const int x0 = std::min(from.x(), to.x() + 1), x1 = std::max(from.x() + 1, to.x());
        if (x1 > x0)
            p.fillRect(QRect(x0, from.y() - half, x1 - x0, t), color);
    } else {
        const int y0 = std::min(from.y(), to.y() + 1), y1 = std::max(from.y() + 1, to.y());
        if (y1 > y0)
            p.fillRect(QRect(from.x() - half, y0, t, y1 - y0), color);
    }
}

// The point at angle a (degrees, 0 pointing down, 90 right) and distance d from the centre.
QPoint dialPoint(int cx, int cy, double a, double d)
{
    const double rad = a * M_PI / 180.0;
    return QPoint(cx + roundEven(std::sin(rad) * d), cy + roundEven(std::cos(rad) * d));
}

// Three offset squares: a light edge at the top left, a dark one at the bottom right.
void markSquares(QPainter &p, QPoint c, int s, TColor light, TColor dark, TColor face)
{
    const int x = c.x(), y = c.y();
    framework::FillRect(p, {x - s - 1, y - s - 1, x + s - 1, y + s - 1}, light);
    framework::FillRect(p, {x - s + 1, y - s + 1, x + s + 1, y + s + 1}, dark);
    framework::FillRect(p, {x - s, y - s, x + s, y + s}, face);
}

} // namespace

void TdxfClock::PaintIndicatorFace(const Face &face)
{
    QPainter &p = face.painter;
    const TRect &r = face.inner;
    const QFontMetrics fm = p.fontMetrics();
    const int ch = fm.height();
    const int top = r.top + (r.height() - ch) / 2;
    const int dw = fm.horizontalAdvance(QLatin1Char('H'));
    auto cellWidth = [&](QChar c) { return isAsciiDigit(c) ? dw : fm.horizontalAdvance(c); };
    int total = 0;
    for (QChar c : face.text)
        total += cellWidth(c);
    int x = r.left + (r.width() - total) / 2;
    const QColor ink = framework::toQColor(fontColor());
    for (QChar c : face.text) {
        const int w = cellWidth(c);
        TRect cell{x, top, x + w, top + ch};
        if (!isAsciiDigit(c)) {
            p.save();
            p.setClipRect(cell.toQRect());
            p.setBackgroundMode(Qt::TransparentMode);
            p.setPen(ink);
            p.drawText(QPoint(cell.left, cell.top + fm.ascent()), QString(c));
            p.restore();
        } else {
            int t = cell.height() / 9;
            if (t % 2 == 0)
                t -= 1;
            if (t < 1)
                t = 1;
            cell.inflate(-t, -t);
            const int mid = cell.top + cell.height() / 2;
            const int l = cell.left, rt = cell.right, tp = cell.top, b = cell.bottom;
            const QPoint from[7] = {{l + t, tp},  {rt, tp + t}, {rt, mid + t}, {l + t, b},
                                    {l, mid + t}, {l, tp + t},  {l + t, mid}};
            const QPoint to[7] = {{rt - t, tp}, {rt, mid - t}, {rt, b - t},  {rt - t, b},
                                  {l, b - t},   {l, mid - t},  {rt - t, mid}};
            const quint8 pattern = kSegments[c.unicode() - '0'];
            for (int bit = 0; bit < 7; ++bit)
                if (pattern & (1u << bit))
                    wideLine(p, from[bit], to[bit], t, ink);
        }
        x += w;
    }
}

void TdxfClock::PaintAnalogFace(const Face &face)
{
    QPainter &p = face.painter;
    const int cx = width() / 2, cy = height() / 2;
    int r = std::min(cx, cy);
    p.setFont(font());
    const QFontMetrics fm = p.fontMetrics();
    if (m_hoursDisplayStyle == dsPoints) {
        r -= face.frameWidth + 10;
    } else {
        const int th = fm.height() / 2;
        const int tw =
            fm.horizontalAdvance(m_hoursDisplayStyle == dsRomanNumbers ? QStringLiteral("VIII")
                                                                       : QStringLiteral("12")) /
            2;
        r -= int(std::trunc(std::sqrt(double(th) * th + double(tw) * tw))) + 4;
    }
    // A negative radius would mirror the dial and point the hands at the wrong time.
    if (r <= 0)
        return;

    if (m_drawMask && r > 70) {
        const int s = std::max(1, r / 70 - 1);
        for (int i = 0; i < 60; ++i)
            if (i % 5 != 0)
                markSquares(p, dialPoint(cx, cy, 6.0 * i, r), s, framework::clWhite,
                            framework::RGB(128, 128, 128), framework::RGB(192, 192, 192));
    }
    if (m_drawMask) {
        for (int i = 0; i < 12; ++i) {
            const QPoint pt = dialPoint(cx, cy, 30.0 * i, r);
            if (m_hoursDisplayStyle == dsPoints) {
                markSquares(p, pt, std::max(1, r / 70), framework::RGB(0, 255, 255),
                            framework::RGB(0, 0, 128), framework::RGB(0, 0, 255));
            } else {
                const QString label = QLatin1String(
                    m_hoursDisplayStyle == dsRomanNumbers ? kRomanLabels[i] : kDecimalLabels[i]);
                const int lh = fm.height() / 2, lw = fm.horizontalAdvance(label) / 2;
                p.save();
                p.setBackgroundMode(Qt::TransparentMode);
                p.setPen(framework::toQColor(fontColor()));
                p.drawText(QPoint(pt.x() - lw, pt.y() - lh + fm.ascent()), label);
                p.restore();
            }
        }
    }

    const TdxfHandOptions &h = *m_handOptions;
    auto hand = [&](int length, double theta, TColor color, int penWidth) {
        if (length <= 0)
            return;
        const int len = int(std::trunc(double(length) * r / 100.0));
        const QPoint tip = dialPoint(cx, cy, 180.0 - theta, len);
        const QPoint tail = dialPoint(cx, cy, 360.0 - theta, len / 7.0);
        p.save();
        // The platform's wide pens have round ends.
        p.setPen(QPen(framework::toQColor(color), penWidth, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(tail, tip);
        p.restore();
    };
    hand(h.HourHandLenght(), (face.hour % 12 + face.minute / 60.0) * 30.0, h.HourHandColor(),
         h.HourHandWidth());
    hand(h.MinHandLenght(), (face.minute + face.second / 60.0) * 6.0, h.MinHandColor(),
         h.MinHandWidth());
    if (h.ShowSecHand())
        hand(h.SecHandLenght(), face.second * 6.0, h.SecHandColor(), h.SecHandWidth());

    const int g = r / 20;
    if (g > 0) {
        p.save();
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(framework::toQColor(h.SecHandColor()));
        // The outline stops short of the right and bottom coordinates.
        p.drawEllipse(QRect(cx - g, cy - g, 2 * g - 1, 2 * g - 1));
        p.restore();
    }
}

void TdxfClock::PaintDrumFace(const Face &face)
{
    const TRect &R = face.inner;
    const int W = R.width(), H = R.height();
    // The shading divides by the height; a drum with no room draws nothing.
    if (W < 1 || H < 1)
        return;
    QPainter &p = face.painter;
    QImage drum(W, H, QImage::Format_RGB32);
    QPainter d(&drum);
    d.setFont(font());
    const QFontMetrics fm = d.fontMetrics();

    // Blended from the RGB value: a system colour's raw constant would give a black drum.
    const TColor color = TColor(framework::ColorToRGB(Color()));
    const TColor light = framework::BlendColor(color, framework::clWhite, 2, 3);
    const TColor dark = framework::BlendColor(color, framework::clBlack, 1, 2);
    const int rad = roundEven(std::sqrt(double(H) * H - double(H / 2) * (H / 2)));

    for (int y = 0; y < H; ++y)
        d.fillRect(QRect(0, y, W, 1),
                   framework::toQColor(framework::BlendColor(light, dark, y, H)));

    const QString &text = face.text;
    const QString &old = m_previousDrumText;
    const int n = int(text.size());
    const int k = face.drumStep;
    const int step = H / 10;
    d.setBackgroundMode(Qt::TransparentMode);
    d.setPen(framework::toQColor(fontColor()));
    int x0 = 0;
    for (int i = 0; i < n; ++i) {
        const int w = roundEven(double(W - x0) / double(n - i));
        const QChar c = text.at(i);
        const int cw = fm.horizontalAdvance(c), chh = fm.height();
        const int px = x0 + (w - cw) / 2, py = (H - chh) / 2;
        const bool hasOld = i < old.size();
        if (w > 0) {
            d.setClipRect(QRect(x0, 0, w, H));
            if (hasOld && old.at(i) == c) {
                d.drawText(QPoint(px, py + fm.ascent()), QString(c));
            } else {
                if (hasOld && k != 10)
                    d.drawText(QPoint(px, py + step * k + fm.ascent()), QString(old.at(i)));
                d.drawText(QPoint(px, py - step * (10 - k) + fm.ascent()), QString(c));
            }
            d.setClipping(false);
        }
        const int rightEdge = i == n - 1 ? W - 1 : x0 + w;
        for (int j = 0; j < H; ++j) {
            if (x0 >= 0 && x0 < W)
                drum.setPixel(
                    x0, j,
                    framework::toQColor(framework::BlendColor(framework::clWhite, color, j, H))
                        .rgb());
            if (rightEdge >= 0 && rightEdge < W)
                drum.setPixel(
                    rightEdge, j,
                    framework::toQColor(framework::BlendColor(color, framework::clBlack, j, H))
                        .rgb());
        }
        x0 += w + 1;
    }
    d.end();

    const QColor darkColor = framework::toQColor(dark);
    for (int y = R.top; y < R.bottom; ++y) {
        const int dy = (y - R.top) - H / 2;
        const int s = roundEven(std::sqrt(double(H) * H - double(dy) * dy));
        p.drawImage(QPoint(R.left - s + rad, y), drum, QRect(0, y - R.top, W, 1));
        const int from = R.right - s + rad;
        if (from < R.right)
            p.fillRect(QRect(from, y, R.right - from, 1), darkColor);
    }
}

} // namespace components
