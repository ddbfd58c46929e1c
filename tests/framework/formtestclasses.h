#pragma once

#include "framework/formreader.h"

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QWidget>

// A colour-like value type of its own, to try converters registered per meta-type.
struct TestColor
{
    quint32 value = 0;
    bool operator==(const TestColor &other) const { return value == other.value; }
};
Q_DECLARE_METATYPE(TestColor)

// An enumeration without meta-object keys, as the colour type is.
enum TestShade : qint32 { shDark = 0 };
Q_DECLARE_METATYPE(TestShade)

// What the components did, in order: "create Name", "Name.Property=value".
QStringList &formLog();

class THandOptions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TestColor HourHandColor READ HourHandColor WRITE setHourHandColor)
    Q_PROPERTY(int Length READ Length WRITE setLength)
public:
    explicit THandOptions(QObject *parent) : QObject(parent) {}
    TestColor HourHandColor() const { return m_color; }
    void setHourHandColor(TestColor c);
    int Length() const { return m_length; }
    void setLength(int l);

private:
    TestColor m_color;
    int m_length = 0;
};

class TThing : public QObject
{
    Q_OBJECT
public:
    enum TThingKind : quint8 { tkOne, tkTwo, tkThree };
    Q_ENUM(TThingKind)
    enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
    Q_DECLARE_FLAGS(TAnchors, TAnchor)
    Q_FLAG(TAnchors)

private:
    Q_PROPERTY(int Count READ Count WRITE setCount)
    Q_PROPERTY(short Small READ Small WRITE setSmall)
    Q_PROPERTY(uchar Byte READ Byte WRITE setByte)
    Q_PROPERTY(qint64 Big READ Big WRITE setBig)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(double Ratio READ Ratio WRITE setRatio)
    Q_PROPERTY(float Scale READ Scale WRITE setScale)
    Q_PROPERTY(QChar Letter READ Letter WRITE setLetter)
    Q_PROPERTY(TThingKind Kind READ Kind WRITE setKind)
    Q_PROPERTY(TAnchors Anchors READ Anchors WRITE setAnchors)
    Q_PROPERTY(QByteArray Data READ Data WRITE setData)
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
    Q_PROPERTY(TestColor Color READ Color WRITE setColor)
    Q_PROPERTY(THandOptions *HandOptions READ HandOptions)
    Q_PROPERTY(QObject *Buddy READ Buddy WRITE setBuddy)
    Q_PROPERTY(QString Version READ Version)
    Q_PROPERTY(TestShade Shade READ Shade WRITE setShade)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)

public:
    explicit TThing(QObject *owner);

    int Count() const { return m_count; }
    void setCount(int v);
    short Small() const { return m_small; }
    void setSmall(short v);
    uchar Byte() const { return m_byte; }
    void setByte(uchar v) { m_byte = v; }
    qint64 Big() const { return m_big; }
    void setBig(qint64 v) { m_big = v; }
    float Scale() const { return m_scale; }
    void setScale(float v) { m_scale = v; }
    QChar Letter() const { return m_letter; }
    void setLetter(QChar v) { m_letter = v; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString &v);
    bool Active() const { return m_active; }
    void setActive(bool v);
    double Ratio() const { return m_ratio; }
    void setRatio(double v);
    TThingKind Kind() const { return m_kind; }
    void setKind(TThingKind v);
    TAnchors Anchors() const { return m_anchors; }
    void setAnchors(TAnchors v);
    QByteArray Data() const { return m_data; }
    void setData(const QByteArray &v);
    QStringList Lines() const { return m_lines; }
    void setLines(const QStringList &v);
    TestColor Color() const { return m_color; }
    void setColor(TestColor v);
    THandOptions *HandOptions() const { return m_options; }
    QObject *Buddy() const { return m_buddy; }
    void setBuddy(QObject *v);
    QString Version() const { return QStringLiteral("1.0"); }
    TestShade Shade() const { return m_shade; }
    void setShade(TestShade v) { m_shade = v; }
    QImage Picture() const { return m_picture; }
    void setPicture(const QImage &v) { m_picture = v; }

    void click() { emit OnClick(this); }
    void change(int v) { emit OnChange(this, v); }

signals:
    void OnClick(QObject *Sender);
    void OnChange(QObject *Sender, int value);

private:
    int m_count = 0;
    short m_small = 0;
    uchar m_byte = 0;
    qint64 m_big = 0;
    float m_scale = 0;
    QChar m_letter;
    QString m_caption;
    bool m_active = false;
    double m_ratio = 0;
    TThingKind m_kind = tkOne;
    TAnchors m_anchors;
    QByteArray m_data;
    QStringList m_lines;
    TestColor m_color;
    THandOptions *m_options;
    QObject *m_buddy = nullptr;
    TestShade m_shade = shDark;
    QImage m_picture;
};

// A control: may hold other controls.
class TBox : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int Left READ Left WRITE setLeft)
public:
    explicit TBox(QWidget *parent);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &v);
    int Left() const { return x(); }
    void setLeft(int v);
    void click() { emit OnClick(this); }

signals:
    void OnClick(QObject *Sender);

private:
    QString m_caption;
};

// The owner window's side: the slots events bind to, and the root's own values.
class TTestForm : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TTestForm(QWidget *parent = nullptr) : QWidget(parent) {}
    QString Caption() const { return m_caption; }
    void setCaption(const QString &v);
    void create() { emit OnCreate(this); }

    QStringList calls;

signals:
    void OnCreate(QObject *Sender);

public slots:
    void FormCreate(QObject *Sender);
    void ThingClick(QObject *Sender);
    void ThingChange(QObject *Sender, int value);
    void NoArguments();
    void TakesText(const QString &text);

private:
    QString m_caption;
};

// The phase-one owner: a plain object with the same handlers.
class TTestCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    QString Caption() const { return m_caption; }
    void setCaption(const QString &v) { m_caption = v; }
    void create() { emit OnCreate(this); }

    QStringList calls;

signals:
    void OnCreate(QObject *Sender);

public slots:
    void FormCreate(QObject *Sender);
    void ThingClick(QObject *Sender);
    void ThingChange(QObject *Sender, int value);
    void NoArguments();
    void TakesText(const QString &text);

private:
    QString m_caption;
};

// A reader that knows the classes above (TThing, THandOptions, the control TBox), pictures
// and the colour names clRed and clSkyBlue.
framework::FormReader testFormReader();
