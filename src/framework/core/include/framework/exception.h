#pragma once

#include <QString>
#include <exception>

namespace framework {

// The base of the program's own errors; an escaping one is shown in the error box.
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Text-to-number conversion failure (StrToInt): "'%s' is not a valid integer value".
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

} // namespace framework
