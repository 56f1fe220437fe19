#pragma once
// A node of a user-interface tree: a control, a container or a window. Nodes
// are reference counted; a tree holds one use count of each of its nodes.

#include "barsandtone/PlatformApi.h"
#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"

#include <string>
#include <string_view>

namespace zelui::ui {

class BT_PLATFORM_API UI_Node : public zelcore::utility::RefCountedObjectWithWeakPtr {
public:
    /// `kind` is the widget kind of the layout language ("zel_popup", "row"…).
    UI_Node(std::string kind, std::string identifier);
    ~UI_Node() override;

    [[nodiscard]] const std::string& GetKind() const noexcept { return mKind; }
    [[nodiscard]] const std::string& GetIdentifier() const noexcept { return mIdentifier; }

private:
    std::string mKind;
    std::string mIdentifier;
};

/// Rows, columns and other nodes that only arrange their children.
class BT_PLATFORM_API UI_Container : public UI_Node {
public:
    using UI_Node::UI_Node;
    ~UI_Container() override;
};

} // namespace zelui::ui
