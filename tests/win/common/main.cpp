// Entry of every Windows test executable: GoogleTest on the UI thread, and
// the skin store that the program's classes read (empty until a test fills it).
#include <gtest/gtest.h>

#include <windows.h>

#if __has_include("skinstore/Global.h")
#include "skinstore/Global.h"
CGlobal g_skin;
#endif

int main(int argc, char** argv) {
    // A crash must end the test, not wait for a debugger or a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
