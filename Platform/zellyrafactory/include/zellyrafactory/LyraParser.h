#pragma once
// The layout language, both dialects:
//
//   layout <name>
//   {
//   	view <dialog widget>(<property list>)
//   	{
//   		<widget>(<property list>);          a widget without children
//   		<widget>(<property list>) { ... }   a widget with children
//   	}
//   }
//
// A property list is a comma-separated list of `name: value`; a value is a
// text in single quotes (\' and \\ escape), a number, or a symbol (align_fill,
// or @align_fill in the older dialect). The parentheses may be left out of a
// widget without properties. `//` starts a comment up to the end of the line.
// The older dialect is recognised by its dialog widget (`dialog`) and its
// vocabulary is rewritten into the current one.

#include "barsandtone/PlatformApi.h"
#include "zellyrafactory/LyraDocument.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace zellyrafactory {

/// A malformed layout script. what() reads "layout script line N: ...".
class BT_PLATFORM_API LyraSyntaxError : public std::runtime_error {
public:
    LyraSyntaxError(int line, const std::string& message);
    ~LyraSyntaxError() override;
    [[nodiscard]] int Line() const noexcept { return mLine; }

private:
    int mLine;
};

/// Parses a whole script; throws LyraSyntaxError naming the line of the fault.
[[nodiscard]] BT_PLATFORM_API LyraDocument ParseLyraText(std::string_view script);

} // namespace zellyrafactory
