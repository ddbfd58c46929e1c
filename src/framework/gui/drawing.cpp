#include "framework/drawing.h"

#include <QFontMetrics>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace framework {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    if (c < 0) {
        a = -a;
        c = -c;
    }
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    const long long q = product < 0 ? (product - half) / c : (product + half) / c;
    if (q > INT_MAX || q < INT_MIN)
        return -1;
    return static_cast<int>(q);
}

namespace {

struct Line
{
    QString text;
    int accel = -1; // index of the underlined character within text
};

// Removes the accelerator marks; `accel` receives the index of the marked character.
QString stripPrefix(const QString &text, int &accel)
{
    QString shown;
    shown.reserve(text.size());
    accel = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&') && accel < 0)
                accel = int(shown.size());
        } else if (text[i] == QLatin1Char('&')) {
            continue; // a trailing "&" marks nothing
        }
        shown.append(text[i]);
    }
    return shown;
}

std::vector<Line> layout(const QFontMetrics &fm, const QString &shown, int accel, int width,
                         unsigned format)
{
    std::vector<Line> lines;
    if (shown.isEmpty())
        return lines;
    auto push = [&](int start, int end) {
        Line l;
        l.text = shown.mid(start, end - start);
        if (accel >= start && accel < end)
            l.accel = accel - start;
        if ((format & DT_END_ELLIPSIS) && fm.horizontalAdvance(l.text) > width) {
            l.text = fm.elidedText(l.text, Qt::ElideRight, width);
            if (l.accel >= l.text.size() - 1)
                l.accel = -1;
        }
        lines.push_back(l);
    };
    const int n = int(shown.size());
    int ps = 0;
    while (ps <= n) {
        int pe = ps;
        if (format & DT_SINGLELINE) {
            pe = n;
        } else {
            while (pe < n && shown[pe] != QLatin1Char('\n'))
                ++pe;
        }
        int textEnd = pe;
        if (textEnd > ps && shown[textEnd - 1] == QLatin1Char('\r'))
            --textEnd;
        if (!(format & DT_WORDBREAK)) {
            push(ps, textEnd);
        } else {
            int lineStart = ps;
            int lineEnd = ps;
            int pos = ps;
            while (pos < textEnd) {
                int ws = pos;
                while (ws < textEnd && shown[ws] == QLatin1Char(' '))
                    ++ws;
                if (ws == textEnd)
                    break;
                int we = ws;
                while (we < textEnd && shown[we] != QLatin1Char(' '))
                    ++we;
                const bool empty = lineEnd == lineStart;
                if (empty || fm.horizontalAdvance(shown.mid(lineStart, we - lineStart)) <= width) {
                    lineEnd = we;
                } else {
                    push(lineStart, lineEnd);
                    lineStart = ws;
                    lineEnd = we;
                }
                pos = we;
            }
            push(lineStart, lineEnd);
        }
        if (pe >= n)
            break;
        ps = pe + 1;
    }
    return lines;
}

} // namespace

int DrawTextA(QPainter &painter, const QString &text, TRect &rect, unsigned format)
{
    const QFontMetrics fm = painter.fontMetrics();
    int accel = -1;
    QString shown;
    if (format & DT_NOPREFIX)
        shown = text;
    else
        shown = stripPrefix(text, accel);
    if (format & DT_SINGLELINE) {
        shown.replace(QLatin1Char('\r'), QLatin1Char(' '));
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    const std::vector<Line> lines = layout(fm, shown, accel, rect.width(), format);
    const int lh = fm.height();
    const int height = int(lines.size()) * lh;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line &l : lines)
            widest = std::max(widest, fm.horizontalAdvance(l.text));
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }
    painter.save();
    if (!(format & DT_NOCLIP))
        painter.setClipRect(rect.toQRect(), Qt::IntersectClip);
    painter.setBackgroundMode(Qt::TransparentMode);
    int y = rect.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.top + (rect.height() - lh) / 2;
        else if (format & DT_BOTTOM)
            y = rect.bottom - lh;
    }
    const QColor color = painter.pen().color();
    for (const Line &l : lines) {
        const int w = fm.horizontalAdvance(l.text);
        int x = rect.left;
        if (format & DT_CENTER)
            x = rect.left + (rect.width() - w) / 2;
        else if (format & DT_RIGHT)
            x = rect.right - w;
        painter.drawText(QPoint(x, y + fm.ascent()), l.text);
        if (l.accel >= 0) {
            const int ux = x + fm.horizontalAdvance(l.text.left(l.accel));
            const int uw = fm.horizontalAdvance(l.text.mid(l.accel, 1));
            painter.fillRect(
                QRect(ux, y + fm.ascent() + fm.underlinePos(), uw, std::max(1, fm.lineWidth())),
                color);
        }
        y += lh;
    }
    painter.restore();
    return height;
}

QChar GetHotkey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1];
        ++i; // "&&" is a literal ampersand
    }
    return {};
}

bool IsAccel(QChar ch, const QString &caption)
{
    const QChar hot = GetHotkey(caption);
    return !hot.isNull() && !ch.isNull() && hot.toUpper() == ch.toUpper();
}

void BitBlt(QPainter &dest, int x, int y, int w, int h, const QImage &source, int sx, int sy,
            std::uint32_t /*rop*/)
{
    if (w <= 0 || h <= 0 || source.isNull())
        return;
    const QRect src = QRect(sx, sy, w, h).intersected(source.rect());
    if (src.isEmpty())
        return;
    dest.save();
    dest.setCompositionMode(QPainter::CompositionMode_Source);
    dest.drawImage(QPoint(x + src.left() - sx, y + src.top() - sy), source, src);
    dest.restore();
}

void StretchBlt(QPainter &dest, int x, int y, int w, int h, const QImage &source, int sx, int sy,
                int sw, int sh, std::uint32_t /*rop*/, int /*mode*/)
{
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0 || source.isNull())
        return;
    dest.save();
    // Nearest pixel, as COLORONCOLOR drops or repeats whole pixels without blending.
    dest.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dest.setCompositionMode(QPainter::CompositionMode_Source);
    dest.drawImage(QRect(x, y, w, h), source, QRect(sx, sy, sw, sh));
    dest.restore();
}

void DrawFocusRect(QPainter &painter, const TRect &r)
{
    if (r.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 1));
    painter.setRenderHint(QPainter::Antialiasing, false);
    auto dot = [&painter](int x, int y) {
        if (((x + y) & 1) == 0)
            painter.drawPoint(x, y);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top)
            dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left)
            dot(r.right - 1, y);
    }
    painter.restore();
}

void LineTo(QPainter &painter, QPoint from, QPoint to)
{
    const QColor color = painter.pen().color();
    int x0 = from.x(), y0 = from.y();
    const int x1 = to.x(), y1 = to.y();
    if (y0 == y1) {
        if (x1 > x0)
            painter.fillRect(QRect(x0, y0, x1 - x0, 1), color);
        else if (x1 < x0)
            painter.fillRect(QRect(x1 + 1, y0, x0 - x1, 1), color);
        return;
    }
    if (x0 == x1) {
        if (y1 > y0)
            painter.fillRect(QRect(x0, y0, 1, y1 - y0), color);
        else
            painter.fillRect(QRect(x0, y1 + 1, 1, y0 - y1), color);
        return;
    }
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        painter.fillRect(QRect(x0, y0, 1, 1), color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void FillRect(QPainter &painter, const TRect &rect, TColor color)
{
    if (rect.isEmpty())
        return;
    painter.fillRect(rect.toQRect(), toQColor(color));
}

void Frame3D(QPainter &p, TRect &r, TColor topLeft, TColor bottomRight, int w)
{
    const QColor tl = toQColor(topLeft);
    const QColor br = toQColor(bottomRight);
    r.bottom -= 1;
    r.right -= 1;
    for (int i = 0; i < w; ++i) {
        p.setPen(QPen(tl, 1));
        LineTo(p, {r.left, r.bottom}, {r.left, r.top});
        LineTo(p, {r.left, r.top}, {r.right, r.top});
        p.setPen(QPen(br, 1));
        LineTo(p, {r.right, r.top}, {r.right, r.bottom});
        LineTo(p, {r.right, r.bottom}, {r.left - 1, r.bottom});
        r.inflate(-1, -1);
    }
    r.bottom += 1;
    r.right += 1;
}

QRgb TransparentColorOf(const QImage &image)
{
    if (image.isNull())
        return 0;
    return image.pixel(0, image.height() - 1);
}

QImage MaskedByColor(const QImage &image, QRgb key)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = key & 0xFFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == k)
                line[x] = 0;
        }
    }
    return out;
}

int RandomSource::next(int n)
{
    if (n <= 0)
        return 0;
    m_seed = m_seed * 134775813u + 1u;
    return int((std::uint64_t(m_seed) * std::uint64_t(n)) >> 32);
}

} // namespace framework
