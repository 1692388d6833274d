#include "fuzz_checks.h"

#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!check_read_records(data, size))
        abort();
    return 0;
}
