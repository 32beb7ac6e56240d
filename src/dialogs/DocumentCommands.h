#pragma once

class QWidget;

// File New and File Open, as every window of the program runs them.

// Asks with the New Document chooser which kind of document to create and creates it through
// the document type of that kind (text 104, passwords 129); nothing when the chooser closes
// otherwise.
void RunFileNewCommand(QWidget* parent);

// Asks for an existing file among the program's encrypted files and opens it; the application
// picks the document type by the file's extension.
void RunFileOpenCommand(QWidget* parent);

// The Open chooser's filter: all encrypted files, then passwords files, then text files.
extern const char kOpenFileFilter[];
