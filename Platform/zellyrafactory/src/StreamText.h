#pragma once
// Everything left in a stream, as bytes.

#include <array>
#include <istream>
#include <string>

namespace zellyrafactory::detail {

inline std::string ReadAll(std::istream& in)
{
    std::string text;
    std::array<char, 4096> chunk{};
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace zellyrafactory::detail
