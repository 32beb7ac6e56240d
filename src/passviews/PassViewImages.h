#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the passwords window, drawn once when first asked for: the tree's images
// (IDB_TREE_*) and the icons of the pages' buttons and titles (IDI_*). An unknown id gives a
// null picture.
QPixmap PassViewPixmap(int resourceId, int size = 16);
QIcon PassViewIcon(int resourceId);

// The pictures of the tree's context menu (toolbar 155), matched by command id; a null icon
// for a command without one.
QIcon AccountMenuIcon(int commandId);
