#pragma once

#include <QString>
#include <QStringList>

// Runs independent readers (ImageMagick, LibreOffice, poppler) installed from
// Debian packages; tests that need one skip when it is missing.
namespace ExternalTool {

// Full path of the program, or empty when it is not installed.
QString Find(const QString& program);

// Runs the program to completion; true when it exited with code 0.
// Its standard output goes to output when given.
bool Run(const QString& program, const QStringList& arguments, int timeoutSeconds, QString* output = nullptr);

}  // namespace ExternalTool
