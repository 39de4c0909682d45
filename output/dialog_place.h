#pragma once
// Where the program's dialogs open: by their outer size, frame included. A window manager
// reports the frame only once a dialog is shown, so the place is redone then.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

// Where a dialog's outer top-left goes, given its outer size and the screen's area.
using TPlacement = std::function<QPoint(QSize outer, QRect screen)>;

// Places the top-level `dialog` now and again once its frame is known (or its size changes
// before that); a move by the user or the window manager afterwards is left alone.
void KeepPlaced(QWidget& dialog, TPlacement placement);

QPoint CentredOnScreen(QSize outer, QRect screen);
// Horizontally centred, with a third of the remaining height above it.
QPoint ThirdFromTop(QSize outer, QRect screen);
