// The association as registry keys, against a registry in memory.
#include "desktop/RegistryAssociation.h"
#include "platform/Dispatch.h"
#include "desktop/FakeRegistry.h"
#include "platform/fake/FakeServices.h"

#include <gtest/gtest.h>

#include <stdexcept>

using desktop::FakeRegistry;
using Op = FakeRegistry::Op;

namespace {

const std::string kProgram = "C:\\Tools\\mendrix.exe";

// The error text the association ended with, or "" when it completed.
std::string Associate(FakeRegistry& registry, const std::string& program = kProgram)
{
    try {
        desktop::RegisterFileClass(registry, "kdx", program);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

bool AnyKeyOfClass(const FakeRegistry& registry)
{
    for (const auto& [path, values] : registry.keys)
        if (path.rfind("kdxfile", 0) == 0) return true;
    return false;
}

int Notifications(const FakeRegistry& registry)
{
    int n = 0;
    for (const auto& call : registry.calls) n += call.op == Op::Notify;
    return n;
}

TEST(RegistryAssociation, FreshRegistryGetsFourKeysThreeValuesInOrderThenNotice)
{
    FakeRegistry registry;
    ASSERT_EQ(Associate(registry), "");

    const std::vector<FakeRegistry::Call> expected = {
        {Op::Create, ".kdx", "", false},
        {Op::SetDefault, ".kdx", "kdxfile", false},
        {Op::Close, ".kdx", "", false},
        {Op::Create, "kdxfile", "", false},
        {Op::Close, "kdxfile", "", false},
        {Op::Create, "kdxfile\\DefaultIcon", "", false},
        {Op::SetDefault, "kdxfile\\DefaultIcon", "C:\\Tools\\mendrix.exe,0", false},
        {Op::Close, "kdxfile\\DefaultIcon", "", false},
        {Op::Create, "kdxfile\\shell\\open\\command", "", false},
        {Op::SetDefault, "kdxfile\\shell\\open\\command", "\"C:\\Tools\\mendrix.exe\" \"%1\"", false},
        {Op::Close, "kdxfile\\shell\\open\\command", "", false},
        {Op::Notify, "", "", false},
    };
    EXPECT_EQ(registry.calls, expected);
    EXPECT_EQ(registry.maxOpenKeys, 1);  // each key closed before the next is opened
    EXPECT_EQ(registry.openKeys, 0);

    EXPECT_TRUE(registry.HasKey("kdxfile\\shell"));
    EXPECT_TRUE(registry.HasKey("kdxfile\\shell\\open"));
    EXPECT_EQ(registry.keys.size(), 6u);
    EXPECT_FALSE(registry.Value("kdxfile").has_value());  // the class gets no description
}

TEST(RegistryAssociation, RepeatRewritesTheSameValuesAndNotifiesAgain)
{
    FakeRegistry registry;
    ASSERT_EQ(Associate(registry), "");
    const auto keysAfterFirst = registry.keys;
    const auto firstCalls = registry.calls;

    ASSERT_EQ(Associate(registry), "");
    EXPECT_EQ(registry.keys, keysAfterFirst);
    EXPECT_EQ(std::vector<FakeRegistry::Call>(registry.calls.begin() + firstCalls.size(), registry.calls.end()),
              firstCalls);
    EXPECT_EQ(Notifications(registry), 2);
}

TEST(RegistryAssociation, ExtensionOfAnotherClassIsSwitchedAndTheRestLeftAlone)
{
    FakeRegistry registry;
    registry.Put(".kdx", "", "otherfile");
    registry.Put(".kdx", "Content Type", "application/x-other");
    registry.Put("otherfile\\shell\\open\\command", "", "other.exe %1");
    registry.Put("kdxfile\\DefaultIcon", "", "old.exe,3");
    registry.Put("kdxfile\\shell\\print\\command", "", "print.exe %1");

    ASSERT_EQ(Associate(registry), "");
    EXPECT_EQ(registry.Value(".kdx"), "kdxfile");
    EXPECT_EQ(registry.Value(".kdx", "Content Type"), "application/x-other");
    EXPECT_EQ(registry.Value("otherfile\\shell\\open\\command"), "other.exe %1");
    EXPECT_EQ(registry.Value("kdxfile\\DefaultIcon"), "C:\\Tools\\mendrix.exe,0");
    EXPECT_EQ(registry.Value("kdxfile\\shell\\print\\command"), "print.exe %1");  // nothing is removed
}

TEST(RegistryAssociation, PathWithBlanksIsQuotedInTheCommandOnly)
{
    // Unquoted, the shell would start C:\Program.exe for this path.
    const std::string program = "C:\\Program Files\\MENDRIX v3\\mendrix.exe";
    FakeRegistry registry;
    ASSERT_EQ(Associate(registry, program), "");
    EXPECT_EQ(registry.Value("kdxfile\\shell\\open\\command"),
              "\"C:\\Program Files\\MENDRIX v3\\mendrix.exe\" \"%1\"");
    EXPECT_EQ(registry.Value("kdxfile\\DefaultIcon"), "C:\\Program Files\\MENDRIX v3\\mendrix.exe,0");
}

TEST(RegistryAssociation, RefusedFirstWriteCreatesNoKeyOfTheClass)
{
    // A refused write, and a key that could not be opened so that the write has no key.
    for (const Op refused : {Op::SetDefault, Op::Create}) {
        SCOPED_TRACE(refused == Op::Create ? "create refused" : "write refused");
        FakeRegistry registry;
        registry.Refuse(refused, ".kdx");
        EXPECT_EQ(Associate(registry), "Failed to set data for ''");
        EXPECT_FALSE(AnyKeyOfClass(registry));
        EXPECT_EQ(Notifications(registry), 0);
        EXPECT_EQ(registry.openKeys, 0);  // the access is released
    }
}

TEST(RegistryAssociation, ClassKeyThatCannotBeCreatedEndsItKeepingTheExtension)
{
    FakeRegistry registry;
    registry.Refuse(Op::Create, "kdxfile");
    EXPECT_EQ(Associate(registry), "Failed to create key kdxfile");
    EXPECT_EQ(registry.Value(".kdx"), "kdxfile");
    EXPECT_FALSE(registry.HasKey("kdxfile\\DefaultIcon"));
    EXPECT_EQ(Notifications(registry), 0);
}

TEST(RegistryAssociation, LaterFailuresKeepWhatWasWrittenAndSkipTheNotice)
{
    const struct {
        Op op;
        const char* key;
        bool iconWritten;
    } cases[] = {{Op::Create, "kdxfile\\DefaultIcon", false},
                 {Op::SetDefault, "kdxfile\\DefaultIcon", false},
                 {Op::Create, "kdxfile\\shell\\open\\command", true},
                 {Op::SetDefault, "kdxfile\\shell\\open\\command", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        FakeRegistry registry;
        registry.Refuse(c.op, c.key);
        EXPECT_EQ(Associate(registry), "Failed to set data for ''");
        EXPECT_EQ(registry.Value(".kdx"), "kdxfile");
        EXPECT_EQ(registry.Value("kdxfile\\DefaultIcon").has_value(), c.iconWritten);
        EXPECT_FALSE(registry.Value("kdxfile\\shell\\open\\command").has_value());
        EXPECT_EQ(Notifications(registry), 0);
        EXPECT_EQ(registry.openKeys, 0);
    }
}

TEST(RegistryAssociation, FailureReachesTheGeneralErrorBoxWithItsFullStopRule)
{
    platform::fake::FakeServices ui;
    FakeRegistry refusesClass;
    refusesClass.Refuse(Op::Create, "kdxfile");
    FakeRegistry refusesFirstWrite;
    refusesFirstWrite.Refuse(Op::SetDefault, ".kdx");

    EXPECT_EQ(platform::Dispatch([&] { desktop::RegisterFileClass(refusesClass, "kdx", kProgram); }),
              platform::Outcome::Failed);
    EXPECT_EQ(platform::Dispatch([&] { desktop::RegisterFileClass(refusesFirstWrite, "kdx", kProgram); }),
              platform::Outcome::Failed);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "Failed to create key kdxfile.");
    EXPECT_EQ(ui.boxes[1].text, "Failed to set data for ''");
    EXPECT_EQ(ui.boxes[0].caption, platform::kTitle);
}

}  // namespace
