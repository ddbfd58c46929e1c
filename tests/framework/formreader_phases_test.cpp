// The two start-up phases: non-visual components first with no GUI application object,
// then the widgets, adopting what phase one made.
#include "formtestclasses.h"
#include "framework/formreader.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace framework;

namespace {

const char *const kForm = "object Form1: TTestForm\n"
                          "  Caption = 'Daypane'\n"
                          "  OnCreate = FormCreate\n"
                          "  object Web: TBox\n"
                          "    Left = 0\n"
                          "  end\n"
                          "  object Bar: TBox\n"
                          "    Caption = 'bar'\n"
                          "    object Led: TBox\n"
                          "      Left = 16\n"
                          "      OnClick = ThingClick\n"
                          "    end\n"
                          "    object Inner: TThing\n"
                          "      Count = 2\n"
                          "    end\n"
                          "  end\n"
                          "  object Base: TThing\n"
                          "    Caption = '[Root]'\n"
                          "    OnClick = ThingClick\n"
                          "    object Part: TThing\n"
                          "      Count = 5\n"
                          "    end\n"
                          "  end\n"
                          "  object Info: TThing\n"
                          "    Buddy = Base\n"
                          "  end\n"
                          "end\n";

QApplication &application()
{
    static int argc = 1;
    static char name[] = "formreader_phases_test";
    static char *argv[] = {name, nullptr};
    static auto *app = new QApplication(argc, argv);
    return *app;
}

} // namespace

// Runs first: phase one must work before any GUI application object exists.
TEST(FormReaderPhases, PhaseOneWithoutGuiThenPhaseTwoAdopts)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    const FormDescription form = parseFormDescription(kForm, QStringLiteral("TFORMX"));
    const FormReader reader = testFormReader();

    TTestCore core;
    formLog().clear();
    FormComponents components = reader.createNonVisual(form, &core);
    EXPECT_EQ(formLog(),
              (QStringList{"create TThing", "Inner.Count=2", "create TThing", "Base.Caption=[Root]",
                           "create TThing", "Part.Count=5", "create TThing", "Info.Buddy=Base"}));
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    QObject *base = components.find(QStringLiteral("Base"));
    QObject *part = components.find(QStringLiteral("Part"));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->parent(), &core);
    EXPECT_EQ(part->parent(), base);
    qobject_cast<TThing *>(base)->click();
    EXPECT_EQ(core.calls, QStringList{"ThingClick(Base)"});

    application();
    TTestForm window;
    formLog().clear();
    reader.createVisual(form, &window, components, &window, {QStringLiteral("OnCreate")});
    EXPECT_EQ(formLog(),
              (QStringList{"Form1.Caption=Daypane", "create TBox", "Web.Left=0", "create TBox",
                           "Bar.Caption=bar", "create TBox", "Led.Left=16"}));
    EXPECT_EQ(window.objectName(), QStringLiteral("Form1"));
    // Adopted, not made again: the same objects, now the window's.
    EXPECT_EQ(components.find(QStringLiteral("Base")), base);
    EXPECT_EQ(base->parent(), &window);
    EXPECT_EQ(part->parent(), base);
    EXPECT_EQ(components.find(QStringLiteral("Inner"))->parent(), &window);

    auto *bar = components.get<TBox>(QStringLiteral("Bar"));
    auto *led = components.get<TBox>(QStringLiteral("Led"));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(bar->parentWidget(), &window);
    EXPECT_EQ(led->parentWidget(), bar);
    EXPECT_EQ(led->x(), 16);
    led->click();
    EXPECT_EQ(window.calls, QStringList{"ThingClick(Led)"});
    window.create(); // OnCreate was left to phase one
    EXPECT_EQ(window.calls.size(), 1);
}

TEST(FormReaderPhases, OneVisualPassBuildsTheWholeFormInDescriptionOrder)
{
    application();
    const FormDescription form = parseFormDescription(kForm, QStringLiteral("TFORMX"));
    TTestForm window;
    FormComponents components;
    formLog().clear();
    testFormReader().createVisual(form, &window, components);
    EXPECT_EQ(formLog(),
              (QStringList{"Form1.Caption=Daypane", "create TBox", "Web.Left=0", "create TBox",
                           "Bar.Caption=bar", "create TBox", "Led.Left=16", "create TThing",
                           "Inner.Count=2", "create TThing", "Base.Caption=[Root]", "create TThing",
                           "Part.Count=5", "create TThing", "Info.Buddy=Base"}));
    window.create();
    EXPECT_EQ(window.calls, QStringList{"FormCreate(Form1)"});
    EXPECT_EQ(components.find(QStringLiteral("Base"))->parent(), &window);
}

TEST(FormReaderPhases, WidgetReferencesResolveAfterThePass)
{
    application();
    const FormDescription form = parseFormDescription("object F: TTestForm\n"
                                                      "  object Info: TThing\n"
                                                      "    Buddy = Later\n"
                                                      "  end\n"
                                                      "  object Later: TBox\n"
                                                      "  end\n"
                                                      "end\n",
                                                      QStringLiteral("TFORMX"));
    TTestForm window;
    FormComponents components;
    testFormReader().createVisual(form, &window, components);
    EXPECT_EQ(components.get<TThing>(QStringLiteral("Info"))->Buddy(),
              components.find(QStringLiteral("Later")));
}

TEST(FormReaderPhases, VisualFaultsAreClearErrors)
{
    application();
    const FormReader reader = testFormReader();
    const auto fails = [&](const char *text) -> std::optional<EFormError> {
        TTestForm window;
        FormComponents components;
        try {
            reader.createVisual(parseFormDescription(text, QStringLiteral("TFORMX")), &window,
                                components);
        } catch (const EFormError &e) {
            return e;
        }
        return std::nullopt;
    };
    const auto controlInThing = fails("object F: TTestForm\n  object T: TThing\n"
                                      "    object B: TBox\n    end\n  end\nend\n");
    ASSERT_TRUE(controlInThing);
    EXPECT_EQ(controlInThing->line(), 3);
    EXPECT_EQ(controlInThing->name(), QStringLiteral("B"));

    const auto rootProperty = fails("object F: TTestForm\n  Colour = clNavy\nend\n");
    ASSERT_TRUE(rootProperty);
    EXPECT_EQ(rootProperty->line(), 2);
    EXPECT_EQ(rootProperty->name(), QStringLiteral("Colour"));

    const auto rootHandler = fails("object F: TTestForm\n  OnCreate = FormDestroy\nend\n");
    ASSERT_TRUE(rootHandler);
    EXPECT_EQ(rootHandler->name(), QStringLiteral("FormDestroy"));

    const auto wrongKind = fails("object F: TTestForm\n  object T: TThing\n  end\n"
                                 "  object B: TBox\n  end\n  object I: TThing\n"
                                 "    HandOptions.Length = 1\n    Buddy = B\n  end\nend\n");
    EXPECT_FALSE(wrongKind) << "a QObject* property takes a widget too";
}
