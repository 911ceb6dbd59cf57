#include "storage/UnsupportedFormatException.h"

UnsupportedFormatException::UnsupportedFormatException()
    : std::runtime_error("UnsupportedFormatException")
{
}
