#include "app/einouterror.h"
#include "app/form1core.h"
#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "platform/textfile.h"

#include <QDir>

namespace {

// No day number is longer; a longer first line only has to stay recognisably invalid.
constexpr qsizetype kStampLimit = 64;

} // namespace

QString TForm1Core::dayStampFileName() const
{
    // Without a data folder of its own there is no stamp: never one in the root folder or in
    // whatever folder the program was started in.
    const QString folder = AboutSystem1->LocalAppData();
    if (!QDir::isAbsolutePath(folder))
        return QString();
    return folder + QStringLiteral("/dpn.qcf");
}

void TForm1Core::ReadDayStamp()
{
    const QString name = dayStampFileName();
    if (!platform::pathExists(name)) {
        programValues().DayStamp = QStringLiteral("0");
        return;
    }
    const platform::FirstLine line = platform::readFirstLine(name, kStampLimit);
    if (line.error != 0)
        throw EInOutError(line.error);
    QString stamp = QString::fromLocal8Bit(line.text);
    if (line.truncated)
        stamp += QStringLiteral("...");
    programValues().DayStamp = stamp;
}

std::unique_ptr<platform::FileReplacement> TForm1Core::PrepareDayStamp()
{
    const QByteArray content = programValues().CurrentDay.toLocal8Bit() + "\r\n";
    const QString name = dayStampFileName();
    // A fresh account has no data folder yet. Should it fail, the write names the reason.
    if (!name.isEmpty())
        platform::makeUserFolder(AboutSystem1->LocalAppData());
    auto stamp = std::make_unique<platform::FileReplacement>(name, content);
    if (stamp->error() != 0)
        throw EInOutError(stamp->error());
    return stamp;
}

void TForm1Core::CommitDayStamp(platform::FileReplacement &stamp)
{
    if (const int error = stamp.commit(); error != 0)
        throw EInOutError(error);
}

void TForm1Core::WriteDayStamp()
{
    CommitDayStamp(*PrepareDayStamp());
}
