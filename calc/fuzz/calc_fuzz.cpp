#include "calc/untJCalc.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes must end in a value or a calculator error: no crash, no hang, no other
// exception (which libFuzzer reports as a crash).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Calc(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const ECalcError&) {
    }
    return 0;
}
