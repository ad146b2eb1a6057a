#pragma once

#include <QString>

namespace stanzary {

// The operating system's version as major + minor / 100 (5.01 for 5.1) on
// Windows; 0 on platforms without visual-styles manifests.
double GetWindowsVersion();

// The visual-styles manifest text, lines separated by CR LF.
QString manifestText();

// Path of the manifest beside the program: "<dir>/<program>.exe.manifest".
QString manifestPath(const QString &programDir, const QString &programBaseName);

enum class ManifestOutcome { Written, AlreadyThere, NotNeeded, Failed };

// Writes the manifest (its text and a final CR LF) when no file of that name
// exists and windowsVersion is above 5.0. An existing manifest is never
// rewritten; a failure to create it is silent for the user.
ManifestOutcome WriteManifest(const QString &programDir, const QString &programBaseName, double windowsVersion);

} // namespace stanzary
