// A registry in memory for tests: keys with their values, a log of every
// call, and refusals of chosen calls.
#pragma once

#include "desktop/Registry.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

// Orders key paths as the registry does: without regard to ASCII case.
struct KeyPathLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class FakeRegistry final : public Registry {
public:
    enum class Op { Create, SetDefault, Close, Notify };
    struct Call {
        Op op;
        std::string path;   // the key's path; empty for Notify and for a write to no key
        std::string value;  // what SetDefault was asked to write
        bool refused;
        bool operator==(const Call&) const = default;
    };

    Key CreateKey(const std::string& path) override;
    bool SetDefaultValue(Key key, const std::string& value) override;
    void CloseKey(Key key) override;
    void NotifyAssociationsChanged() override;

    // Makes every later Create or SetDefault of the key at path fail.
    void Refuse(Op op, const std::string& path);

    // Creates a key (and the keys on the way) with a value, as a test's starting state.
    void Put(const std::string& path, const std::string& valueName, const std::string& value);
    bool HasKey(const std::string& path) const;
    // The key's value by name ("" is the default value); nothing when the key or value is missing.
    std::optional<std::string> Value(const std::string& path, const std::string& valueName = "") const;

    std::vector<Call> calls;
    // The most keys that were open at one time, and how many are open now.
    int maxOpenKeys = 0;
    int openKeys = 0;
    // Every key: path -> value name -> value.
    std::map<std::string, std::map<std::string, std::string>, KeyPathLess> keys;

private:
    bool IsRefused(Op op, const std::string& path) const;
    void CreatePath(const std::string& path);

    std::vector<std::pair<Op, std::string>> refusals_;
    std::map<Key, std::string> open_;
    Key nextKey_ = 1;
};

}  // namespace desktop
