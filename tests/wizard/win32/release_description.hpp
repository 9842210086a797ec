#pragma once
// A release of the page wizard described as text that two builds of the same answers share
// even when their cabinet makers differ: each file by name; a program or component cabinet
// by its members' names and bytes; the script by its lines, with each cabinet's size and
// signature checked against the cabinet it names and then left out, the time stamps left
// out, and the program lines in name order; the page with its time left out; the stand-alone program as the stub and its
// attachment, the script cabinet's signature checked; other files by their bytes. What
// does not hold is said in the text.

#include <filesystem>
#include <string>

namespace vexa::wizard::test {

std::string DescribeRelease(const std::filesystem::path& release, const std::filesystem::path& releaseActiveX,
                            const std::filesystem::path& standAloneStub);

}  // namespace vexa::wizard::test
