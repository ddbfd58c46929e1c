#pragma once

#include "framework/exception.h"

// The file errors of the day stamp, with the code's message.
class EInOutError : public framework::Exception
{
public:
    explicit EInOutError(int code);
    int code() const { return m_code; }
    static QString messageFor(int code);

private:
    int m_code;
};
