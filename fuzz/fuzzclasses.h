#pragma once

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QStringList>

enum TFuzzShade : qint32 { fsDark = 0 }; // no meta-object keys, as the colour type
Q_DECLARE_METATYPE(TFuzzShade)

// Components with a property of every kind the reader converts to.
class TFuzzSub : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Length READ Length WRITE setLength)
    Q_PROPERTY(quint32 Tint READ Tint WRITE setTint)
public:
    explicit TFuzzSub(QObject *parent) : QObject(parent) {}
    int Length() const { return m_length; }
    void setLength(int v) { m_length = v; }
    quint32 Tint() const { return m_tint; }
    void setTint(quint32 v) { m_tint = v; }

private:
    int m_length = 0;
    quint32 m_tint = 0;
};

class TFuzzThing : public QObject
{
    Q_OBJECT
public:
    enum TFuzzKind : quint8 { fkOne, fkTwo };
    Q_ENUM(TFuzzKind)
    enum TFuzzAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    Q_DECLARE_FLAGS(TFuzzAnchors, TFuzzAnchor)
    Q_FLAG(TFuzzAnchors)

private:
    Q_PROPERTY(int Count READ Count WRITE setCount)
    Q_PROPERTY(short Small READ Small WRITE setSmall)
    Q_PROPERTY(uchar Byte READ Byte WRITE setByte)
    Q_PROPERTY(qint64 Big READ Big WRITE setBig)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(double Ratio READ Ratio WRITE setRatio)
    Q_PROPERTY(float Scale READ Scale WRITE setScale)
    Q_PROPERTY(TFuzzKind Kind READ Kind WRITE setKind)
    Q_PROPERTY(TFuzzAnchors Anchors READ Anchors WRITE setAnchors)
    Q_PROPERTY(QByteArray Data READ Data WRITE setData)
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
    Q_PROPERTY(QChar Letter READ Letter WRITE setLetter)
    Q_PROPERTY(TFuzzSub *Sub READ Sub)
    Q_PROPERTY(QObject *Buddy READ Buddy WRITE setBuddy)
    Q_PROPERTY(QString Version READ Caption)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(TFuzzShade Shade READ Shade WRITE setShade)

public:
    explicit TFuzzThing(QObject *owner) : QObject(owner), m_sub(new TFuzzSub(this)) {}

    int Count() const { return m_count; }
    void setCount(int v) { m_count = v; }
    short Small() const { return m_small; }
    void setSmall(short v) { m_small = v; }
    uchar Byte() const { return m_byte; }
    void setByte(uchar v) { m_byte = v; }
    qint64 Big() const { return m_big; }
    void setBig(qint64 v) { m_big = v; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString &v) { m_caption = v; }
    bool Active() const { return m_active; }
    void setActive(bool v) { m_active = v; }
    double Ratio() const { return m_ratio; }
    void setRatio(double v) { m_ratio = v; }
    float Scale() const { return m_scale; }
    void setScale(float v) { m_scale = v; }
    TFuzzKind Kind() const { return m_kind; }
    void setKind(TFuzzKind v) { m_kind = v; }
    TFuzzAnchors Anchors() const { return m_anchors; }
    void setAnchors(TFuzzAnchors v) { m_anchors = v; }
    QByteArray Data() const { return m_data; }
    void setData(const QByteArray &v) { m_data = v; }
    QStringList Lines() const { return m_lines; }
    void setLines(const QStringList &v) { m_lines = v; }
    QChar Letter() const { return m_letter; }
    void setLetter(QChar v) { m_letter = v; }
    TFuzzSub *Sub() const { return m_sub; }
    QImage Picture() const { return m_picture; }
    void setPicture(const QImage &v) { m_picture = v; }
    TFuzzShade Shade() const { return m_shade; }
    void setShade(TFuzzShade v) { m_shade = v; }
    QObject *Buddy() const { return m_buddy; }
    void setBuddy(QObject *v) { m_buddy = v; }

signals:
    void OnClick(QObject *Sender);
    void OnChange(QObject *Sender, int value);

private:
    int m_count = 0;
    short m_small = 0;
    uchar m_byte = 0;
    qint64 m_big = 0;
    QString m_caption;
    bool m_active = false;
    double m_ratio = 0;
    float m_scale = 0;
    TFuzzKind m_kind = fkOne;
    TFuzzAnchors m_anchors;
    QByteArray m_data;
    QStringList m_lines;
    QChar m_letter;
    TFuzzSub *m_sub;
    QObject *m_buddy = nullptr;
    QImage m_picture;
    TFuzzShade m_shade = fsDark;
};

class TFuzzOwner : public QObject
{
    Q_OBJECT
public slots:
    void FormCreate(QObject *) {}
    void ThingClick(QObject *) {}
    void ThingChange(QObject *, int) {}
    void NoArguments() {}
    void TakesText(const QString &) {}
};
