#include "platform/text.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace platform {

Status Join(Text& out, std::initializer_list<std::string_view> parts) noexcept
{
    std::size_t size = 0;
    for (const std::string_view part : parts) {
        size += part.size();
    }
    try {
        Text joined;
        joined.reserve(size);
        for (const std::string_view part : parts) {
            joined += part;
        }
        out = std::move(joined);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::length_error&) {
        return kOutOfMemory;
    }
}

}  // namespace platform
