#include "zelcore/classref/Unknown.h"

namespace zelcore::classref {

UnknownBase::~UnknownBase() = default;

void* UnknownBase::QueryInterface(const InterfaceId&) noexcept { return nullptr; }

std::shared_ptr<UnknownBase> UnknownBase::GetSharedFromThis() noexcept { return weak_from_this().lock(); }

Unknown::~Unknown() = default;

} // namespace zelcore::classref
