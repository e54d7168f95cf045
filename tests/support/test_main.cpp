// Entry point of every Windows test program.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "common/setup_state.h"

int main(int argc, char **argv)
{
    g_instance = GetModuleHandleA(NULL);
    InitCommonControls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
