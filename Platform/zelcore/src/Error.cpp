#include "zelcore/config/Error.h"

#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"

#include <utility>

namespace zelcore::config {

namespace {
std::string ErrorMessage(std::string_view key, std::int32_t major, std::int32_t minor)
{
    return text::Utf16ToUtf8(Localizer::Get().Localize(key)) + " (" + std::to_string(major) + ", " +
           std::to_string(minor) + ")";
}
} // namespace

Error::Error(std::int32_t level, std::string key, std::int32_t major, std::int32_t minor, bool userVisible,
             std::array<std::u16string, 4> replacements)
    : std::runtime_error(ErrorMessage(key, major, minor)), mLevel(level), mKey(std::move(key)), mMajor(major),
      mMinor(minor), mUserVisible(userVisible), mReplacements(std::move(replacements))
{
}

Error::~Error() = default;

NullPtrException::NullPtrException(std::string typeName)
    : std::runtime_error("no object of type " + typeName), mTypeName(std::move(typeName))
{
}

NullPtrException::~NullPtrException() = default;

void ThrowError(std::int32_t level, std::string_view key, std::int32_t major, std::int32_t minor, bool userVisible,
                const std::u16string& r1, const std::u16string& r2, const std::u16string& r3,
                const std::u16string& r4)
{
    throw Error(level, std::string(key), major, minor, userVisible, {r1, r2, r3, r4});
}

void DoThrowNullPtrException(std::string_view typeName) { throw NullPtrException(std::string(typeName)); }

} // namespace zelcore::config
