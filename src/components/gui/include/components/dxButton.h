#pragma once

#include "components/dxCore.h"

#include <QImage>
#include <memory>

class QAction;

namespace components {

class TdxButton;

// The eleven colours of a gradient button; a changed colour rebuilds the owner's gradients.
class TdxColors : public QObject
{
    Q_OBJECT
    Q_PROPERTY(framework::TColor BackgroundFrom READ BackgroundFrom WRITE setBackgroundFrom)
    Q_PROPERTY(framework::TColor BackgroundTo READ BackgroundTo WRITE setBackgroundTo)
    Q_PROPERTY(framework::TColor BorderEdges READ BorderEdges WRITE setBorderEdges)
    Q_PROPERTY(framework::TColor BorderLine READ BorderLine WRITE setBorderLine)
    Q_PROPERTY(framework::TColor ClickedFrom READ ClickedFrom WRITE setClickedFrom)
    Q_PROPERTY(framework::TColor ClickedTo READ ClickedTo WRITE setClickedTo)
    Q_PROPERTY(framework::TColor FocusedFrom READ FocusedFrom WRITE setFocusedFrom)
    Q_PROPERTY(framework::TColor FocusedTo READ FocusedTo WRITE setFocusedTo)
    Q_PROPERTY(framework::TColor HighlightFrom READ HighlightFrom WRITE setHighlightFrom)
    Q_PROPERTY(framework::TColor HighlightTo READ HighlightTo WRITE setHighlightTo)
    Q_PROPERTY(framework::TColor HotTrack READ HotTrack WRITE setHotTrack)
public:
    explicit TdxColors(TdxButton *owner);

    framework::TColor BackgroundFrom() const { return m_backgroundFrom; }
    void setBackgroundFrom(framework::TColor value) { set(m_backgroundFrom, value); }
    framework::TColor BackgroundTo() const { return m_backgroundTo; }
    void setBackgroundTo(framework::TColor value) { set(m_backgroundTo, value); }
    framework::TColor BorderEdges() const { return m_borderEdges; }
    void setBorderEdges(framework::TColor value) { set(m_borderEdges, value); }
    framework::TColor BorderLine() const { return m_borderLine; }
    void setBorderLine(framework::TColor value) { set(m_borderLine, value); }
    framework::TColor ClickedFrom() const { return m_clickedFrom; }
    void setClickedFrom(framework::TColor value) { set(m_clickedFrom, value); }
    framework::TColor ClickedTo() const { return m_clickedTo; }
    void setClickedTo(framework::TColor value) { set(m_clickedTo, value); }
    framework::TColor FocusedFrom() const { return m_focusedFrom; }
    void setFocusedFrom(framework::TColor value) { set(m_focusedFrom, value); }
    framework::TColor FocusedTo() const { return m_focusedTo; }
    void setFocusedTo(framework::TColor value) { set(m_focusedTo, value); }
    framework::TColor HighlightFrom() const { return m_highlightFrom; }
    void setHighlightFrom(framework::TColor value) { set(m_highlightFrom, value); }
    framework::TColor HighlightTo() const { return m_highlightTo; }
    void setHighlightTo(framework::TColor value) { set(m_highlightTo, value); }
    framework::TColor HotTrack() const { return m_hotTrack; }
    void setHotTrack(framework::TColor value) { set(m_hotTrack, value); }

private:
    void set(framework::TColor &field, framework::TColor value);

    framework::TColor m_backgroundFrom = framework::TColor(16777215);
    framework::TColor m_backgroundTo = framework::TColor(15199215);
    framework::TColor m_borderEdges = framework::TColor(12632256);
    framework::TColor m_borderLine = framework::TColor(8421504);
    framework::TColor m_clickedFrom = framework::TColor(13029334);
    framework::TColor m_clickedTo = framework::TColor(15463415);
    framework::TColor m_focusedFrom = framework::TColor(16771022);
    framework::TColor m_focusedTo = framework::TColor(15697005);
    framework::TColor m_highlightFrom = framework::TColor(13562879);
    framework::TColor m_highlightTo = framework::TColor(38631);
    framework::TColor m_hotTrack = framework::TColor(255);
    TdxButton *m_owner;
};

// Connects a button to an action: the action's icon is the button's picture while it has one.
// The button owns it.
class TdxButtonActionLink : public QObject
{
    Q_OBJECT
public:
    TdxButtonActionLink(TdxButton *client, QAction *action);
    ~TdxButtonActionLink() override;

    QAction *action() const { return m_action; }
    // The action's picture, or an empty image.
    QImage image() const;

private:
    void actionChanged();

    TdxButton *m_client;
    QPointer<QAction> m_action;
};

// A push button drawn as a rounded frame around a colour gradient that follows its state.
class TdxButton : public TdxCustomControl
{
    Q_OBJECT
    Q_PROPERTY(bool AutoGray READ AutoGray WRITE setAutoGray)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE setGlyph)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE setHotTrack)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE setImageIndex)
    Q_PROPERTY(TdxLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(components::TdxColors *Colors READ Colors WRITE setColors)
    Q_PROPERTY(TdxQuality Quality READ Quality WRITE setQuality)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(bool ShowFocusRect READ ShowFocusRect WRITE setShowFocusRect)
    Q_PROPERTY(int Spacing READ Spacing WRITE setSpacing)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
public:
    enum TdxLayout : quint8 { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    Q_ENUM(TdxLayout)
    enum TdxQuality : quint8 { bqLow, bqMiddle, bqHigh };
    Q_ENUM(TdxQuality)

    explicit TdxButton(QWidget *parent = nullptr);
    ~TdxButton() override;

    bool AutoGray() const { return m_autoGray; }
    virtual void setAutoGray(bool value);
    bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }
    bool Default() const { return m_default; }
    virtual void setDefault(bool value);
    QImage Glyph() const { return m_glyph; }
    virtual void setGlyph(const QImage &value);
    bool HotTrack() const { return m_hotTrack; }
    virtual void setHotTrack(bool value);
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int value);
    TdxLayout Layout() const { return m_layout; }
    virtual void setLayout(TdxLayout value);
    TdxColors *Colors() const { return m_colors; }
    void setColors(TdxColors *value);
    TdxQuality Quality() const { return m_quality; }
    virtual void setQuality(TdxQuality value);
    bool ShowAccelChar() const { return m_showAccelChar; }
    virtual void setShowAccelChar(bool value);
    bool ShowFocusRect() const { return m_showFocusRect; }
    virtual void setShowFocusRect(bool value);
    // 0 to 255; values outside are clamped.
    int Spacing() const { return m_spacing; }
    virtual void setSpacing(int value);
    bool WordWrap() const { return m_wordWrap; }
    virtual void setWordWrap(bool value);

    void setAction(QAction *value) override;

    // Whether the ring of the focused or highlight gradient is drawn, with or without the
    // clause for a default button while no gradient control is active.
    bool Emphasized(bool withDefaultClause) const;
    // Rebuilds the four gradient images and repaints.
    void RebuildImages();

    // The prepared gradients, for inspection.
    const QImage &normalImage() const { return m_normal; }
    const QImage &clickedImage() const { return m_clicked; }
    const QImage &focusedImage() const { return m_focused; }
    const QImage &highlightImage() const { return m_highlight; }

    bool DialogKey(int virtualKey, Qt::KeyboardModifiers modifiers) override;

    // Draws the button as it is now.
    void PaintTo(QPainter &painter);

protected:
    QString GetVersion() const override;
    void DoSizeChanged() override;
    void ActionChanged() override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    friend class TdxButtonActionLink;
    QImage workingPicture() const;
    void buildImages();

    bool m_autoGray = true;
    QImage m_normal;
    bool m_cancel = false;
    QImage m_clicked;
    bool m_default = false;
    QImage m_focused;
    QImage m_glyph;
    QImage m_highlight;
    bool m_hotTrack = false;
    std::unique_ptr<TdxButtonActionLink> m_actionLink; // owned here, not by Qt, so it goes at once
    int m_imageIndex = -1;
    TdxLayout m_layout = blGlyphLeft;
    TdxColors *m_colors;
    TdxQuality m_quality = bqMiddle;
    bool m_showAccelChar = true;
    bool m_showFocusRect = true;
    int m_spacing = 3;
    bool m_wordWrap = true;
    QSize m_builtFor;
};

} // namespace components
