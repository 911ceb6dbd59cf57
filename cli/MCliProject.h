#pragma once

#include <QString>

#include <memory>

class CProject;

// Opening and saving the project file a subcommand works on.
namespace MCliProject {

// Reads the project at path. Messages: the project file code's (with its
// NUL-separated place) or one saying the file does not exist.
QString Open(const QString& path, std::unique_ptr<CProject>& project);
// Reads the project at path, or starts an empty one when nothing is there.
QString OpenOrCreate(const QString& path, std::unique_ptr<CProject>& project);
// Writes the project; cells shortened to fit the file are reported on stderr.
QString Save(CProject& project, const QString& path);

}  // namespace MCliProject
