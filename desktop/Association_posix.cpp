// Linux has no registry of file classes: the association goes into the
// user's freedesktop folders.
#include "desktop/Association.h"

#include "desktop/FreedesktopAssociation.h"

namespace desktop {

namespace {
PngIcons& Icons()
{
    static PngIcons icons;
    return icons;
}
}  // namespace

void AssociateFileType(const std::string& extension, const std::string& programPath)
{
    AssociateFreedesktop(UserXdgFolders(), extension, programPath, Icons());
}

void SetAssociationIcons(std::vector<std::pair<int, std::string>> pngBySize) { Icons() = std::move(pngBySize); }

}  // namespace desktop
