// How a command line is handed to the shell when a program has to be started through it
// (portable).
#pragma once
#include "text/str.h"
namespace vx {

struct ProgramAndParameters {
  String file;        // the program, without quotes
  String parameters;  // the rest of the command line, as it stood
};

// Splits a command line into the program and its parameters. When the line begins with
// programPath, quoted or not, that is the program; otherwise the first argument as the system
// reads it (up to the closing quote, or else up to the first blank). The parameters are the
// text after the program and the blanks that follow it, unchanged, so that the shell's
// '"file" parameters' hands the program the same arguments.
ProgramAndParameters SplitCommandLine(const String& commandLine, const String& programPath);

}  // namespace vx
