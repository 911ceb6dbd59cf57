#pragma once

#include <QString>

// Messages of the project file code carry, after a character with code 0,
// the place of the failure ("ReadError", NUL, "FileData.12"). Whatever shows
// such a message to the user shows the place in parentheses on a second line.
namespace MProjectMessage {

// The message as shown: the part before the first NUL, then a line feed and
// the second part in parentheses when there is one; a message without NUL
// as it stands.
QString DisplayText(const QString& message);

}  // namespace MProjectMessage
