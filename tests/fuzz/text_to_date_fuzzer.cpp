// Text to date on any bytes: never crashes, and every text it accepts turns
// back into the same date through date to text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::DATE date = 0.0;
    if (platform::TextToDate(text, date).Failed()) {
        return 0;
    }
    platform::Text written;
    platform::DATE again = -1.0;
    if (platform::DateToText(date, written).Failed() || platform::TextToDate(written, again).Failed() ||
        again != date) {
        std::abort();
    }
    return 0;
}
