#include "desktop/RegistryAssociation.h"

#include <stdexcept>

namespace desktop {

namespace {

// The one open key. Its result is not tested on opening: a key that could
// not be opened makes the write that follows fail.
class OpenedKey {
public:
    OpenedKey(Registry& registry, const std::string& path)
        : registry_(registry), key_(registry.CreateKey(path))
    {
    }
    ~OpenedKey()
    {
        if (key_ != Registry::kNoKey) registry_.CloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool IsOpen() const { return key_ != Registry::kNoKey; }

    void WriteDefault(const std::string& value)
    {
        // The default value's name is empty.
        if (!registry_.SetDefaultValue(key_, value)) throw std::runtime_error("Failed to set data for ''");
    }

private:
    Registry& registry_;
    Registry::Key key_;
};

}  // namespace

std::string OpenCommandFor(const std::string& programPath) { return R"(")" + programPath + R"(" "%1")"; }

void RegisterFileClass(Registry& registry, const std::string& extension, const std::string& programPath)
{
    const std::string fileClass = extension + "file";
    {
        OpenedKey key(registry, "." + extension);
        key.WriteDefault(fileClass);
    }
    {
        OpenedKey key(registry, fileClass);
        if (!key.IsOpen()) throw std::runtime_error("Failed to create key " + fileClass);
    }
    {
        OpenedKey key(registry, fileClass + "\\DefaultIcon");
        key.WriteDefault(programPath + ",0");
    }
    {
        OpenedKey key(registry, fileClass + R"(\shell\open\command)");
        key.WriteDefault(OpenCommandFor(programPath));
    }
    registry.NotifyAssociationsChanged();
}

}  // namespace desktop
