#include "nwbase.h"

TNWBase::TNWBase(QObject *owner) : QObject(owner) {}

void TNWBase::setNDSContextName(const QString &)
{
    // Without a directory the property keeps its value.
}
