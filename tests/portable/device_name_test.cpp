// Device names in logged paths: what Windows would open as a device is
// refused wherever it stands in the path.
#include <gtest/gtest.h>

#include "core/text/device_name.h"
#include "core/log/log_reader.h"

TEST(DeviceName, EverySpellingWindowsOpensAsADevice)
{
    for (const char *path :
         {"NUL", "con", "C:\\app\\COM1", "C:\\app\\con.txt", "nul.tar.gz",
          "C:\\app\\CON .txt", "aux.", "AUX  ", "COM1:", "lpt9", "LPT0",
          "com\xB9", "CONIN$", "conout$.log", "Clock$", "C:\\prn\\x.txt",
          "C:/app/nul"})
        EXPECT_TRUE(NamesDevice(path, 1252)) << path;
    for (const char *path :
         {"", "C:\\", "CONSOLE", "COM10", "icon", "C:\\app\\null.txt",
          "C:\\app\\lpt", ".con", "C:\\app\\com1x", "CONIN"})
        EXPECT_FALSE(NamesDevice(path, 1252)) << path;
    EXPECT_FALSE(IsRemovablePath("C:\\app\\Com1.log"));
    EXPECT_TRUE(IsRemovablePath("C:\\app\\Com10.log"));
}

TEST(DeviceName, AShiftJisTrailBackslashSplitsNoComponent)
{
    // 表 is 0x95 0x5C: in Shift-JIS "表con" is one name; read byte by byte
    // in 1252 it would end in a component "con".
    const char *path = "C:\\app\\\x95\x5C" "con";
    EXPECT_FALSE(NamesDevice(path, 932));
    EXPECT_TRUE(NamesDevice(path, 1252));
    EXPECT_TRUE(NamesDevice("C:\\\x83\x5C\\con", 932));   // ソ, then con
}
