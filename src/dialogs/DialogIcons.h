#pragma once

#include <QColor>
#include <QIcon>
#include <QList>

class QPainter;

// The dialogs' pictures, drawn here so that they stay sharp at any size. Keyed by the
// resource ids of resource.h.
QIcon DialogIcon(int id);

// Draws a picture given on a 64 x 64 canvas at each of the sizes, for sharp icons.
using IconPainter = void (*)(QPainter&);
QIcon DrawIcon(IconPainter paint, const QList<int>& sides = {16, 24, 32, 48, 64});
// A sheet of paper with a folded corner on the 64 x 64 canvas.
void PaintPage(QPainter& painter, const QColor& paper);
