#pragma once
// printf-style formatting into a string, checked by the compiler.

#include <string>

namespace btcheck {

[[nodiscard]] std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace btcheck
