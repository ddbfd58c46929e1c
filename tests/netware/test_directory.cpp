// The binding against the complete stand-in client: contexts, names, attribute reads and
// the base component's properties.
#include "directory/netwaredirectory.h"
#include "framework/formreader.h"
#include "netware/Nwtools.h"
#include "netware/nwNDS.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "simclient.h"

#include <QApplication>
#include <QDateTime>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace nw;

namespace {

const QByteArray kTree = R"(
tree ACME_TREE_____
server FS1 1
server FS2 2
server OLDFS 3 bindery
server NOTREE 4 notree
version 4.11
user CN=jdoe.OU=Sales.O=Acme
connection-number 7
locale 49 850
default-flags 0x00
broadcast 2
drives F G
max-connections 250

object CN=jdoe.OU=Sales.O=Acme
  id 0x0100A2B3
  attribute Last Login Time = time 1700000000
  attribute Full Name = text Jane Doe
object CN=late.OU=Sales.O=Acme
  attribute LAST LOGIN TIME = time 2147483648
  attribute Full Name = text )" +
                         QByteArray(200, 'x') + "\n";

const QString kUser = QStringLiteral("CN=jdoe.OU=Sales.O=Acme");

// A control of the owner window that records the notifications it receives.
class RecordingControl : public QWidget
{
public:
    RecordingControl(QWidget *parent, QStringList *journal) : QWidget(parent), m_journal(journal) {}

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == TNWNotifyEvent::eventType())
            *m_journal << objectName() + QLatin1Char(':') +
                              QString::number(static_cast<TNWNotifyEvent *>(e)->message(), 16);
        return QWidget::event(e);
    }

private:
    QStringList *m_journal;
};

std::uint32_t flagsOf(NWDSContextHandle context)
{
    std::uint32_t flags = 0xDEAD;
    EXPECT_TRUE(sim::contextFlags(context, flags)) << context;
    return flags;
}

class Directory : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    // The component as the window's description creates it: constructed, then its stored
    // context name applied.
    void create(const QByteArray &tree = kTree)
    {
        base.reset();
        // The previous one first: it puts back the environment it found.
        directory.reset();
        directory = std::make_unique<SimDirectory>(tree);
        base = std::make_unique<TNWBase>(nullptr);
        base->setNDSContextName(QStringLiteral("[Root]"));
    }

    void TearDown() override
    {
        base.reset();
        directory.reset();
    }

    std::unique_ptr<SimDirectory> directory;
    std::unique_ptr<TNWBase> base;
};

} // namespace

TEST_F(Directory, StartUpBindsTheClientAndLeavesBothContextsAsTheDescriptionMakesThem)
{
    create();
    EXPECT_TRUE(base->NetAvailable());
    EXPECT_TRUE(base->NDSAvailable());
    EXPECT_TRUE(sim::unicodeTables());
    // The locale record's country and code page reached the Unicode tables.
    EXPECT_TRUE(
        directory->log().contains(QStringLiteral("NWInitUnicodeTables 0 country=49 codepage=850")));
    EXPECT_EQ(base->LoginID(), kUser);
    EXPECT_EQ(base->NDSContextName(), QStringLiteral("[Root]"));

    // The stored name reset the main context: the client's flag word, name context root;
    // the lookup context keeps the component's flags.
    const ClientState &s = state();
    EXPECT_EQ(sim::contextName(s.mainContext), QStringLiteral("[Root]"));
    EXPECT_EQ(flagsOf(s.mainContext), 0x00u);
    EXPECT_EQ(flagsOf(s.lookupContext), 0x13u);
    EXPECT_EQ(base->LastError()->NWNDS(), QStringLiteral("0000"));
}

TEST_F(Directory, DestroyingTheComponentReleasesTheDirectory)
{
    create();
    EXPECT_EQ(sim::liveContexts(), 2);
    base.reset();
    EXPECT_EQ(sim::liveContexts(), 0);
    EXPECT_FALSE(sim::unicodeTables());
}

TEST_F(Directory, TheUserAndTheTypelessName)
{
    create();
    EXPECT_EQ(NDSWhoAmIName(), kUser);
    EXPECT_EQ(NDSTypelessName(kUser), QStringLiteral("jdoe.Sales.Acme"));
    EXPECT_EQ(NDSCanonicalName(QStringLiteral("jdoe.Sales.Acme")), kUser);
}

TEST_F(Directory, EveryRootSpellingResetsTheMainContext)
{
    create();
    for (const QString &name : {QStringLiteral("[root]"), QStringLiteral("[Root]"), QString()}) {
        const NWDSContextHandle before = state().mainContext;
        base->setNDSContextName(QStringLiteral("Sales.Acme"));
        base->setNDSContextName(name);
        EXPECT_NE(state().mainContext, before) << name.toStdString();
        EXPECT_EQ(base->NDSContextName(), QStringLiteral("[Root]")) << name.toStdString();
        EXPECT_EQ(sim::contextName(state().mainContext), QStringLiteral("[Root]"));
    }
}

TEST_F(Directory, AContextNameReachesTheClientTrimmedButIsKeptAsGiven)
{
    create();
    directory->clearLog();
    base->setNDSContextName(QStringLiteral("  sales.acme  "));
    EXPECT_EQ(base->NDSContextName(), QStringLiteral("  SALES.ACME  "));
    EXPECT_EQ(sim::contextName(state().mainContext), QStringLiteral("SALES.ACME"));
    // Relative to the context the user is now just "CN=jdoe".
    EXPECT_EQ(NDSWhoAmIName(), QStringLiteral("CN=jdoe"));

    // A name the client refuses is kept all the same; the client's status is left behind.
    base->setNDSContextName(QStringLiteral("Nowhere"));
    EXPECT_EQ(base->NDSContextName(), QStringLiteral("NOWHERE"));
    EXPECT_EQ(base->LastError()->NWNDS(), QStringLiteral("FFFFFDA7"));
}

TEST_F(Directory, CanonicalNameRestoresTheCallersFlagWordEvenOnFailure)
{
    create();
    ASSERT_TRUE(NDSPutContextFlags(0x04));
    directory->clearLog();
    EXPECT_EQ(NDSCanonicalName(QStringLiteral("jdoe.Sales.Acme")), kUser);
    EXPECT_EQ(flagsOf(state().mainContext), 0x04u);
    const QStringList log = directory->log();
    ASSERT_EQ(log.size(), 4);
    EXPECT_TRUE(log[1].endsWith(QStringLiteral("key=1 value=13"))) << log[1].toStdString();
    EXPECT_TRUE(log[3].endsWith(QStringLiteral("key=1 value=4"))) << log[3].toStdString();

    EXPECT_EQ(NDSCanonicalName(QStringLiteral("nobody.Nowhere")), QString());
    EXPECT_EQ(flagsOf(state().mainContext), 0x04u);
}

TEST_F(Directory, FlagPropertiesWriteTheWordToBothContexts)
{
    create();
    TNWDSContextFlags *flags = base->NDSContextFlags();
    flags->setTypelessNames(false);
    EXPECT_EQ(flagsOf(state().mainContext), 0x00u);
    flags->setTypelessNames(true);
    EXPECT_EQ(flagsOf(state().mainContext), 0x04u);
    EXPECT_EQ(flagsOf(state().lookupContext), 0x04u);
    EXPECT_EQ(NDSWhoAmIName(), QStringLiteral("jdoe.Sales.Acme"));
    flags->setTypelessNames(false);
    EXPECT_EQ(flagsOf(state().mainContext), 0x00u);
}

TEST_F(Directory, ReadingInANamedContextReplacesTheMainContextEvenWhenTheReadFails)
{
    create();
    const int contexts = sim::liveContexts();
    NWDSContextHandle before = state().mainContext;
    double lastLogin = 0;
    EXPECT_TRUE(NDSReadTimeAttribute(QStringLiteral("[root]"), kUser, 47, lastLogin));
    EXPECT_DOUBLE_EQ(lastLogin, NDSTimeToDateTime(1700000000));
    EXPECT_NE(state().mainContext, before);
    EXPECT_EQ(sim::contextName(state().mainContext), QStringLiteral("[Root]"));

    before = state().mainContext;
    lastLogin = 42.0;
    EXPECT_FALSE(
        NDSReadTimeAttribute(QStringLiteral("[root]"), QStringLiteral("CN=nobody"), 47, lastLogin));
    EXPECT_EQ(lastLogin, 42.0);
    EXPECT_NE(state().mainContext, before);
    // The working contexts were released; buffers too.
    EXPECT_EQ(sim::liveContexts(), contexts);
    EXPECT_EQ(sim::liveBuffers(), 0);
}

TEST_F(Directory, ReadingWithoutAContextNameUsesADuplicateAndLeavesTheMainContext)
{
    create();
    const NWDSContextHandle main = state().mainContext;
    const int contexts = sim::liveContexts();
    directory->clearLog();
    double lastLogin = 0;
    EXPECT_TRUE(NDSReadTimeAttribute(QString(), kUser, 47, lastLogin));
    EXPECT_DOUBLE_EQ(lastLogin, NDSTimeToDateTime(1700000000));
    EXPECT_EQ(state().mainContext, main);
    EXPECT_TRUE(directory->log().first().startsWith(
        QStringLiteral("NWDSDuplicateContext 0 ctx=%1 ").arg(main)));
    EXPECT_EQ(sim::liveContexts(), contexts);
}

TEST_F(Directory, AttributeNamesMatchWithoutRegardToCaseAndTimesAfter2038StayAfterIt)
{
    create();
    double lastLogin = 0;
    EXPECT_TRUE(NDSReadTimeAttribute(QStringLiteral("[root]"),
                                     QStringLiteral("CN=late.OU=Sales.O=Acme"), 47, lastLogin));
    // 2^31 seconds: 19 January 2038 03:14:08, not 13 December 1901.
    EXPECT_NEAR(lastLogin, 50424.13481481482, 1e-9);
    // No attribute has the empty name of an index past the table.
    EXPECT_FALSE(NDSReadTimeAttribute(QStringLiteral("[root]"), kUser, 200, lastLogin));
}

TEST_F(Directory, TextValuesAndNamesThatFillTheirBuffersAreCut)
{
    create(kTree + "user CN=" + QByteArray(300, 'u') + ".O=Acme\n");
    QString text;
    EXPECT_TRUE(
        NDSReadTextAttribute(QString(), QStringLiteral("CN=late.OU=Sales.O=Acme"), 30, text));
    EXPECT_EQ(text, QString(127, QLatin1Char('x')));
    EXPECT_EQ(NDSWhoAmIName(), QStringLiteral("CN=") + QString(124, QLatin1Char('u')));
}

TEST_F(Directory, AReadDeliveredInSeveralRoundsIsFollowedToItsEnd)
{
    create(kTree + "read-rounds 3\n");
    directory->clearLog();
    double lastLogin = 0;
    EXPECT_TRUE(NDSReadTimeAttribute(QString(), kUser, 47, lastLogin));
    EXPECT_DOUBLE_EQ(lastLogin, NDSTimeToDateTime(1700000000));
    EXPECT_EQ(directory->calls().count(QStringLiteral("NWDSRead")), 3);
}

struct ReadFailure
{
    const char *name;
    const char *entry;
    const char *directoryError; // what the directory cell reads afterwards
};

class ReadFailures : public Directory, public ::testing::WithParamInterface<ReadFailure>
{
};

TEST_P(ReadFailures, FailAndLeaveTheDestinationAndNoBuffer)
{
    const ReadFailure &f = GetParam();
    create(kTree + "fail " + f.entry + " 0x89FE\n");
    state().ndsError = 0;
    double lastLogin = 7.0;
    EXPECT_FALSE(NDSReadTimeAttribute(QStringLiteral("[root]"), kUser, 47, lastLogin));
    EXPECT_EQ(lastLogin, 7.0);
    TNWLastError *errors = base->LastError();
    EXPECT_EQ(errors->NWNDS(), QLatin1String(f.directoryError));
    // No failure reaches the property and print layers.
    EXPECT_EQ(errors->NWProp(), QStringLiteral("0000"));
    EXPECT_EQ(errors->NWPrint(), QStringLiteral("0000"));
    EXPECT_EQ(sim::liveBuffers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Directory, ReadFailures,
                         ::testing::Values(ReadFailure{"read", "NWDSRead", "89FE"},
                                           ReadFailure{"putAttrName", "NWDSPutAttrName", "89FE"},
                                           ReadFailure{"getAttrCount", "NWDSGetAttrCount", "89FE"},
                                           ReadFailure{"getAttrName", "NWDSGetAttrName", "89FE"},
                                           ReadFailure{"getAttrVal", "NWDSGetAttrVal", "89FE"},
                                           // Allocation and initialisation leave no trace.
                                           ReadFailure{"allocBuf", "NWDSAllocBuf", "0000"},
                                           ReadFailure{"initBuf", "NWDSInitBuf", "0000"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct BufferPath
{
    const char *name;
    const char *tree; // added to kTree
    int allocated;    // buffers the client hands out
    bool reads;
};

class BufferPaths : public Directory, public ::testing::WithParamInterface<BufferPath>
{
};

// Whichever step ends the read, each buffer the client handed out goes back exactly once,
// the result buffer before the request buffer.
TEST_P(BufferPaths, GiveBackEveryBufferOnceTheResultBufferFirst)
{
    const BufferPath &p = GetParam();
    create(kTree + p.tree);
    directory->clearLog();
    double lastLogin = 0;
    EXPECT_EQ(NDSReadTimeAttribute(QString(), kUser, 47, lastLogin), p.reads);
    QStringList expectedFrees;
    QStringList frees;
    for (const QString &line : directory->log()) {
        if (line.startsWith(QStringLiteral("NWDSAllocBuf 0 ")))
            expectedFrees.prepend(QStringLiteral("NWDSFreeBuf 0 ") + line.section(' ', -1));
        else if (line.startsWith(QStringLiteral("NWDSFreeBuf")))
            frees << line;
    }
    EXPECT_EQ(expectedFrees.size(), p.allocated);
    EXPECT_EQ(frees, expectedFrees);
    EXPECT_EQ(sim::liveBuffers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Directory, BufferPaths,
    ::testing::Values(
        BufferPath{"complete", "", 2, true},
        BufferPath{"readFailsHalfWay", "read-rounds 3\nfail NWDSRead 0x89FE after 1\n", 2, false},
        BufferPath{"valueFails", "fail NWDSGetAttrVal 0x89FE\n", 2, false},
        BufferPath{"putNameFails", "fail NWDSPutAttrName 0x89FE\n", 2, false},
        BufferPath{"initFails", "fail NWDSInitBuf 0x89FE\n", 2, false},
        BufferPath{"secondAllocationFails", "fail NWDSAllocBuf 0x89FE after 1\n", 1, false},
        BufferPath{"firstAllocationFails", "fail NWDSAllocBuf 0x89FE\n", 0, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Directory, AReadThatFailsHalfWayEndsWithBothBuffersAndItsContextGivenBack)
{
    create(kTree + "read-rounds 3\nfail NWDSRead 0x89FE after 1\n");
    const int contexts = sim::liveContexts();
    directory->clearLog();
    double lastLogin = 5.0;
    EXPECT_FALSE(NDSReadTimeAttribute(QString(), kUser, 47, lastLogin));
    EXPECT_EQ(lastLogin, 5.0);
    EXPECT_EQ(directory->calls(),
              QStringList({"NWDSDuplicateContext", "NWDSAllocBuf", "NWDSAllocBuf", "NWDSInitBuf",
                           "NWDSPutAttrName", "NWDSRead", "NWDSGetAttrCount", "NWDSRead",
                           "NWDSFreeBuf", "NWDSFreeBuf", "NWDSFreeContext"}));
    const QStringList log = directory->log();
    const QString working = log.first().section(QStringLiteral("new="), 1);
    EXPECT_EQ(log.last(), QStringLiteral("NWDSFreeContext 0 ctx=") + working);
    EXPECT_EQ(base->LastError()->NWNDS(), QStringLiteral("89FE"));
    EXPECT_EQ(sim::liveContexts(), contexts);
}

TEST_F(Directory, AWorkingContextWhoseNameTheClientRefusesIsGivenBackAtOnce)
{
    create();
    const int contexts = sim::liveContexts();
    directory->clearLog();
    double lastLogin = 5.0;
    EXPECT_FALSE(NDSReadTimeAttribute(QStringLiteral("Nowhere"), kUser, 47, lastLogin));
    EXPECT_EQ(directory->calls(),
              QStringList({"NWDSDuplicateContext", "NWDSSetContext", "NWDSFreeContext"}));
    EXPECT_EQ(sim::liveContexts(), contexts);
}

TEST_F(Directory, LoginIDIsUpperCasedOrRefilledAndNotifiesTheOwnersControlsInOrder)
{
    create();
    QStringList journal;
    QWidget window;
    auto *first = new RecordingControl(&window, &journal);
    first->setObjectName(QStringLiteral("first"));
    new QObject(&window); // not a control: receives nothing
    auto *second = new RecordingControl(&window, &journal);
    second->setObjectName(QStringLiteral("second"));
    base->setParent(&window);
    QList<TNWBase *> changes;
    QObject::connect(base.get(), &TNWBase::OnUserChange,
                     [&changes](TNWBase *sender) { changes << sender; });

    base->setLoginID(QStringLiteral("jdoe"));
    EXPECT_EQ(base->LoginID(), QStringLiteral("JDOE"));
    base->setLoginID(QString());
    EXPECT_EQ(base->LoginID(), kUser);
    EXPECT_EQ(journal, QStringList({"first:b842", "second:b842", "first:b842", "second:b842"}));
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.at(0), base.get());

    journal.clear();
    base->setLoading(true);
    base->setNDSContextName(QStringLiteral("[Root]"));
    EXPECT_TRUE(journal.isEmpty());
    base->setLoading(false);
    base->setNDSContextName(QStringLiteral("[Root]"));
    EXPECT_EQ(journal, QStringList({"first:b841", "second:b841"}));
    base->setParent(nullptr);
}

// Replacing an owned object: the new one becomes the component's child; the old one stays
// usable until control is back in the event loop, unless it is adopted again before that.
template <class T>
void expectAdoption(TNWBase &base, const std::function<T *()> &get,
                    const std::function<void(T *)> &set)
{
    QPointer<T> first = get();
    QPointer<T> second = new T;
    set(second);
    EXPECT_EQ(get(), second.data());
    EXPECT_EQ(second->parent(), &base);
    EXPECT_FALSE(first.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    QPointer<T> third = new T;
    set(third);
    set(second);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(third.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(get(), second.data());
}

TEST_F(Directory, AReplacedFlagSetOrErrorObjectGoesOnceControlIsBackInTheEventLoop)
{
    create();
    expectAdoption<TNWDSContextFlags>(
        *base, [this] { return base->NDSContextFlags(); },
        [this](TNWDSContextFlags *f) { base->setNDSContextFlags(f); });
    expectAdoption<TNWLastError>(
        *base, [this] { return base->LastError(); },
        [this](TNWLastError *e) { base->setLastError(e); });
    // The adopted object is the one LastError fills.
    state().serverError = 0x8801;
    EXPECT_EQ(base->LastError()->NWServer(), QStringLiteral("8801"));
}

TEST_F(Directory, ADescriptionSetsFlagsOnTheObjectTheComponentKeeps)
{
    directory = std::make_unique<SimDirectory>(kTree);
    framework::FormReader reader;
    reader.registerClass<TNWBase>(QStringLiteral("TNWBase"));
    const framework::FormDescription form =
        framework::parseFormDescription("object Form1: TForm1\n"
                                        "  object NWBase1: TNWBase\n"
                                        "    NDSContextName = '[Root]'\n"
                                        "    NDSContextFlags.TypelessNames = True\n"
                                        "  end\n"
                                        "end\n",
                                        QStringLiteral("TFORM1"));
    QObject owner;
    const framework::FormComponents components = reader.createNonVisual(form, &owner);
    auto *component = components.get<TNWBase>(QStringLiteral("NWBase1"));
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->NDSContextFlags()->parent(), component);
    EXPECT_TRUE(component->NDSContextFlags()->TypelessNames());
    EXPECT_EQ(flagsOf(state().mainContext), 0x04u);
    EXPECT_EQ(flagsOf(state().lookupContext), 0x04u);
    EXPECT_EQ(NDSWhoAmIName(), QStringLiteral("jdoe.Sales.Acme"));
}

TEST_F(Directory, ServerNameOpensAConnectionOrRaisesOnlyWhenNotSilent)
{
    create();
    int changes = 0;
    QObject::connect(base.get(), &TNWBase::OnServerChange, [&changes] { ++changes; });
    base->setServerName(QString());
    EXPECT_EQ(base->ServerName(), QStringLiteral("FS1"));
    EXPECT_EQ(base->ServerHandle(), 1u);

    base->setServerName(QStringLiteral("fs2"));
    EXPECT_EQ(base->ServerName(), QStringLiteral("FS2"));
    EXPECT_EQ(base->ServerHandle(), 2u);

    base->setServerName(QStringLiteral("nosuch"));
    EXPECT_EQ(base->ServerHandle(), 2u);
    EXPECT_EQ(base->LastError()->NWServer(), QStringLiteral("8801"));

    base->setSilentExceptions(false);
    try {
        base->setServerName(QStringLiteral("nosuch"));
        ADD_FAILURE() << "no error raised";
    } catch (const TNWObjError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid Server Handle"));
    }
    EXPECT_EQ(changes, 3);
}

TEST_F(Directory, ObjectTypeOfAnUnknownNameIsUserWhenSilentAndAnErrorOtherwise)
{
    create();
    EXPECT_EQ(base->NWObjectType(), 256);
    EXPECT_EQ(base->ObjectType(), TNWBase::nwObjTypeUser);

    base->setLoginID(QStringLiteral("nobody"));
    EXPECT_EQ(base->NWObjectType(), 0);
    EXPECT_EQ(base->ObjectType(), TNWBase::nwObjTypeUser);
    base->setSilentExceptions(false);
    try {
        base->ObjectType();
        ADD_FAILURE() << "no error raised";
    } catch (const TNWObjError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid Netware Object Type"));
    }
}

TEST_F(Directory, DefaultServerAssignedItsValueAgainMakesNoCall)
{
    create();
    base->setDefaultServer(QStringLiteral("FS2"));
    EXPECT_EQ(state().primaryConnection, 2u);
    EXPECT_EQ(base->DefaultServer(), QStringLiteral("FS2"));
    directory->clearLog();
    base->setDefaultServer(QStringLiteral("FS2"));
    EXPECT_TRUE(directory->log().isEmpty()) << directory->log().join('\n').toStdString();

    // A server the client does not know leaves everything as it was.
    base->setDefaultServer(QStringLiteral("NOSUCH"));
    EXPECT_EQ(state().primaryConnection, 2u);
    EXPECT_EQ(base->LastError()->NWLib(), QStringLiteral("8801"));
}

TEST_F(Directory, ServerAndDirectoryQueries)
{
    create();
    EXPECT_EQ(base->NDSPreferredTree(), QStringLiteral("ACME_TREE"));
    EXPECT_EQ(base->ServerVersion(), QStringLiteral("4.11"));
    EXPECT_EQ(base->ConnectionID(), 7);
    EXPECT_EQ(base->MaxServerConns(), 250);
    EXPECT_EQ(base->BroadcastMode(), TNWBase::nwBroadcastOff);
    EXPECT_EQ(base->FirstNetworkDrive(), QLatin1Char('F'));
    EXPECT_EQ(base->NextNetworkDrive(), QLatin1Char('H'));
    EXPECT_EQ(base->ObjectID(), QStringLiteral("B3A20001"));
    EXPECT_EQ(base->LoginFullName(), QStringLiteral("Jane Doe"));
    EXPECT_FALSE(base->ConsoleOperator());
    EXPECT_FALSE(base->Manager());
    EXPECT_EQ(base->Version(), QStringLiteral("1.50 / 5.01 - 25 February 2000"));
}

TEST_F(Directory, DirectoryServerChecks)
{
    create();
    // A directory server that reports no tree: false, the error cell untouched.
    state().ndsError = 0x1234;
    EXPECT_FALSE(NDSIsDirectoryServer(4));
    EXPECT_EQ(state().ndsError, 0x1234u);
    // A bindery server: false, and the cell says so.
    EXPECT_FALSE(NDSIsDirectoryServer(3));
    EXPECT_EQ(state().ndsError, 0xFFFFFFFFu);
    EXPECT_TRUE(NDSIsDirectoryServer(0));
}

TEST_F(Directory, ABinderyConnectionAnswersThroughTheCallsLibrary)
{
    // The Unicode tables refuse, so the directory start-up fails and nothing uses it.
    create(R"(
server FS1 1 bindery
user CN=jdoe.OU=Sales.O=Acme
connection-number 7
fail NWInitUnicodeTables 0xFE0F
object CN=jdoe.OU=Sales.O=Acme
  id 0x0100A2B3
  bindery-type 256
  attribute Full Name = text Jane Doe
)");
    EXPECT_TRUE(base->NetAvailable());
    EXPECT_FALSE(base->NDSAvailable());
    EXPECT_FALSE(state().directoryInUse);
    EXPECT_EQ(base->LoginID(), QStringLiteral("JDOE"));
    EXPECT_TRUE(directory->log().contains(QStringLiteral("NWGetConnectionInformation 0 number=7")));
    EXPECT_EQ(base->NWObjectType(), 256);
    EXPECT_EQ(base->ObjectType(), TNWBase::nwObjTypeUser);
    EXPECT_EQ(base->ObjectID(), QStringLiteral("B3A20001"));
    EXPECT_EQ(base->LoginFullName(), QStringLiteral("Jane Doe"));
    base->setNDSContextName(QStringLiteral("Sales.Acme"));
    EXPECT_EQ(base->NDSContextName(), QString());
}

TEST_F(Directory, ModeSettersReachTheClient)
{
    create();
    directory->clearLog();
    base->setBroadcastMode(TNWBase::nwBroadcastServerOnly);
    base->setShellErrorMode(TNWBase::nwErrDOS);
    EXPECT_EQ(directory->log(), QStringList({QStringLiteral("NWSetBroadcastMode 0 mode=1"),
                                             QStringLiteral("NWSetNetWareErrorMode 0 mode=2")}));
    EXPECT_EQ(base->BroadcastMode(), TNWBase::nwBroadcastServerOnly);
}

// The stand-in's present, far from the real one, so that an answer from the workstation's
// clock instead of the server's cannot pass: 13 September 2020, 12:26:40 UTC.
constexpr std::int64_t kServerNow = 1600000000;

// That instant in the local time of the test, as a date-time value.
double localDateTime(std::int64_t secs)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secs);
    return local.date().toJulianDay() - QDate(1899, 12, 30).toJulianDay() +
           local.time().msecsSinceStartOfDay() / 86400000.0;
}

TEST_F(Directory, ServerDateAndTimeGoBothWays)
{
    testsupport::ScopedEnv now("NWSIM_NOW", QByteArray::number(kServerNow));
    create();
    EXPECT_NEAR(base->ServerDate(), localDateTime(kServerNow), 0.5 / 86400);

    directory->clearLog();
    // 8 December 2026 09:05:30
    base->setServerDate(46364.0 + (9 * 3600 + 5 * 60 + 30) / 86400.0);
    EXPECT_EQ(directory->log(),
              QStringList{QStringLiteral("NWSetFileServerDateAndTime 0 126 12 8 9 5 30")});
}

TEST_F(Directory, TheStandInTakesLoginTimesRelativeToToday)
{
    testsupport::ScopedEnv now("NWSIM_NOW", QByteArray::number(kServerNow));
    create(kTree + "object CN=back.O=Acme\n  attribute Last Login Time = time 3 days ago 12:00\n");
    double lastLogin = 0;
    ASSERT_TRUE(NDSReadTimeAttribute(QString(), QStringLiteral("CN=back.O=Acme"), 47, lastLogin));
    const QDateTime expected(QDateTime::fromSecsSinceEpoch(kServerNow).date().addDays(-3),
                             QTime(12, 0));
    EXPECT_DOUBLE_EQ(lastLogin, NDSTimeToDateTime(std::uint32_t(expected.toSecsSinceEpoch())));
}

TEST_F(Directory, RelativeLoginTimesBeyondTheClientsRangeSaturate)
{
    testsupport::ScopedEnv now("NWSIM_NOW", QByteArray::number(kServerNow));
    create(kTree + "object CN=past.O=Acme\n  attribute Last Login Time = time 2147483648 days ago\n"
                   "object CN=future.O=Acme\n"
                   "  attribute Last Login Time = time -2147483648 days ago 08:00\n"
                   "object CN=far.O=Acme\n  attribute Last Login Time = time 50000 days ago\n");
    const struct
    {
        const char *object;
        std::uint32_t seconds;
    } rows[] = {{"CN=past.O=Acme", 0}, {"CN=future.O=Acme", UINT32_MAX}, {"CN=far.O=Acme", 0}};
    for (const auto &row : rows) {
        double lastLogin = 0;
        ASSERT_TRUE(NDSReadTimeAttribute(QString(), QLatin1String(row.object), 47, lastLogin))
            << row.object;
        EXPECT_DOUBLE_EQ(lastLogin, NDSTimeToDateTime(row.seconds)) << row.object;
    }
}

// A client that answers, but not with the previous login: one line says what is missing.
TEST_F(Directory, TheNetWareSourceNamesWhatItCannotAnswer)
{
    const struct
    {
        const char *name;
        QByteArray tree;
        const char *line;
    } rows[] = {
        {"NoUser", "tree ACME_TREE\nserver FS1 1\n",
         "ldpn: directory NetWare client: no user is logged in to the directory"},
        {"NoAttribute",
         "tree ACME_TREE\nserver FS1 1\nuser CN=new.O=Acme\nobject CN=new.O=Acme\n"
         "  attribute Full Name = text New User\n",
         "ldpn: directory NetWare client: CN=new.O=Acme has no Last Login Time that can be read"},
    };
    for (const auto &row : rows) {
        create(row.tree);
        QStringList lines;
        directory::NetWareDirectory source([&](const QString &line) { lines << line; });
        const QString name = source.whoAmIName();
        dates::TDateTime lastLogin = 0;
        EXPECT_FALSE(source.readTimeAttribute(QStringLiteral("[root]"), name, 47, lastLogin))
            << row.name;
        source.whoAmIName();
        EXPECT_EQ(lines.join('|').toStdString(), row.line) << row.name;
    }
    // A previous login is an answer: nothing to say.
    create();
    QStringList lines;
    directory::NetWareDirectory source([&](const QString &line) { lines << line; });
    dates::TDateTime lastLogin = 0;
    EXPECT_TRUE(
        source.readTimeAttribute(QStringLiteral("[root]"), source.whoAmIName(), 47, lastLogin));
    EXPECT_TRUE(lines.isEmpty()) << lines.join('|').toStdString();
}
