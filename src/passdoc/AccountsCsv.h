#pragma once

#include "AccountStore.h"

#include <QByteArray>

// The accounts as CSV in the layout password managers import: the header
// "Group","Title","Username","Password","URL","Notes", then one row per account in slot order,
// Web, then Email, then Other accounts. Fields without a column of their own go into Notes as
// labelled lines ahead of the notes themselves. Every field is quoted; rows end with CR LF.
QByteArray AccountsToCsv(const AccountStore& store);
