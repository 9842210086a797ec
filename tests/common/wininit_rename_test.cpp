#include "common/wininit_rename.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(WininitRename, AddsDeleteThenRenameAtTheEndOfTheRenameSection) {
    const std::string lines = "NUL=C:\\WINDOWS\\SYSTEM\\A.DLL\r\nC:\\WINDOWS\\SYSTEM\\A.DLL=C:\\TEMP\\~VX1.TMP\r\n";
    const struct {
        const char* why;
        std::string before;
        std::string after;
    } cases[] = {
        {"no file yet", "", "[Rename]\r\n" + lines},
        {"no section yet", "[Other]\r\nkey=value\r\n", "[Other]\r\nkey=value\r\n[Rename]\r\n" + lines},
        {"last line without its end", "[Other]\r\nkey=value", "[Other]\r\nkey=value\r\n[Rename]\r\n" + lines},
        {"earlier lines kept, same keys again",
         "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n",
         "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\A.DLL\r\n" + lines},
        {"before the next section and its blank line",
         "[Rename]\r\nNUL=X\r\n\r\n[Other]\r\nk=v\r\n",
         "[Rename]\r\nNUL=X\r\n" + lines + "\r\n[Other]\r\nk=v\r\n"},
        {"indented header, plain line ends kept", "  [RENAME]  \nNUL=X\n", "  [RENAME]  \nNUL=X\n" + lines},
        {"section that ends the file without a line end", "[Rename]\r\nNUL=X", "[Rename]\r\nNUL=X\r\n" + lines},
        {"a key that merely starts like the section", "[Renamed]\r\n", "[Renamed]\r\n[Rename]\r\n" + lines},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddWininitRename(c.before, "C:\\WINDOWS\\SYSTEM\\A.DLL", "C:\\TEMP\\~VX1.TMP"), c.after) << c.why;
}

TEST(WininitRename, AnEmptyReplacementOnlyDeletes) {
    EXPECT_EQ(AddWininitRename("[Rename]\r\n", "C:\\APP\\UNINST~1\\UNINST~1.EXE", ""),
              "[Rename]\r\nNUL=C:\\APP\\UNINST~1\\UNINST~1.EXE\r\n");
}

}  // namespace
}  // namespace vexa
