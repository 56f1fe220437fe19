#include "Keys.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace bttui {

bool IsEnter(finalcut::FKey key) noexcept { return key == finalcut::FKey::Return || key == finalcut::FKey::Enter; }

bool IsCancel(finalcut::FKey key) noexcept { return IsEscape(key) || key == finalcut::FKey::Ctrl_c; }

bool IsEscape(finalcut::FKey key) noexcept
{
    return key == finalcut::FKey::Escape || key == finalcut::FKey::Escape_mintty;
}

std::optional<char> TypedCharacter(finalcut::FKey key) noexcept
{
    const auto code = static_cast<std::uint32_t>(key);
    return code >= 0x20 && code < 0x7F ? std::optional<char>(static_cast<char>(code)) : std::nullopt;
}

namespace {

constexpr const char* kCommonKeys = " · Tab moves · Esc cancels";
constexpr std::array kAllKinds{FieldKind::Popup, FieldKind::Number, FieldKind::RadioButton, FieldKind::Button};

const char* OwnKeys(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Popup: return "Up/Down change, Enter opens the list";
    case FieldKind::Number: return "Typing replaces it, Enter takes it";
    case FieldKind::RadioButton: return "Up/Down or Space select";
    case FieldKind::Button: return "Enter or Space presses";
    }
    return "";
}

} // namespace

std::string KeysFor(FieldKind kind) { return std::string(OwnKeys(kind)) + kCommonKeys; }

int WidestKeys()
{
    int widest = 0;
    for (FieldKind kind : kAllKinds)
        widest = std::max(widest, TextCells(KeysFor(kind)));
    return widest;
}

} // namespace bttui
