// mendrix-wix-association FILE FILE_ID: writes FILE, the installer's
// registry values of the .kdx file type, by running the file-type
// association itself against a registry that only takes notes, so the
// installer and the window's menu entry never write different keys.
// FILE_ID is the installer's name of mendrix.exe: the program's path is
// written as "[#FILE_ID]", which the installer turns into the path of the
// installed file. Every key lands under
// Software\Classes of the install's own hive (the user's, or the machine's
// for an install for all users), the part of the registry that the system
// shows as HKEY_CLASSES_ROOT. Exit status 0 when written, 1 when the file
// could not be, 2 on wrong usage.
#include "desktop/RegistryAssociation.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// The keys in the order they were opened, each with the default value it
// was given, if any.
class NoteTakingRegistry final : public desktop::Registry {
public:
    struct Written {
        std::string path;
        std::optional<std::string> value;
    };

    Registry::Key CreateKey(const std::string& path) override
    {
        keys.push_back({path, std::nullopt});
        open_[++last_] = keys.size() - 1;
        return last_;
    }
    bool SetDefaultValue(Registry::Key key, const std::string& value) override
    {
        const auto found = open_.find(key);
        if (found == open_.end()) return false;
        keys[found->second].value = value;
        return true;
    }
    void CloseKey(Registry::Key key) override { open_.erase(key); }
    void NotifyAssociationsChanged() override {}

    std::vector<Written> keys;

private:
    std::map<Registry::Key, std::size_t> open_;
    Registry::Key last_ = kNoKey;
};

std::string XmlAttribute(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A key given a value becomes that value, which the installer removes again
// (and the key with it once empty). A key only created (the class) is
// created, and on uninstall deleted with everything below it ("*").
std::string WixInclude(const std::vector<NoteTakingRegistry::Written>& keys)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<!-- Made by mendrix-wix-association from the file-type association: not to be edited. -->\n"
                      "<Include>\n";
    for (const NoteTakingRegistry::Written& key : keys) {
        out += "  <RegistryValue Root=\"HKMU\" Key=\"Software\\Classes\\" + XmlAttribute(key.path) + "\" ";
        if (key.value)
            out += "Type=\"string\" Value=\"" + XmlAttribute(*key.value) + "\"/>\n";
        else
            out += "Name=\"*\" Type=\"string\" Value=\"\"/>\n";
    }
    return out + "</Include>\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: mendrix-wix-association FILE FILE_ID\n", stderr);
        return 2;
    }
    NoteTakingRegistry registry;
    desktop::RegisterFileClass(registry, "kdx", "[#" + std::string(argv[2]) + "]");
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << WixInclude(registry.keys);
    out.close();
    if (out) return 0;
    std::fprintf(stderr, "mendrix-wix-association: cannot write %s\n", argv[1]);
    return 1;
}
