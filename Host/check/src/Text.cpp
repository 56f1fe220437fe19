#include "Text.h"

#include <cstdarg>
#include <cstdio>

namespace btcheck {

std::string Printf(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

} // namespace btcheck
