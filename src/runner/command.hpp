// The command line of holestress: the dialogue, or a subcommand on job files. Returns the exit
// status: 0 success; 1 a file that cannot be read or written, or rows of a load-case file that
// failed; 2 a bad command line, unreadable dialogue input or an invalid job file.
#pragma once

#include <iosfwd>

namespace hs {

int command_line(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace hs
