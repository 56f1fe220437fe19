#pragma once
// A parsed layout script: the layout's name and its widget tree, in the
// vocabulary of the current dialect whichever dialect the script was written
// in. Lines are kept for error messages; they take no part in comparisons.

#include "barsandtone/PlatformApi.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zellyrafactory {

enum class LyraDialect { Current, Older };

struct BT_PLATFORM_API LyraValue {
    enum class Kind { Text, Number, Symbol };
    Kind kind = Kind::Text;
    std::string text;    ///< as written (quotes removed; a symbol without '@')
    double number = 0.0; ///< for Kind::Number

    friend bool operator==(const LyraValue& a, const LyraValue& b) noexcept
    {
        return a.kind == b.kind && a.text == b.text;
    }
};

struct BT_PLATFORM_API LyraProperty {
    std::string name;
    LyraValue value;
    int line = 0;

    friend bool operator==(const LyraProperty& a, const LyraProperty& b) noexcept
    {
        return a.name == b.name && a.value == b.value;
    }
};

struct BT_PLATFORM_API LyraWidget {
    std::string kind;
    std::vector<LyraProperty> properties; ///< in written order, repeats kept
    std::vector<LyraWidget> children;
    int line = 0;

    /// The first property of that name, or null.
    [[nodiscard]] const LyraProperty* Find(std::string_view name) const noexcept;

    friend bool operator==(const LyraWidget& a, const LyraWidget& b) noexcept
    {
        return a.kind == b.kind && a.properties == b.properties && a.children == b.children;
    }
};

struct BT_PLATFORM_API LyraDocument {
    std::string layoutName;
    LyraDialect dialect = LyraDialect::Current;
    LyraWidget view; ///< the dialog widget after `view`
};

} // namespace zellyrafactory
