// libFuzzer entry; PLAINORA_FUZZ_TARGET names the target (see FuzzTargets.cpp).
#include "FuzzTargets.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const plainora::fuzz::Target* target = plainora::fuzz::findTarget(PLAINORA_FUZZ_TARGET);
    if (!target || !target->run(data, size))
        std::abort(); // a contract violation is a finding like a crash
    return 0;
}
