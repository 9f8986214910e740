#pragma once
// Start of the process: the two process-wide paths, the splash, the settings, then the main window.
#include <QString>
#include <QStringList>
#include <functional>

// The project list file: the program folder followed by "project.vqj".
extern QString ProjectListPath;
// The engine data folder (standing for the Windows folder), ending in "/"; empty when unusable.
extern QString WindowsDir;

namespace modStartUp {

// The site files the project list at the given path names (its one reader lies above the start).
using SiteFiles = std::function<QStringList(const QString &projectList)>;

// Sets the paths, finishes the writes a crash interrupted in the folders saves write into (the
// engine data folder, the program folder, the settings folder and the folder of each site of the
// project list), shows the splash, loads the settings, then calls `createAndDisplayMain`, which
// creates the main object and shows the main window. False on failure (settings unusable, or an
// exception from the callback): the error is logged and shown, and the caller ends the process.
bool Main(const std::function<void()> &createAndDisplayMain, const SiteFiles &siteFiles = {});

} // namespace modStartUp
