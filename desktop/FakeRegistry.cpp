#include "desktop/FakeRegistry.h"

#include <algorithm>
#include <cctype>

namespace desktop {

namespace {
unsigned char Lower(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }
}  // namespace

bool KeyPathLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool FakeRegistry::IsRefused(Op op, const std::string& path) const
{
    return std::any_of(refusals_.begin(), refusals_.end(), [&](const auto& r) {
        return r.first == op && !KeyPathLess()(r.second, path) && !KeyPathLess()(path, r.second);
    });
}

void FakeRegistry::CreatePath(const std::string& path)
{
    // Every key on the way exists too, as the registry creates them.
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
        keys[path.substr(0, at)];
    keys[path];
}

Registry::Key FakeRegistry::CreateKey(const std::string& path)
{
    const bool refused = IsRefused(Op::Create, path);
    calls.push_back({Op::Create, path, "", refused});
    if (refused) return kNoKey;
    CreatePath(path);
    const Key key = nextKey_++;
    open_[key] = path;
    maxOpenKeys = std::max(maxOpenKeys, ++openKeys);
    return key;
}

bool FakeRegistry::SetDefaultValue(Key key, const std::string& value)
{
    const auto it = open_.find(key);
    const std::string path = it == open_.end() ? "" : it->second;
    const bool refused = it == open_.end() || IsRefused(Op::SetDefault, path);
    calls.push_back({Op::SetDefault, path, value, refused});
    if (refused) return false;
    keys[path][""] = value;
    return true;
}

void FakeRegistry::CloseKey(Key key)
{
    const auto it = open_.find(key);
    calls.push_back({Op::Close, it == open_.end() ? "" : it->second, "", it == open_.end()});
    if (it == open_.end()) return;
    open_.erase(it);
    --openKeys;
}

void FakeRegistry::NotifyAssociationsChanged() { calls.push_back({Op::Notify, "", "", false}); }

void FakeRegistry::Refuse(Op op, const std::string& path) { refusals_.emplace_back(op, path); }

void FakeRegistry::Put(const std::string& path, const std::string& valueName, const std::string& value)
{
    CreatePath(path);
    keys[path][valueName] = value;
}

bool FakeRegistry::HasKey(const std::string& path) const { return keys.contains(path); }

std::optional<std::string> FakeRegistry::Value(const std::string& path, const std::string& valueName) const
{
    const auto key = keys.find(path);
    if (key == keys.end()) return std::nullopt;
    const auto value = key->second.find(valueName);
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

}  // namespace desktop
