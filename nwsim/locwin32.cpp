// The locale library of the stand-in client.
#include "simentry.h"

#include <cstring>

using namespace nwsim;

extern "C" {

NWRCODE NWLlocaleconv(std::uint8_t *record)
{
    NWSIM_CONFIGURED_FAILURE(NWLlocaleconv)
    const Directory &d = directory();
    std::memset(record, 0, nwclient::kLocaleRecordSize);
    std::memcpy(record + nwclient::kLocaleCodePageOffset, &d.codePage, sizeof d.codePage);
    std::memcpy(record + nwclient::kLocaleCountryOffset, &d.country, sizeof d.country);
    return logged("NWLlocaleconv", 0);
}

// Only the country and code page that NWLlocaleconv reported load the tables.
NWRCODE NWInitUnicodeTables(std::int32_t country, std::int32_t codePage)
{
    NWSIM_CONFIGURED_FAILURE(NWInitUnicodeTables)
    Directory &d = directory();
    const std::string detail =
        "country=" + std::to_string(country) + " codepage=" + std::to_string(codePage);
    if (country != d.country || codePage != d.codePage)
        return logged("NWInitUnicodeTables", kUnicodeMismatch, detail);
    d.unicodeTables = true;
    return logged("NWInitUnicodeTables", 0, detail);
}

NWRCODE NWFreeUnicodeTables()
{
    NWSIM_CONFIGURED_FAILURE(NWFreeUnicodeTables)
    Directory &d = directory();
    d.unicodeTables = false;
    return logged("NWFreeUnicodeTables", 0);
}
}
