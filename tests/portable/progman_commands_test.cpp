// The Program Manager command texts, byte for byte, and their bounds.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "core/progman/progman_commands.h"

namespace {

// A command buffer with guard bytes behind it.
struct CommandBuffer {
    char bytes[PROGMAN_COMMAND_SIZE + 16];
    CommandBuffer() { memset(bytes, '#', sizeof(bytes)); }
    bool GuardIntact() const
    {
        for (size_t i = PROGMAN_COMMAND_SIZE; i < sizeof(bytes); i++)
            if (bytes[i] != '#')
                return false;
        return true;
    }
};

}  // namespace

TEST(ProgmanCommands, CreateGroupCarriesTheCommonFlag)
{
    CommandBuffer b;
    const std::string expected1 =
        "[CreateGroup(\"Capture Kit\",1)][ShowGroup(\"Capture Kit\",1)]";
    EXPECT_EQ((int)expected1.size(),
              ComposeCreateGroupCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        "Capture Kit", 1));
    EXPECT_EQ(expected1, b.bytes);
    ComposeCreateGroupCommand(b.bytes, PROGMAN_COMMAND_SIZE, "G", 0);
    EXPECT_STREQ("[CreateGroup(\"G\",0)][ShowGroup(\"G\",1)]", b.bytes);
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ProgmanCommands, AddItemAlwaysHasTheBlankBehindThePath)
{
    CommandBuffer b;
    ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                          "C:\\Program Files\\Kit\\tool.exe", "", "Tool");
    EXPECT_STREQ("[AddItem(\"C:\\Program Files\\Kit\\tool.exe\" ,\"Tool\")]",
                 b.bytes);
    ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE, "C:\\jpn\\a.exe",
                          "-x 1", "A");
    EXPECT_STREQ("[AddItem(\"C:\\jpn\\a.exe\" -x 1,\"A\")]", b.bytes);
    ComposeExitCommand(b.bytes, PROGMAN_COMMAND_SIZE);
    EXPECT_STREQ("[ExitProgman(1)]", b.bytes);
}

TEST(ProgmanCommands, CommandThatDoesNotFitIsRefusedWhole)
{
    // 511 characters fit, 512 do not.
    std::string group(259, 'g');   // 2 * 259 + 35 > 511
    CommandBuffer b;
    EXPECT_EQ(-1, ComposeCreateGroupCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                            group.c_str(), 1));
    EXPECT_STREQ("", b.bytes);
    EXPECT_TRUE(b.GuardIntact());

    const int fixed = (int)strlen("[CreateGroup(\"\",1)][ShowGroup(\"\",1)]");
    std::string fits((size_t)(511 - fixed) / 2, 'g');
    EXPECT_EQ(fixed + 2 * (int)fits.size(),
              ComposeCreateGroupCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        fits.c_str(), 1));

    std::string path(259, 'p');
    std::string arguments(259, 'a');
    EXPECT_EQ(-1, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        path.c_str(), arguments.c_str(),
                                        "Title"));
    EXPECT_STREQ("", b.bytes);
    EXPECT_TRUE(b.GuardIntact());

    // Exactly 511 characters.
    const int itemFixed = (int)strlen("[AddItem(\"\" ,\"T\")]");
    std::string longest((size_t)(511 - itemFixed), 'p');
    EXPECT_EQ(511, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                         longest.c_str(), "", "T"));
    EXPECT_EQ(-1, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        (longest + "p").c_str(), "", "T"));
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ProgmanCommands, TextThatWouldEndItsArgumentEarlyIsRefused)
{
    CommandBuffer b;
    // A quote in a quoted field would close the command and let the rest
    // of the text be read as commands of its own.
    EXPECT_EQ(-1, ComposeCreateGroupCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                            "G\",1)][ExitProgman(1)]", 1));
    EXPECT_EQ(-1, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        "C:\\a\".exe", "", "T"));
    EXPECT_EQ(-1, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                        "C:\\a.exe", "", "T\")][X(\""));
    for (const char *arguments : {"-a,b", "-a)", "(x", "[y", "z]", "\"q\""})
        EXPECT_EQ(-1, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                            "C:\\a.exe", arguments, "T"))
            << arguments;
    EXPECT_EQ('\0', b.bytes[0]);
    EXPECT_TRUE(b.GuardIntact());

    // Shift-JIS trail bytes may be 0x5B or 0x5D (the bracket bytes);
    // inside a character they are no brackets.
    SetDbcsCodePage(932);
    EXPECT_LT(0, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                       "C:\\a.exe", "-\x83\x5B", "T"));
    SetDbcsCodePage(0);
    EXPECT_LT(0, ComposeAddItemCommand(b.bytes, PROGMAN_COMMAND_SIZE,
                                       "C:\\a.exe", "-h /x", "T"));
}
