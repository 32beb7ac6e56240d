#pragma once

#include <QString>

// Makes the desktop know the two document types and open them with this program: a
// shared-mime-info package for .etx and .ksw and a .desktop entry, both per user under the
// XDG data folder. Runs at every start; files are rewritten only when their content changes,
// and the desktop's caches are refreshed only then. False when a file could not be written.
bool RegisterShellFileTypes(const QString& executable, const QString& dataHome);

// The text of the two files, for the given program path.
QString MimePackageText();
QString DesktopEntryText(const QString& executable);
