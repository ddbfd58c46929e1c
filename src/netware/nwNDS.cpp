#include "nwNDS.h"

QString NDSWhoAmIName()
{
    return {};
}

QString NDSTypelessName(const QString &)
{
    return {};
}

bool NDSReadTimeAttribute(const QString &, const QString &, std::uint8_t, double &)
{
    return false;
}
