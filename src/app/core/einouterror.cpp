#include "app/einouterror.h"

#include "platform/textfile.h"

EInOutError::EInOutError(int code) : Exception(messageFor(code)), m_code(code) {}

QString EInOutError::messageFor(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("File not found");
    case 3:
        return QStringLiteral("Invalid filename");
    case 4:
        return QStringLiteral("Too many open files");
    case 5:
        return QStringLiteral("File access denied");
    case 100:
        return QStringLiteral("Read beyond end of file");
    case 101:
        return QStringLiteral("Disk full");
    case 106:
        return QStringLiteral("Invalid numeric input");
    default:
        // A system error number that the table has no code for is named as it is.
        if (const int err = platform::systemErrorOf(code); err != 0)
            return QStringLiteral("I/O error %1").arg(err);
        return QStringLiteral("I/O error %1").arg(code);
    }
}
