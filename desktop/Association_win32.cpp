// Windows: the association goes into the registry of file classes.
#include "desktop/Association.h"

#include "desktop/RegistryAssociation.h"

namespace desktop {

void AssociateFileType(const std::string& extension, const std::string& programPath)
{
    RegisterFileClass(*ClassesRoot(), extension, programPath);
}

// The shell takes the icon from the program file itself ("<path>,0").
void SetAssociationIcons(std::vector<std::pair<int, std::string>>) {}

}  // namespace desktop
