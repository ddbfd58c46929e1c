#include "app/einouterror.h"
#include "app/form1core.h"
#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "platform/textfile.h"

namespace {

// No day number is longer; a longer first line only has to stay recognisably invalid.
constexpr qsizetype kStampLimit = 64;

} // namespace

QString TForm1Core::dayStampFileName() const
{
    return AboutSystem1->LocalAppData() + QStringLiteral("/dpn.qcf");
}

void TForm1Core::ReadDayStamp()
{
    const QString name = dayStampFileName();
    if (!platform::fileExists(name)) {
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

void TForm1Core::WriteDayStamp()
{
    const QByteArray content = programValues().CurrentDay.toLocal8Bit() + "\r\n";
    if (const int error = platform::replaceFile(dayStampFileName(), content); error != 0)
        throw EInOutError(error);
}
