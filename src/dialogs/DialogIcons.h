#pragma once

#include <QIcon>

// The dialogs' pictures, drawn here so that they stay sharp at any size. Keyed by the
// resource ids of resource.h.
QIcon DialogIcon(int id);
