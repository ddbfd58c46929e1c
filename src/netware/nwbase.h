#pragma once

#include <QObject>
#include <QString>

// The directory base component: creating it binds the client and prepares the directory.
class TNWBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString NDSContextName READ NDSContextName WRITE setNDSContextName)
public:
    explicit TNWBase(QObject *owner = nullptr);

    QString NDSContextName() const { return m_contextName; }
    void setNDSContextName(const QString &name);

private:
    QString m_contextName;
};
