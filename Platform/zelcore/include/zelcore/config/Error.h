#pragma once
// The errors the platform raises as exceptions: a reported error with its
// level, localisation key and two numbers, and the missing-object error.

#include "barsandtone/PlatformApi.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelcore::config {

class BT_PLATFORM_API Error : public std::runtime_error {
public:
    Error(std::int32_t level, std::string key, std::int32_t major, std::int32_t minor, bool userVisible,
          std::array<std::u16string, 4> replacements);
    ~Error() override;

    [[nodiscard]] std::int32_t Level() const noexcept { return mLevel; }
    [[nodiscard]] const std::string& Key() const noexcept { return mKey; }
    [[nodiscard]] std::int32_t Major() const noexcept { return mMajor; }
    [[nodiscard]] std::int32_t Minor() const noexcept { return mMinor; }
    [[nodiscard]] bool IsUserVisible() const noexcept { return mUserVisible; }
    [[nodiscard]] const std::array<std::u16string, 4>& Replacements() const noexcept { return mReplacements; }

private:
    std::int32_t mLevel;
    std::string mKey;
    std::int32_t mMajor;
    std::int32_t mMinor;
    bool mUserVisible;
    std::array<std::u16string, 4> mReplacements;
};

class BT_PLATFORM_API NullPtrException : public std::runtime_error {
public:
    explicit NullPtrException(std::string typeName);
    ~NullPtrException() override;
    [[nodiscard]] const std::string& TypeName() const noexcept { return mTypeName; }

private:
    std::string mTypeName;
};

/// Raises an Error. Its message is the key's localised text followed by the
/// two numbers, e.g. "Invalid type conversion. (105, 21)".
[[noreturn]] BT_PLATFORM_API void ThrowError(std::int32_t level, std::string_view key, std::int32_t major,
                                             std::int32_t minor, bool userVisible, const std::u16string& r1 = {},
                                             const std::u16string& r2 = {}, const std::u16string& r3 = {},
                                             const std::u16string& r4 = {});

/// Raises a NullPtrException for an object of the named type that could not be had.
[[noreturn]] BT_PLATFORM_API void DoThrowNullPtrException(std::string_view typeName);

} // namespace zelcore::config
