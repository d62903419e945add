#include <gtest/gtest.h>

#include "launcher/program_start.h"

namespace {

// The shell rebuilds the command line as "file" + blank + parameters: the program gets the
// same arguments as from the line it was meant to start with.
TEST(SplitCommandLine, ProgramAndParameters) {
  struct Case {
    const char* what;
    const char* line;
    const char* programPath;
    const char* file;
    const char* parameters;
  } cases[] = {
      {"quoted program path", "\"C:\\T\\SETUP_1\\setup.exe\" /x /TH_ID=_9", "C:\\T\\SETUP_1\\setup.exe",
       "C:\\T\\SETUP_1\\setup.exe", "/x /TH_ID=_9"},
      {"quoted path with blanks", "\"C:\\Documents and Settings\\T\\setup.exe\" /dir=\"C:\\a b\" /q",
       "C:\\Documents and Settings\\T\\setup.exe", "C:\\Documents and Settings\\T\\setup.exe",
       "/dir=\"C:\\a b\" /q"},
      {"unquoted path with blanks", "C:\\My Temp\\setup.exe /x", "C:\\My Temp\\setup.exe", "C:\\My Temp\\setup.exe",
       "/x"},
      {"nothing after the program", "\"C:\\T\\setup.exe\"", "C:\\T\\setup.exe", "C:\\T\\setup.exe", ""},
      {"several blanks kept inside", "\"C:\\T\\setup.exe\"   /a  /b ", "C:\\T\\setup.exe", "C:\\T\\setup.exe",
       "/a  /b "},
      {"a longer name is another program", "C:\\T\\setup.exe2 /x", "C:\\T\\setup.exe", "C:\\T\\setup.exe2", "/x"},
      {"other quoted program", "\"C:\\U\\other.exe\" /x", "C:\\T\\setup.exe", "C:\\U\\other.exe", "/x"},
      {"other unquoted program", "C:\\U\\other.exe /x \"a b\"", "C:\\T\\setup.exe", "C:\\U\\other.exe",
       "/x \"a b\""},
      {"unclosed quote", "\"C:\\U\\other.exe /x", "C:\\T\\setup.exe", "C:\\U\\other.exe /x", ""},
      {"empty line", "", "C:\\T\\setup.exe", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const vx::ProgramAndParameters split = vx::SplitCommandLine(c.line, c.programPath);
    EXPECT_EQ(split.file, c.file);
    EXPECT_EQ(split.parameters, c.parameters);
  }
}

}  // namespace
