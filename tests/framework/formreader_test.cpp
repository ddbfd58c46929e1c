// The reader without a GUI application object: parsing, phase one, values, events, bad input.
#include "formtestclasses.h"
#include "framework/formpictures.h"
#include "framework/formreader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace framework;

namespace {

FormDescription parse(const char *text)
{
    return parseFormDescription(QByteArray(text), QStringLiteral("TEST"));
}

// Phase one on a fresh owner; returns the log of what the components did.
QStringList runPhaseOne(const char *text, TTestCore &core, FormComponents *out = nullptr)
{
    formLog().clear();
    FormComponents components = testFormReader().createNonVisual(parse(text), &core);
    if (out)
        *out = components;
    return formLog();
}

} // namespace

TEST(FormParser, ReadsEveryKindOfValue)
{
    const FormDescription form = parse("object Form1: TForm1\n"
                                       "  Count = -12\n"
                                       "  Mask = $FF\n"
                                       "  Ratio = 1.5E+003\n"
                                       "  Caption = 'It''s'#13#10'a '#$41 +\n"
                                       "    'b'\n"
                                       "  Kind = tkTwo\n"
                                       "  Anchors = [akLeft, akBottom]\n"
                                       "  Empty = []\n"
                                       "  Picture.Data = {\n"
                                       "    0A0b\n"
                                       "    FF}\n"
                                       "  Lines.Strings = (\n"
                                       "    'one'\n"
                                       "    'two' + 'three')\n"
                                       "  object Inner: TThing\n"
                                       "  end\n"
                                       "end\n");
    EXPECT_EQ(form.resource, QStringLiteral("TEST"));
    EXPECT_EQ(form.root.name, QStringLiteral("Form1"));
    EXPECT_EQ(form.root.className, QStringLiteral("TForm1"));
    const auto &p = form.root.properties;
    ASSERT_EQ(p.size(), 9u);
    EXPECT_EQ(p[0].value.kind, FormValue::Kind::Integer);
    EXPECT_EQ(p[0].value.integer, -12);
    EXPECT_EQ(p[0].line, 2);
    EXPECT_EQ(p[1].value.integer, 255);
    EXPECT_EQ(p[2].value.kind, FormValue::Kind::Float);
    EXPECT_DOUBLE_EQ(p[2].value.number, 1500.0);
    EXPECT_EQ(p[3].value.kind, FormValue::Kind::String);
    EXPECT_EQ(p[3].value.text, QStringLiteral("It's\r\na Ab"));
    EXPECT_EQ(p[4].value.kind, FormValue::Kind::Identifier);
    EXPECT_EQ(p[4].value.text, QStringLiteral("tkTwo"));
    EXPECT_EQ(p[4].line, 7);
    EXPECT_EQ(p[5].value.kind, FormValue::Kind::Set);
    EXPECT_EQ(p[5].value.items,
              (QStringList{QStringLiteral("akLeft"), QStringLiteral("akBottom")}));
    EXPECT_TRUE(p[6].value.items.isEmpty());
    EXPECT_EQ(p[7].name, QStringLiteral("Picture.Data"));
    EXPECT_EQ(p[7].value.kind, FormValue::Kind::Binary);
    EXPECT_EQ(p[7].value.data, QByteArray::fromHex("0a0bff"));
    EXPECT_EQ(p[8].value.kind, FormValue::Kind::StringList);
    EXPECT_EQ(p[8].value.items, (QStringList{QStringLiteral("one"), QStringLiteral("twothree")}));
    ASSERT_EQ(form.root.children.size(), 1u);
    EXPECT_EQ(form.root.children[0].name, QStringLiteral("Inner"));
    EXPECT_EQ(form.root.children[0].line, 16);
}

TEST(FormParser, KeywordsIgnoreCaseAndTextsKeepUnicode)
{
    const FormDescription form = parse("OBJECT Form1: TForm1\r\n"
                                       "  Caption = '  '#183' Last Login: ' + 'Zoë'\r\n"
                                       "END");
    ASSERT_EQ(form.root.properties.size(), 1u);
    EXPECT_EQ(form.root.properties[0].value.text, QStringLiteral("  \u00B7 Last Login: Zo\u00EB"));
}

TEST(FormReaderPhaseOne, CreatesOnlyNonVisualComponentsInDescriptionOrder)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    TTestCore core;
    FormComponents components;
    const QStringList log = runPhaseOne("object Form1: TForm1\n"
                                        "  Caption = 'ignored in phase one'\n"
                                        "  object A: TThing\n"
                                        "    Count = 1\n"
                                        "    Caption = 'a'\n"
                                        "  end\n"
                                        "  object Box1: TBox\n"
                                        "    Caption = 'box'\n"
                                        "    object C: TThing\n"
                                        "      Count = 3\n"
                                        "    end\n"
                                        "  end\n"
                                        "  object D: TThing\n"
                                        "    Caption = 'd'\n"
                                        "    Count = 4\n"
                                        "  end\n"
                                        "end\n",
                                        core, &components);
    EXPECT_EQ(log, (QStringList{"create TThing", "A.Count=1", "A.Caption=a", "create TThing",
                                "C.Count=3", "create TThing", "D.Caption=d", "D.Count=4"}));
    ASSERT_EQ(components.inOrder().size(), 3);
    EXPECT_EQ(components.find(QStringLiteral("Box1")), nullptr);
    auto *c = components.get<TThing>(QStringLiteral("C"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->parent(), &core);
    EXPECT_EQ(c->objectName(), QStringLiteral("C"));
}

TEST(FormReaderPhaseOne, ConvertsEveryKindOfValueForItsProperty)
{
    TTestCore core;
    FormComponents components;
    const QStringList log = runPhaseOne("object Form1: TForm1\n"
                                        "  object T: TThing\n"
                                        "    Small = -32768\n"
                                        "    Active = True\n"
                                        "    Ratio = 2\n"
                                        "    Kind = tkThree\n"
                                        "    Anchors = [akLeft, akBottom]\n"
                                        "    Data = { 0102FF }\n"
                                        "    Lines = ( 'x' 'y' )\n"
                                        "    Color = clSkyBlue\n"
                                        "    HandOptions.HourHandColor = clRed\n"
                                        "    HandOptions.Length = 60\n"
                                        "    Active = false\n"
                                        "  end\n"
                                        "end\n",
                                        core, &components);
    EXPECT_EQ(log, (QStringList{"create TThing", "T.Small=-32768", "T.Active=1", "T.Ratio=2",
                                "T.Kind=2", "T.Anchors=9", "T.Data=0102ff", "T.Lines=x|y",
                                QStringLiteral("T.Color=%1").arg(0xF0CAA6),
                                QStringLiteral("T.HourHandColor=%1").arg(0xFF), "T.Length=60",
                                "T.Active=0"}));
    auto *t = components.get<TThing>(QStringLiteral("T"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Kind(), TThing::tkThree);
    EXPECT_EQ(t->HandOptions()->Length(), 60);
}

TEST(FormReaderPhaseOne, ValueConverterTakesEveryKindForItsType)
{
    FormReader reader = testFormReader();
    reader.registerValueConverter(QMetaType::fromType<TestColor>(),
                                  [](const FormValue &v) -> std::optional<QVariant> {
                                      if (v.kind != FormValue::Kind::Integer)
                                          return std::nullopt;
                                      return QVariant::fromValue(TestColor{quint32(v.integer)});
                                  });
    TTestCore core;
    FormComponents components = reader.createNonVisual(parse("object F: TForm1\n"
                                                             "  object T: TThing\n"
                                                             "    Color = 8404992\n"
                                                             "  end\n"
                                                             "end\n"),
                                                       &core);
    EXPECT_EQ(components.get<TThing>(QStringLiteral("T"))->Color().value, 8404992u);
    EXPECT_THROW(reader.createNonVisual(parse("object F: TForm1\n object T: TThing\n"
                                              "  Color = clRed\n end\nend\n"),
                                        &core),
                 EFormPropertyError);
}

TEST(FormReaderPhaseOne, EnumerationWithoutKeysTakesAnyNumberOfItsSize)
{
    TTestCore core;
    FormComponents components;
    runPhaseOne("object F: TForm1\n"
                "  object A: TThing\n"
                "    Shade = $FF00000A\n"
                "  end\n"
                "  object B: TThing\n"
                "    Shade = -1\n"
                "  end\n"
                "end\n",
                core, &components);
    EXPECT_EQ(quint32(components.get<TThing>(QStringLiteral("A"))->Shade()), 0xFF00000Au);
    EXPECT_EQ(qint32(components.get<TThing>(QStringLiteral("B"))->Shade()), -1);
    EXPECT_THROW(runPhaseOne("object F: TForm1\n object A: TThing\n  Shade = $1FF00000A\n"
                             " end\nend\n",
                             core),
                 EFormPropertyError);
}

namespace {
QByteArray pictureData(const QByteArray &className, const QByteArray &file, bool sizePrefix)
{
    QByteArray data;
    data.append(char(className.size()));
    data.append(className);
    if (sizePrefix) {
        const quint32 n = quint32(file.size());
        for (int i = 0; i < 4; ++i)
            data.append(char((n >> (8 * i)) & 0xFF));
    }
    return data + file;
}

QByteArray bmpFile()
{
    QImage image(2, 3, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 128));
    image.setPixel(1, 2, qRgb(255, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}
} // namespace

TEST(FormReaderPhaseOne, PictureDataBecomesTheImage)
{
    TTestCore core;
    FormComponents components;
    const QByteArray text = "object F: TForm1\n  object A: TThing\n    Picture.Data = {\n      " +
                            pictureData("TBitmap", bmpFile(), true).toHex().toUpper() +
                            "}\n  end\n  object B: TThing\n    Picture.Data = {\n"
                            "      07544269746D617000000000}\n  end\nend\n";
    formLog().clear();
    components = testFormReader().createNonVisual(parseFormDescription(text, "TEST"), &core);
    const QImage picture = components.get<TThing>(QStringLiteral("A"))->Picture();
    ASSERT_EQ(picture.size(), QSize(2, 3));
    EXPECT_EQ(picture.pixel(1, 2), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 128));
    EXPECT_TRUE(components.get<TThing>(QStringLiteral("B"))->Picture().isNull());
}

TEST(FormReaderPhaseOne, MalformedPictureDataIsRejected)
{
    const QByteArray bmp = bmpFile();
    const struct
    {
        const char *label;
        QByteArray data;
    } rows[] = {
        {"empty", QByteArray()},
        {"name longer than data", QByteArray("\x09TBit")},
        {"size beyond the data", pictureData("TBitmap", bmp, true).chopped(3)},
        {"no size", QByteArray("\x07TBitmap\x01")},
        {"not a bitmap", pictureData("TBitmap", "not a bmp file", true)},
        {"unknown class", pictureData("TMetafile", bmp, false)},
    };
    for (const auto &row : rows)
        EXPECT_FALSE(pictureFromFormData(row.data)) << row.label;
    TTestCore core;
    EXPECT_THROW(runPhaseOne("object F: TForm1\n object A: TThing\n  Picture.Data = { 00 }\n"
                             " end\nend\n",
                             core),
                 EFormPropertyError);
    EXPECT_THROW(runPhaseOne("object F: TForm1\n object A: TThing\n  Picture.Width = 1\n"
                             " end\nend\n",
                             core),
                 EFormPropertyError);
}

TEST(FormReaderPhaseOne, BindsEventsByNameToTheHandlersSlots)
{
    TTestCore core;
    TTestCore handlers;
    formLog().clear();
    FormComponents components =
        testFormReader().createNonVisual(parse("object F: TForm1\n"
                                               "  object A: TThing\n"
                                               "    OnClick = ThingClick\n"
                                               "    OnChange = ThingChange\n"
                                               "  end\n"
                                               "  object B: TThing\n"
                                               "    OnClick = NoArguments\n"
                                               "    OnChange = ThingClick\n"
                                               "  end\n"
                                               "end\n"),
                                         &core, &handlers);
    components.get<TThing>(QStringLiteral("A"))->click();
    components.get<TThing>(QStringLiteral("A"))->change(7);
    components.get<TThing>(QStringLiteral("B"))->click();
    components.get<TThing>(QStringLiteral("B"))->change(8);
    EXPECT_EQ(handlers.calls,
              (QStringList{"ThingClick(A)", "ThingChange(A,7)", "NoArguments", "ThingClick(B)"}));
    EXPECT_TRUE(core.calls.isEmpty());
}

TEST(FormReaderPhaseOne, RootEventsBindToTheGivenObject)
{
    TTestCore form;
    FormComponents none;
    testFormReader().applyRootProperties(parse("object Form1: TForm1\n"
                                               "  Caption = 'not this one'\n"
                                               "  OnCreate = FormCreate\n"
                                               "end\n"),
                                         &form, none, {QStringLiteral("OnCreate")});
    form.setObjectName(QStringLiteral("Form1"));
    form.create();
    EXPECT_EQ(form.calls, QStringList{"FormCreate(Form1)"});
    EXPECT_TRUE(form.Caption().isEmpty());
}

TEST(FormReaderPhaseOne, ComponentReferencesResolveForwardAndNil)
{
    TTestCore core;
    FormComponents components;
    const QStringList log = runPhaseOne("object F: TForm1\n"
                                        "  object A: TThing\n"
                                        "    Buddy = B\n"
                                        "  end\n"
                                        "  object B: TThing\n"
                                        "    Buddy = A\n"
                                        "  end\n"
                                        "  object C: TThing\n"
                                        "    Buddy = nil\n"
                                        "  end\n"
                                        "end\n",
                                        core, &components);
    EXPECT_EQ(components.get<TThing>(QStringLiteral("A"))->Buddy(),
              components.find(QStringLiteral("B")));
    EXPECT_EQ(components.get<TThing>(QStringLiteral("B"))->Buddy(),
              components.find(QStringLiteral("A")));
    EXPECT_TRUE(log.contains(QStringLiteral("C.Buddy=nil")));
}

// Bad input: each row names the error class, the line and the name it must report.
enum class Fault { Parse, Class, Property, Event };
struct BadInput
{
    const char *label;
    const char *text;
    Fault fault;
    int line;
    const char *name;
};

class FormReaderBadInput : public testing::TestWithParam<BadInput>
{
};

TEST_P(FormReaderBadInput, IsAClearErrorNamingResourceLineAndName)
{
    const BadInput &row = GetParam();
    TTestCore core;
    TTestCore handlers;
    try {
        testFormReader().createNonVisual(parse(row.text), &core, &handlers);
        FAIL() << "no error for " << row.label;
    } catch (const EFormError &e) {
        switch (row.fault) {
        case Fault::Parse:
            EXPECT_NE(dynamic_cast<const EFormParseError *>(&e), nullptr) << e.what();
            break;
        case Fault::Class:
            EXPECT_NE(dynamic_cast<const EFormClassError *>(&e), nullptr) << e.what();
            break;
        case Fault::Property:
            EXPECT_NE(dynamic_cast<const EFormPropertyError *>(&e), nullptr) << e.what();
            break;
        case Fault::Event:
            EXPECT_NE(dynamic_cast<const EFormEventError *>(&e), nullptr) << e.what();
            break;
        }
        EXPECT_EQ(e.resource(), QStringLiteral("TEST"));
        EXPECT_EQ(e.line(), row.line) << e.what();
        EXPECT_EQ(e.name(), QString::fromUtf8(row.name)) << e.what();
        EXPECT_TRUE(
            e.message().startsWith(QStringLiteral("Error reading TEST, line %1: ").arg(row.line)))
            << e.what();
        if (*row.name) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(row.name))) << e.what();
        }
    }
}

#define OBJ(body) "object F: TForm1\n  object T: TThing\n" body "  end\nend\n"

INSTANTIATE_TEST_SUITE_P(
    Rows, FormReaderBadInput,
    testing::Values(
        BadInput{"UnknownClass", "object F: TForm1\n  object X: TNope\n  end\nend\n", Fault::Class,
                 2, "TNope"},
        BadInput{"DuplicateName",
                 "object F: TForm1\n object A: TThing\n end\n object a: TThing\n"
                 " end\nend\n",
                 Fault::Class, 4, "a"},
        BadInput{"UnknownProperty", OBJ("    Colour = 1\n"), Fault::Property, 3, "Colour"},
        BadInput{"UnknownNestedProperty", OBJ("    HandOptions.Width = 1\n"), Fault::Property, 3,
                 "HandOptions.Width"},
        BadInput{"DotThroughNonObject", OBJ("    Caption.Text = 'x'\n"), Fault::Property, 3,
                 "Caption.Text"},
        BadInput{"ReadOnly", OBJ("    Version = '2'\n"), Fault::Property, 3, "Version"},
        BadInput{"UnknownEnumValue", OBJ("    Kind = tkFour\n"), Fault::Property, 3, "tkFour"},
        BadInput{"EnumOrdinalOutOfRange", OBJ("    Kind = 7\n"), Fault::Property, 3, "Kind"},
        BadInput{"IntegerOutOfRange", OBJ("    Small = 40000\n"), Fault::Property, 3, "Small"},
        BadInput{"TextForInteger", OBJ("    Count = '12'\n"), Fault::Property, 3, "Count"},
        BadInput{"FloatForInteger", OBJ("    Count = 1.5\n"), Fault::Property, 3, "Count"},
        BadInput{"UnknownSetElement", OBJ("    Anchors = [akLeft, akMiddle]\n"), Fault::Property, 3,
                 "akMiddle"},
        BadInput{"SetForEnum", OBJ("    Kind = [tkOne]\n"), Fault::Property, 3, "Kind"},
        BadInput{"UnknownColourName", OBJ("    Color = clNope\n"), Fault::Property, 3, "clNope"},
        BadInput{"NotABoolean", OBJ("    Active = Maybe\n"), Fault::Property, 3, "Maybe"},
        BadInput{"BinaryForText", OBJ("    Caption = { 00 }\n"), Fault::Property, 3, "Caption"},
        BadInput{"UnknownComponent", OBJ("    Buddy = Nobody\n"), Fault::Property, 3, "Nobody"},
        BadInput{"UnknownHandler", OBJ("    Count = 1\n    OnClick = Nothing\n"), Fault::Event, 4,
                 "Nothing"},
        BadInput{"HandlerDoesNotFit", OBJ("    OnClick = TakesText\n"), Fault::Event, 3,
                 "TakesText"},
        BadInput{"EventGivenText", OBJ("    OnClick = 'ThingClick'\n"), Fault::Event, 3, "OnClick"},
        BadInput{"MissingEnd", "object F: TForm1\n  object T: TThing\n  end\n", Fault::Parse, 4,
                 "F"},
        BadInput{"EmptyText", "", Fault::Parse, 1, ""},
        BadInput{"NotAnObject", "thing F: TForm1\nend\n", Fault::Parse, 1, "thing"},
        BadInput{"MissingEquals", OBJ("    Count 1\n"), Fault::Parse, 3, ""},
        BadInput{"MissingValue", OBJ("    Count =\n  end\n"), Fault::Parse, 4, "end"},
        BadInput{"UnterminatedText", OBJ("    Caption = 'abc\n"), Fault::Parse, 3, ""},
        BadInput{"PlusWithoutText", OBJ("    Caption = 'a' +\n    12\n"), Fault::Parse, 4, ""},
        BadInput{"OddBinary", OBJ("    Data = {\n 0A0\n }\n"), Fault::Parse, 5, ""},
        BadInput{"BadBinaryDigit", OBJ("    Data = {\n 0G }\n"), Fault::Parse, 4, ""},
        BadInput{"UnclosedBinary", "object F: TForm1\n  Data = { 00\n", Fault::Parse, 3, ""},
        BadInput{"BadNumber", OBJ("    Count = 12ab\n"), Fault::Parse, 3, "12ab"},
        BadInput{"HugeNumber", OBJ("    Count = 99999999999999999999\n"), Fault::Parse, 3,
                 "99999999999999999999"},
        BadInput{"Collection", OBJ("    Items = <\n"), Fault::Parse, 3, "<"},
        BadInput{"BadCharacter", OBJ("    Count = @\n"), Fault::Parse, 3, "\\x40"},
        BadInput{"CodeWithoutDigits", OBJ("    Caption = #\n"), Fault::Parse, 3, ""},
        BadInput{"CodeOutOfRange", OBJ("    Caption = #1114112\n"), Fault::Parse, 3, ""},
        BadInput{"DotWithoutName", OBJ("    Hand. = 1\n"), Fault::Parse, 3, "Hand"},
        BadInput{"PropertyAfterChild",
                 "object F: TForm1\n  object T: TThing\n  end\n"
                 "  Caption = 'x'\nend\n",
                 Fault::Parse, 4, "Caption"},
        BadInput{"TextAfterEnd", "object F: TForm1\nend\nobject G: TForm1\nend\n", Fault::Parse, 3,
                 "object"}),
    [](const testing::TestParamInfo<BadInput> &info) { return std::string(info.param.label); });

TEST(FormReaderBadInput, NestingTooDeepIsAParseError)
{
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "object A" + QByteArray::number(i) + ": TThing\n";
    EXPECT_THROW(parseFormDescription(text, QStringLiteral("TEST")), EFormParseError);
}

TEST(FormReaderBadInput, MissingFileIsAnError)
{
    EXPECT_THROW(readFormDescription(QStringLiteral(":/no/such/form"), QStringLiteral("TFORM9")),
                 EFormError);
}
