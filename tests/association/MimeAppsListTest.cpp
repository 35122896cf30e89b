// The edit of mimeapps.list and the quoting of the desktop entry's Exec key.
#include "desktop/FreedesktopAssociation.h"
#include "desktop/MimeAppsList.h"

#include <gtest/gtest.h>

namespace {

using desktop::WithDefaultApplication;

const std::string kType = "application/x-kdx-patch";
const std::string kApp = "mendrix.desktop";

TEST(MimeAppsList, ReplacesTheEntryInPlaceAndKeepsEveryOtherLine)
{
    const std::string before =
        "# mine\n"
        "[Added Associations]\n"
        "application/x-kdx-patch=hexedit.desktop;\n"
        "\n"
        "[Default Applications]\n"
        "text/plain=gedit.desktop;\n"
        "application/x-kdx-patch = other.desktop;\r\n"
        "image/png=gimp.desktop;\n"
        "application/x-kdx-patch=third.desktop;\n"
        "[Removed Associations]\n"
        "text/html=firefox.desktop;\n";
    const std::string after =
        "# mine\n"
        "[Added Associations]\n"
        "application/x-kdx-patch=hexedit.desktop;\n"
        "\n"
        "[Default Applications]\n"
        "text/plain=gedit.desktop;\n"
        "application/x-kdx-patch=mendrix.desktop;\n"
        "image/png=gimp.desktop;\n"
        "[Removed Associations]\n"
        "text/html=firefox.desktop;\n";
    EXPECT_EQ(WithDefaultApplication(before, kType, kApp), after);
    EXPECT_EQ(WithDefaultApplication(after, kType, kApp), after);
}

TEST(MimeAppsList, AddsTheEntryAtTheEndOfTheGroupOrAddsTheGroup)
{
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\ntext/plain=gedit.desktop;\n\n[Added Associations]\n"
                                     "image/png=gimp.desktop;\n",
                                     kType, kApp),
              "[Default Applications]\ntext/plain=gedit.desktop;\napplication/x-kdx-patch=mendrix.desktop;\n\n"
              "[Added Associations]\nimage/png=gimp.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("[Added Associations]\nimage/png=gimp.desktop;", kType, kApp),
              "[Added Associations]\nimage/png=gimp.desktop;\n\n[Default Applications]\n"
              "application/x-kdx-patch=mendrix.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("", kType, kApp),
              "[Default Applications]\napplication/x-kdx-patch=mendrix.desktop;\n");
    // A type whose name merely begins like ours is another entry.
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\napplication/x-kdx-patch2=a.desktop;\n", kType, kApp),
              "[Default Applications]\napplication/x-kdx-patch2=a.desktop;\n"
              "application/x-kdx-patch=mendrix.desktop;\n");
}

TEST(DesktopExec, QuotesThePathAndEscapesForTheQuotesTheFieldCodesAndTheValue)
{
    EXPECT_EQ(desktop::DesktopExecArgument("/opt/MENDRIX tools/mendrix"), "\"/opt/MENDRIX tools/mendrix\"");
    // Quoting escapes " ` $ \ with a backslash; the value then doubles every backslash.
    EXPECT_EQ(desktop::DesktopExecArgument("/a \"b\" `c` $d \\e"), "\"/a \\\\\"b\\\\\" \\\\`c\\\\` \\\\$d \\\\\\\\e\"");
    EXPECT_EQ(desktop::DesktopExecArgument("/100% sure/%f"), "\"/100%% sure/%%f\"");
    EXPECT_EQ(desktop::DesktopExecArgument("/new\nline\ttab"), "\"/new\\nline\\ttab\"");
}

}  // namespace
