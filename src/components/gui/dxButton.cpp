#include "components/dxButton.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>

namespace components {

using framework::TColor;
using framework::TRect;

// ---- TdxColors

TdxColors::TdxColors(TdxButton *owner) : QObject(owner), m_owner(owner) {}

void TdxColors::set(TColor &field, TColor value)
{
    if (field == value)
        return;
    field = value;
    if (m_owner != nullptr)
        m_owner->RebuildImages();
}

// ---- TdxButtonActionLink

TdxButtonActionLink::TdxButtonActionLink(TdxButton *client, QAction *action)
    : m_client(client), m_action(action)
{
    if (action != nullptr)
        connect(action, &QAction::changed, this, &TdxButtonActionLink::actionChanged);
    actionChanged();
}

TdxButtonActionLink::~TdxButtonActionLink()
{
    m_client->update();
}

QImage TdxButtonActionLink::image() const
{
    if (m_action == nullptr || m_action->icon().isNull())
        return {};
    const QIcon icon = m_action->icon();
    const QList<QSize> sizes = icon.availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.first();
    return icon.pixmap(size).toImage();
}

void TdxButtonActionLink::actionChanged()
{
    m_client->m_imageIndex = image().isNull() ? -1 : 0;
    m_client->update();
}

// ---- TdxButton

TdxButton::TdxButton(QWidget *parent) : TdxCustomControl(parent), m_colors(new TdxColors(this))
{
    resize(73, 25);
}

TdxButton::~TdxButton() = default;

QString TdxButton::GetVersion() const
{
    return QStringLiteral("1.0");
}

void TdxButton::setAutoGray(bool value)
{
    if (value == m_autoGray)
        return;
    m_autoGray = value;
    update();
}

void TdxButton::setDefault(bool value)
{
    if (value == m_default)
        return;
    m_default = value;
    NotifyFocusChanged(window());
}

void TdxButton::setGlyph(const QImage &value)
{
    m_glyph = value;
    update();
}

void TdxButton::setHotTrack(bool value)
{
    if (value == m_hotTrack)
        return;
    m_hotTrack = value;
    update();
}

void TdxButton::setImageIndex(int value)
{
    m_imageIndex = value;
    update();
}

void TdxButton::setLayout(TdxLayout value)
{
    if (value == m_layout)
        return;
    m_layout = value;
    update();
}

void TdxButton::setColors(TdxColors *value)
{
    if (value == nullptr || value == m_colors)
        return;
    m_colors->setBackgroundFrom(value->BackgroundFrom());
    m_colors->setBackgroundTo(value->BackgroundTo());
    m_colors->setBorderEdges(value->BorderEdges());
    m_colors->setBorderLine(value->BorderLine());
    m_colors->setClickedFrom(value->ClickedFrom());
    m_colors->setClickedTo(value->ClickedTo());
    m_colors->setFocusedFrom(value->FocusedFrom());
    m_colors->setFocusedTo(value->FocusedTo());
    m_colors->setHighlightFrom(value->HighlightFrom());
    m_colors->setHighlightTo(value->HighlightTo());
    m_colors->setHotTrack(value->HotTrack());
}

void TdxButton::setQuality(TdxQuality value)
{
    if (value == m_quality)
        return;
    m_quality = value;
    RebuildImages();
}

void TdxButton::setShowAccelChar(bool value)
{
    if (value == m_showAccelChar)
        return;
    m_showAccelChar = value;
    update();
}

void TdxButton::setShowFocusRect(bool value)
{
    if (value == m_showFocusRect)
        return;
    m_showFocusRect = value;
    update();
}

void TdxButton::setSpacing(int value)
{
    value = std::clamp(value, 0, 255);
    if (value == m_spacing)
        return;
    m_spacing = value;
    update();
}

void TdxButton::setWordWrap(bool value)
{
    if (value == m_wordWrap)
        return;
    m_wordWrap = value;
    update();
}

void TdxButton::setAction(QAction *value)
{
    if (value == Action())
        return;
    m_actionLink.reset();
    TdxCustomControl::setAction(value);
    if (value != nullptr)
        m_actionLink = std::make_unique<TdxButtonActionLink>(this, value);
    update();
}

void TdxButton::ActionChanged()
{
    TdxCustomControl::ActionChanged();
    if (m_actionLink != nullptr)
        m_imageIndex = m_actionLink->image().isNull() ? -1 : 0;
    update();
}

bool TdxButton::Emphasized(bool withDefaultClause) const
{
    bool holds = isPressed() ? !isHot() : (isHot() || isFocusedFlag());
    if (withDefaultClause && m_default && !isActiveControlFlag())
        holds = true;
    return holds;
}

void TdxButton::RebuildImages()
{
    buildImages();
    update();
}

void TdxButton::buildImages()
{
    const int bands = m_quality == bqLow ? 8 : m_quality == bqMiddle ? 16 : 64;
    const bool dither = m_quality == bqHigh;
    const int e = Emphasized(false) ? 4 : 0;
    const int w = width(), h = height();
    GradientFill(w - 2 - e, h - 2 - e, m_colors->BackgroundFrom(), m_colors->BackgroundTo(), bands,
                 dither, m_normal);
    GradientFill(w - 2, h - 2, m_colors->ClickedFrom(), m_colors->ClickedTo(), bands, dither,
                 m_clicked);
    GradientFill(w - 2, h - 2, m_colors->FocusedFrom(), m_colors->FocusedTo(), bands, dither,
                 m_focused);
    GradientFill(w - 2, h - 2, m_colors->HighlightFrom(), m_colors->HighlightTo(), bands, dither,
                 m_highlight);
    m_builtFor = size();
}

void TdxButton::DoSizeChanged()
{
    RebuildImages();
}

QImage TdxButton::workingPicture() const
{
    if (m_actionLink != nullptr && m_imageIndex == 0) {
        const QImage image = m_actionLink->image();
        if (!image.isNull())
            return image;
    }
    return m_glyph;
}

void TdxButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintTo(p);
}

void TdxButton::PaintTo(QPainter &p)
{
    // A size change that has not been delivered yet still calls for new images.
    if (m_builtFor != size())
        buildImages();
    const int W = width(), H = height();
    p.setRenderHint(QPainter::Antialiasing, false);
    framework::FillRect(p, {0, 0, W, H}, Color());

    const bool emphasis = Emphasized(true);
    if (emphasis)
        framework::BitBlt(p, 1, 1, W, H, isHot() ? m_highlight : m_focused, 0, 0);
    if (isHot() && isPressed()) {
        framework::BitBlt(p, 1, 1, W, H, m_clicked, 0, 0);
    } else {
        const int a = emphasis ? 1 : 0;
        framework::BitBlt(p, 1 + 2 * a, 1 + 2 * a, W - 6 * a, H - 6 * a, m_normal, 0, 0);
    }

    // The frame: straight edges with the one-pixel diagonal of a 5 x 5 corner arc.
    p.setPen(framework::toQColor(m_colors->BorderLine()));
    framework::LineTo(p, {2, 0}, {W - 2, 0});
    framework::LineTo(p, {2, H - 1}, {W - 2, H - 1});
    framework::LineTo(p, {0, 2}, {0, H - 2});
    framework::LineTo(p, {W - 1, 2}, {W - 1, H - 2});
    p.drawPoint(1, 1);
    p.drawPoint(W - 2, 1);
    p.drawPoint(1, H - 2);
    p.drawPoint(W - 2, H - 2);

    p.setPen(framework::toQColor(framework::clSilver));
    framework::LineTo(p, {0, 1}, {2, 0});
    framework::LineTo(p, {W - 2, 0}, {W, 2});
    framework::LineTo(p, {0, H - 2}, {2, H});
    framework::LineTo(p, {W - 3, H}, {W, H - 3});

    unsigned format = framework::DT_END_ELLIPSIS;
    if (m_wordWrap)
        format |= framework::DT_WORDBREAK;

    QImage picture = workingPicture();
    if (!picture.isNull() && m_autoGray && !isEnabled()) {
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb c = line[x];
                const int v = ((qRed(c) + qGreen(c) + qBlue(c)) / 3) / 2 + 96;
                line[x] = qRgba(v, v, v, qAlpha(c));
            }
        }
    }

    TColor fontColour = fontColor();
    if (m_hotTrack && isHot())
        fontColour = m_colors->HotTrack();

    TRect r{0, 0, W, H};
    const int gw = picture.width(), gh = picture.height(), s = m_spacing;
    if (!picture.isNull()) {
        switch (m_layout) {
        case blGlyphLeft:
            r.left += gw + s;
            break;
        case blGlyphRight:
            r.left -= gw + s;
            r.right -= 2 * (gw + s);
            format |= framework::DT_RIGHT;
            break;
        case blGlyphTop:
            r.top += gh + s;
            break;
        case blGlyphBottom:
            r.top -= gh + s;
            break;
        }
    }
    DrawButtonText(p, Caption(), format | framework::DT_CALCRECT, r, m_showAccelChar, isEnabled(),
                   font(), fontColour, BiDiMode());
    r.offset((W - r.right) / 2, (H - r.bottom) / 2);
    int shift = 0;
    if (isHot() && isPressed()) {
        r.offset(1, 1);
        shift = 1;
    }
    if (!picture.isNull()) {
        const QImage shown =
            framework::MaskedByColor(picture, framework::TransparentColorOf(picture));
        QPoint at;
        switch (m_layout) {
        case blGlyphLeft:
            at = {r.left - gw - s, (H - gh) / 2 + shift};
            break;
        case blGlyphRight:
            at = {r.right + s, (H - gh) / 2 + shift};
            break;
        case blGlyphTop:
            at = {(W - gw) / 2 + shift, r.top - gh - s};
            break;
        case blGlyphBottom:
            at = {(W - gw) / 2 + shift, r.bottom + s};
            break;
        }
        p.drawImage(at, shown);
    }
    if (isFocusedFlag() && m_showFocusRect)
        framework::DrawFocusRect(p, {3, 3, W - 3, H - 3});
    p.setBackgroundMode(Qt::TransparentMode);
    DrawButtonText(p, Caption(), format, r, m_showAccelChar, isEnabled(), font(), fontColour,
                   BiDiMode());
}

void TdxButton::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool space = event->key() == Qt::Key_Space && mods == Qt::NoModifier;
    if (space) {
        setHot(true);
        DoMouseDown();
    }
    emit OnKeyDown(this, virtualKeyOf(event->key()), shiftStateOf(event->modifiers()));
    // Other keys travel on, so that the window can offer Enter, Escape and accelerators.
    if (space)
        event->accept();
    else
        event->ignore();
}

void TdxButton::keyReleaseEvent(QKeyEvent *event)
{
    // Held keys repeat their presses only; the button acts on the real release.
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    if (isPressed()) {
        const QPoint at = mapFromGlobal(cursorPos());
        if (!rect().contains(at))
            setHot(false);
        setPressed(false);
        update();
        Click();
    }
    emit OnKeyUp(this, virtualKeyOf(event->key()), shiftStateOf(event->modifiers()));
    event->ignore();
}

bool TdxButton::DialogKey(int virtualKey, Qt::KeyboardModifiers modifiers)
{
    bool wanted = false;
    if (virtualKey == VK_RETURN)
        wanted = hasFocus() || (m_default && !isActiveControlFlag());
    else if (virtualKey == VK_ESCAPE)
        wanted =
            m_cancel && !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (!wanted || !CanFocus())
        return false;
    Click();
    return true;
}

} // namespace components
