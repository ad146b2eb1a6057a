#pragma once

class QWidget;

namespace stanzary {

struct StoredGeometry;

// Puts a window where the stored geometry says: maximised, or at the stored
// position and size (twips). A place on a screen that is no longer there
// becomes one on the primary screen, in reach.
void placeWindow(QWidget &window, const StoredGeometry &geometry);

// The window's position, size and maximised state, in twips, into geometry
// (the splitter's position is not the window's business).
void readPlacement(const QWidget &window, StoredGeometry &geometry);

} // namespace stanzary
