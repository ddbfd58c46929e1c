#include "platform/systeminfo.h"

#include <cstring>

namespace platform {

std::uint32_t copyToBuffer(const QByteArray &text, char *buffer, std::uint32_t size)
{
    const auto len = static_cast<std::uint32_t>(text.size());
    if (buffer == nullptr || size == 0 || len + 1 > size)
        return len + 1;
    std::memcpy(buffer, text.constData(), len);
    buffer[len] = '\0';
    return len;
}

} // namespace platform
