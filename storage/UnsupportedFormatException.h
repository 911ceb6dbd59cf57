#pragma once

#include <stdexcept>

// Raised by a CBinaryFileTool built with a mode other than reading or
// writing. The program never builds such a tool, so this marks a programming
// error; ordinary failures are reported as message strings.
class UnsupportedFormatException : public std::runtime_error
{
public:
    UnsupportedFormatException();
};
