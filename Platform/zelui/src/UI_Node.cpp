#include "zelui/ui/UI_Node.h"
#include "zelui/ui/UI_NodeManager.h"

#include <utility>

namespace zelui {

namespace ui {

UI_Node::UI_Node(std::string kind, std::string identifier)
    : mKind(std::move(kind)), mIdentifier(std::move(identifier))
{
}

UI_Node::~UI_Node() = default;

UI_Container::~UI_Container() = default;

namespace {
class DefaultSupplier final : public paintbox::SupplierInterface {
public:
    std::string_view GetName() const noexcept override { return "default"; }
};
} // namespace

UI_NodeManager& UI_NodeManager::Get(bool)
{
    static UI_NodeManager manager;
    return manager;
}

const paintbox::SupplierInterface* UI_NodeManager::GetDefaultDrawSupplier() const noexcept
{
    static const DefaultSupplier supplier;
    return &supplier;
}

} // namespace ui

paintbox::SupplierInterface::~SupplierInterface() = default;

} // namespace zelui
