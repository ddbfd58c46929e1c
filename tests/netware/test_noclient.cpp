// A workstation without the NetWare client: every operation answers its failure result.
#include "dates/dates.h"
#include "directory/netwaredirectory.h"
#include "netware/nwNDS.h"
#include "netware/nwbase.h"
#include "netware/nwlib.h"
#include "simclient.h"

#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>

TEST(NoClient, BaseComponentAnswersItsFailureValuesAndMakesNoCall)
{
    // A stand-in directory that would log every call, if any library were found.
    SimDirectory directory("user CN=jdoe.O=Acme\n");
    TNWBase base(nullptr);

    TNWLastError *errors = base.LastError();
    EXPECT_EQ(errors->NWLib(), QStringLiteral("FFFF"));
    EXPECT_EQ(errors->NWNDS(), QStringLiteral("FFFF"));
    EXPECT_EQ(errors->NWServer(), QStringLiteral("0000"));
    EXPECT_EQ(errors->NWProp(), QStringLiteral("0000"));
    EXPECT_EQ(errors->NWPrint(), QStringLiteral("0000"));

    EXPECT_FALSE(base.NetAvailable());
    EXPECT_FALSE(base.NDSAvailable());
    EXPECT_EQ(base.ServerName(), QStringLiteral("LOCAL"));
    EXPECT_EQ(base.ServerVersion(), QStringLiteral("0.0"));
    EXPECT_EQ(base.LoginID(), QString());
    EXPECT_EQ(base.ObjectID(), QStringLiteral("0"));
    EXPECT_EQ(base.FirstNetworkDrive(), QChar(0));
    EXPECT_EQ(base.NextNetworkDrive(), QChar(0));
    EXPECT_EQ(base.ConnectionID(), 0);
    EXPECT_EQ(base.MaxServerConns(), 0);
    EXPECT_FALSE(base.ConsoleOperator());
    EXPECT_FALSE(base.Manager());
    EXPECT_EQ(base.NDSPreferredTree(), QString());
    EXPECT_NEAR(base.ServerDate(), dates::Now(platform::systemClock()), 5.0 / 86400);

    base.setNDSContextName(QStringLiteral("Sales.Acme"));
    EXPECT_EQ(base.NDSContextName(), QString());

    EXPECT_FALSE(QFile::exists(directory.logPath()));
}

TEST(NoClient, DirectoryOperationsFailQuietlyAndLeaveTheDestination)
{
    TNWBase base(nullptr);
    EXPECT_EQ(NDSWhoAmIName(), QString());
    EXPECT_EQ(NDSTypelessName(QStringLiteral("CN=jdoe.O=Acme")), QString());
    EXPECT_EQ(nw::NDSCanonicalName(QStringLiteral("jdoe.Acme")), QString());
    double lastLogin = 1234.5;
    EXPECT_FALSE(
        NDSReadTimeAttribute(QStringLiteral("[root]"), QStringLiteral("jdoe"), 47, lastLogin));
    EXPECT_FALSE(NDSReadTimeAttribute(QString(), QStringLiteral("jdoe"), 47, lastLogin));
    EXPECT_EQ(lastLogin, 1234.5);
    // None of this wrote the directory cell.
    EXPECT_EQ(base.LastError()->NWNDS(), QStringLiteral("FFFF"));
    EXPECT_EQ(nw::state().mainContext, 0);
}

TEST(NoClient, WithoutAnEventLoopAReplacedObjectGoesWithTheComponent)
{
    QPointer<TNWLastError> previous;
    QPointer<TNWLastError> replacement = new TNWLastError;
    {
        TNWBase base(nullptr);
        previous = base.LastError();
        base.setLastError(replacement);
        EXPECT_EQ(base.LastError(), replacement.data());
        EXPECT_FALSE(previous.isNull());
    }
    EXPECT_TRUE(previous.isNull());
    EXPECT_TRUE(replacement.isNull());
}

// Without the client the page shows at every login: the source says why, naming the library.
TEST(NoClient, TheNetWareSourceNamesTheLibraryThatCannotBeLoadedOnce)
{
    TNWBase base(nullptr);
    QStringList lines;
    directory::NetWareDirectory source([&](const QString &line) { lines << line; });
    EXPECT_EQ(source.whoAmIName(), QString());
    EXPECT_EQ(source.whoAmIName(), QString());
    dates::TDateTime lastLogin = 0;
    EXPECT_FALSE(source.readTimeAttribute(QStringLiteral("[root]"), QString(), 47, lastLogin));
    EXPECT_EQ(lines, QStringList{"ldpn: directory NetWare client: cannot load CALWIN32.DLL "
                                 "(libcalwin32.so: cannot open shared object file: No such file "
                                 "or directory)"});
}
