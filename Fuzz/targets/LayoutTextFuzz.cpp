// The layout library's parser, both dialects: any text either parses into a
// document or is refused with the syntax error that names its line; nothing
// else may escape, and no text makes it crash, recurse without end or hang.
// Seeds: the module's two layout texts.

#include "zellyrafactory/LyraParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Every widget the parser hands out has a kind; a document has a dialog.
void CheckWidget(const zellyrafactory::LyraWidget& widget, int depth)
{
    if (widget.kind.empty() || depth > 1000) {
        std::fprintf(stderr, "fuzz check failed: widget without a kind or absurdly deep\n");
        std::abort();
    }
    for (const auto& child : widget.children)
        CheckWidget(child, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const zellyrafactory::LyraDocument document = zellyrafactory::ParseLyraText(text);
        CheckWidget(document.view, 0);
    } catch (const zellyrafactory::LyraSyntaxError& error) {
        if (error.Line() < 0) {
            std::fprintf(stderr, "fuzz check failed: syntax error at line %d\n", error.Line());
            std::abort();
        }
    }
    return 0;
}
