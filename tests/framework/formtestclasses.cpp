#include "formtestclasses.h"

#include "framework/formcontrols.h"
#include "framework/formpictures.h"

namespace {
QString who(const QObject *o)
{
    return o->objectName();
}
} // namespace

QStringList &formLog()
{
    static QStringList log;
    return log;
}

void THandOptions::setHourHandColor(TestColor c)
{
    m_color = c;
    formLog() << QStringLiteral("%1.HourHandColor=%2").arg(who(parent())).arg(c.value);
}

void THandOptions::setLength(int l)
{
    m_length = l;
    formLog() << QStringLiteral("%1.Length=%2").arg(who(parent())).arg(l);
}

TThing::TThing(QObject *owner) : QObject(owner), m_options(new THandOptions(this))
{
    formLog() << QStringLiteral("create TThing");
}

void TThing::setCount(int v)
{
    m_count = v;
    formLog() << QStringLiteral("%1.Count=%2").arg(who(this)).arg(v);
}
void TThing::setSmall(short v)
{
    m_small = v;
    formLog() << QStringLiteral("%1.Small=%2").arg(who(this)).arg(v);
}
void TThing::setCaption(const QString &v)
{
    m_caption = v;
    formLog() << QStringLiteral("%1.Caption=%2").arg(who(this), v);
}
void TThing::setActive(bool v)
{
    m_active = v;
    formLog() << QStringLiteral("%1.Active=%2").arg(who(this)).arg(v);
}
void TThing::setRatio(double v)
{
    m_ratio = v;
    formLog() << QStringLiteral("%1.Ratio=%2").arg(who(this)).arg(v);
}
void TThing::setKind(TThingKind v)
{
    m_kind = v;
    formLog() << QStringLiteral("%1.Kind=%2").arg(who(this)).arg(int(v));
}
void TThing::setAnchors(TAnchors v)
{
    m_anchors = v;
    formLog() << QStringLiteral("%1.Anchors=%2").arg(who(this)).arg(int(v));
}
void TThing::setData(const QByteArray &v)
{
    m_data = v;
    formLog() << QStringLiteral("%1.Data=%2").arg(who(this), QString::fromLatin1(v.toHex()));
}
void TThing::setLines(const QStringList &v)
{
    m_lines = v;
    formLog() << QStringLiteral("%1.Lines=%2").arg(who(this), v.join(QLatin1Char('|')));
}
void TThing::setColor(TestColor v)
{
    m_color = v;
    formLog() << QStringLiteral("%1.Color=%2").arg(who(this)).arg(v.value);
}
void TThing::setBuddy(QObject *v)
{
    m_buddy = v;
    formLog() << QStringLiteral("%1.Buddy=%2").arg(who(this), v ? who(v) : QStringLiteral("nil"));
}

TBox::TBox(QWidget *parent) : QWidget(parent)
{
    formLog() << QStringLiteral("create TBox");
}
void TBox::setCaption(const QString &v)
{
    m_caption = v;
    formLog() << QStringLiteral("%1.Caption=%2").arg(who(this), v);
}
void TBox::setLeft(int v)
{
    move(v, y());
    formLog() << QStringLiteral("%1.Left=%2").arg(who(this)).arg(v);
}

void TTestForm::setCaption(const QString &v)
{
    m_caption = v;
    formLog() << QStringLiteral("%1.Caption=%2").arg(who(this), v);
}
void TTestForm::FormCreate(QObject *Sender)
{
    calls << QStringLiteral("FormCreate(%1)").arg(who(Sender));
}
void TTestForm::ThingClick(QObject *Sender)
{
    calls << QStringLiteral("ThingClick(%1)").arg(who(Sender));
}
void TTestForm::ThingChange(QObject *Sender, int value)
{
    calls << QStringLiteral("ThingChange(%1,%2)").arg(who(Sender)).arg(value);
}
void TTestForm::NoArguments()
{
    calls << QStringLiteral("NoArguments");
}
void TTestForm::TakesText(const QString &text)
{
    calls << QStringLiteral("TakesText(%1)").arg(text);
}

void TTestCore::FormCreate(QObject *Sender)
{
    calls << QStringLiteral("FormCreate(%1)").arg(who(Sender));
}
void TTestCore::ThingClick(QObject *Sender)
{
    calls << QStringLiteral("ThingClick(%1)").arg(who(Sender));
}
void TTestCore::ThingChange(QObject *Sender, int value)
{
    calls << QStringLiteral("ThingChange(%1,%2)").arg(who(Sender)).arg(value);
}
void TTestCore::NoArguments()
{
    calls << QStringLiteral("NoArguments");
}
void TTestCore::TakesText(const QString &text)
{
    calls << QStringLiteral("TakesText(%1)").arg(text);
}

framework::FormReader testFormReader()
{
    framework::FormReader reader;
    framework::registerPictureConverter(reader);
    reader.registerClass<TThing>(QStringLiteral("TThing"));
    reader.registerClass<THandOptions>(QStringLiteral("THandOptions"));
    framework::registerControl<TBox>(reader, QStringLiteral("TBox"));
    reader.registerIdentifierConverter(QMetaType::fromType<TestColor>(),
                                       [](const QString &name) -> std::optional<QVariant> {
                                           if (name == QLatin1String("clRed"))
                                               return QVariant::fromValue(TestColor{0x0000FF});
                                           if (name == QLatin1String("clSkyBlue"))
                                               return QVariant::fromValue(TestColor{0xF0CAA6});
                                           return std::nullopt;
                                       });
    return reader;
}
