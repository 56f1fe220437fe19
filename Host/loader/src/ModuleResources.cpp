#include "bthost/ModuleResources.h"

#include "bthost/PeImage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>
#include <stdexcept>

namespace bthost {

namespace fs = std::filesystem;

namespace {
std::vector<std::uint8_t> ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

ModuleResources ModuleResources::Load(const std::string& modulePath)
{
    std::ifstream in(modulePath, std::ios::binary);
    char signature[2] = {};
    in.read(signature, 2);
    if (in && signature[0] == 'M' && signature[1] == 'Z')
        return FromPeImage(ReadWholeFile(modulePath));
    return FromSideFolder(modulePath + ".resources");
}

ModuleResources ModuleResources::FromSideFolder(const std::string& folder)
{
    if (!fs::is_directory(folder))
        throw std::runtime_error("no resource folder " + folder);
    ModuleResources resources;
    for (const auto& typeDir : fs::directory_iterator(folder)) {
        if (!typeDir.is_directory())
            continue;
        for (const auto& file : fs::directory_iterator(typeDir.path())) {
            if (!file.is_regular_file())
                continue;
            resources.mResources.push_back({typeDir.path().filename().string(), file.path().filename().string(),
                                            std::nullopt, ReadWholeFile(file.path())});
        }
    }
    // Directory order is the file system's; sort so listings are stable.
    std::sort(resources.mResources.begin(), resources.mResources.end(),
              [](const ModuleResource& a, const ModuleResource& b) {
                  return std::tie(a.type, a.name) < std::tie(b.type, b.name);
              });
    return resources;
}

ModuleResources ModuleResources::FromPeImage(const std::vector<std::uint8_t>& image)
{
    ModuleResources resources;
    for (auto& entry : PeImage(image).Resources())
        resources.mResources.push_back({std::move(entry.type), std::move(entry.name), entry.language, std::move(entry.bytes)});
    return resources;
}

std::vector<std::string> ModuleResources::Types() const
{
    std::set<std::string> types;
    for (const auto& r : mResources)
        types.insert(r.type);
    return {types.begin(), types.end()};
}

std::vector<std::string> ModuleResources::Names(std::string_view type) const
{
    std::set<std::string> names;
    for (const auto& r : mResources)
        if (r.type == type)
            names.insert(r.name);
    return {names.begin(), names.end()};
}

const ModuleResource* ModuleResources::Find(std::string_view type, std::string_view name) const noexcept
{
    for (const auto& r : mResources)
        if (r.type == type && r.name == name)
            return &r;
    return nullptr;
}

} // namespace bthost
