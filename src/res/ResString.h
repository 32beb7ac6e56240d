#pragma once

#include <QString>

// The program's string table, keyed by resource id. Command strings carry the status-bar
// prompt and, after a newline, the short name that tool tips and toolbar labels show.
// Returns an empty string for an id with no string.
QString ResString(int id);
