#pragma once

#include <QString>
#include <cstdint>

// Directory operations. Without a client they answer "", "" and false.
QString NDSWhoAmIName();
QString NDSTypelessName(const QString &name);
bool NDSReadTimeAttribute(const QString &contextName, const QString &objectName,
                          std::uint8_t attributeIndex, double &destination);
