// The binding against incomplete clients. Each variant runs in a process of its own, built
// with NWSIM_VARIANT_<name>, because the loaded libraries stay for the whole process.
#include "netware/nwNDS.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "simclient.h"

#include <gtest/gtest.h>

using namespace nw;

namespace {

const QByteArray kTree = "server FS1 1\nuser CN=jdoe.O=Acme\nobject CN=jdoe.O=Acme\n";

} // namespace

#ifdef NWSIM_VARIANT_noclx
TEST(Variant, WithoutTheConnectionLibraryTheClientIsNotInitialised)
{
    SimDirectory directory(kTree);
    TNWBase base(nullptr);
    EXPECT_EQ(base.LastError()->NWLib(), QStringLiteral("FFFF"));
    EXPECT_FALSE(base.NetAvailable());
    EXPECT_FALSE(directory.calls().contains(QStringLiteral("NWCallsInit")));
    EXPECT_FALSE(base.NDSAvailable());
    EXPECT_EQ(NDSWhoAmIName(), QStringLiteral("CN=jdoe.O=Acme")); // the directory still answers
}

#endif

#ifdef NWSIM_VARIANT_nostream
TEST(Variant, AChainThatLacksItsLastNameBindsTheRestButCreatesNoContext)
{
    SimDirectory directory(kTree);
    TNWLib lib;
    TNWNDS nds;
    const ClientState &s = state();
    EXPECT_EQ(s.entries[int(Entry::NWDSOpenStream)], nullptr);
    for (Entry e :
         {Entry::NWLlocaleconv, Entry::NWInitUnicodeTables, Entry::NWDSCreateContext,
          Entry::NWDSRead, Entry::NWDSList, Entry::NWFreeUnicodeTables, Entry::NWDSGetContext})
        EXPECT_NE(s.entries[int(e)], nullptr) << entryName(e);
    EXPECT_EQ(s.mainContext, 0);
    EXPECT_EQ(s.lookupContext, 0);
    EXPECT_FALSE(directory.calls().contains(QStringLiteral("NWDSCreateContext")));
    EXPECT_EQ(nds.lastErrorText(), QStringLiteral("0000"));

    // The directory start-up then makes the main context itself.
    EXPECT_TRUE(NDSStartup());
    EXPECT_GT(s.mainContext, 0);
    EXPECT_TRUE(NDSShutdown());
}

#endif

#ifdef NWSIM_VARIANT_initfail
TEST(Variant, WhenCallsInitFailsThePrimaryConnectionIsAskedForEveryTime)
{
    SimDirectory directory(kTree);
    TNWLib lib;
    EXPECT_EQ(state().primaryConnection, 0u);
    EXPECT_EQ(directory.calls(), QStringList{QStringLiteral("NWCallsInit")});
    EXPECT_EQ(PrimaryConnection(), 1u);
    EXPECT_EQ(PrimaryConnection(), 1u);
    EXPECT_EQ(state().primaryConnection, 0u);
    EXPECT_EQ(directory.calls().count(QStringLiteral("NWCCGetPrimConnRef")), 2);
    EXPECT_TRUE(NetAvailability());
}

TEST(Variant, AFailingPrimaryConnectionLeavesItsStatus)
{
    SimDirectory directory(kTree + "fail NWCCOpenConnByRef 0x8801\n");
    TNWLib lib;
    EXPECT_EQ(PrimaryConnection(), 0u);
    EXPECT_EQ(lib.lastErrorText(), QStringLiteral("8801"));
    EXPECT_FALSE(NetAvailability());
}
#endif
