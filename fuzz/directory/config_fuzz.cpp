// libFuzzer entry: build with -DDAYPANE_FUZZ=ON and clang.
#include "directoryfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    exerciseConfigReader(data, size);
    return 0;
}
