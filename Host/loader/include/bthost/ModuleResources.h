#pragma once
// The module's description resources as a host reads them, without running
// any of the module's code: from the resource section of a Windows module, or
// from the side folder `<module path>.resources/<TYPE>/<NAME>` that a module
// without Windows resources carries.
//
// Types and names are texts: a numeric id is written in decimal ("16000",
// type "24" for the manifest), a named one as stored (upper case).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bthost {

struct ModuleResource {
    std::string type;
    std::string name;
    std::optional<std::uint16_t> language; ///< none for side files
    std::vector<std::uint8_t> bytes;
};

class ModuleResources {
public:
    /// Reads the resources of the module at `modulePath`: a file that starts
    /// with the Windows image signature is read as a PE image, anything else
    /// from its side folder. Throws std::runtime_error when neither holds
    /// readable resources.
    [[nodiscard]] static ModuleResources Load(const std::string& modulePath);
    /// Reads `<folder>/<TYPE>/<NAME>` files.
    [[nodiscard]] static ModuleResources FromSideFolder(const std::string& folder);
    /// Reads the resource section of a PE image held in memory.
    [[nodiscard]] static ModuleResources FromPeImage(const std::vector<std::uint8_t>& image);

    [[nodiscard]] const std::vector<ModuleResource>& All() const noexcept { return mResources; }
    /// Distinct types, sorted.
    [[nodiscard]] std::vector<std::string> Types() const;
    /// Names of one type, sorted.
    [[nodiscard]] std::vector<std::string> Names(std::string_view type) const;
    /// The first resource of that type and name (any language), or null.
    [[nodiscard]] const ModuleResource* Find(std::string_view type, std::string_view name) const noexcept;

private:
    std::vector<ModuleResource> mResources;
};

} // namespace bthost
