#pragma once

#include <QString>
#include <QStringList>

// Where the MIME package and the desktop entry lie under a data folder: per user, or in a
// system-wide install (the desktop entry of an install is named after the program's id).
extern const char kMimePackagePath[];
extern const char kUserDesktopEntryPath[];
extern const char kSystemDesktopEntryPath[];

// Makes the desktop know the two document types and open them with this program: a
// shared-mime-info package for .etx and .ksw and a .desktop entry, both per user under the
// XDG data folder. Runs at every start of a program that is not installed system-wide; files
// are rewritten only when their content changes, and the desktop's caches are refreshed only
// then. False when a file could not be written.
bool RegisterShellFileTypes(const QString& executable, const QString& dataHome);

// Whether one of the data folders, other than the per-user dataHome, holds both the MIME package
// and the desktop entry of an installed program. The desktop then knows the file types, and a
// per-user registration would only shadow them.
bool InstalledSystemWide(const QStringList& dataFolders, const QString& dataHome);

// The start-up's registration: none when the program is installed system-wide (the data
// folders of XDG_DATA_DIRS), else per user. False when a file could not be written.
bool RegisterShellFileTypesUnlessInstalled(const QString& executable);

// The text of the two files, for the given program path.
QString MimePackageText();
QString DesktopEntryText(const QString& executable);
