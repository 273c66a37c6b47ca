#pragma once
// Relocalising a window's views in place, from whatever language they show now into the resolved one.

namespace toolkit {
class View;
}

// Translates with QDLT the view's tooltip and the texts its class shows (pop-up items, button titles, segment
// labels, label values and placeholders, table column headers), then walks into the subviews of views that
// are neither controls nor tables, hidden ones included. Texts outside the catalogue stay as they are; their
// owners set them again. Nothing for nullptr.
void QDLLocalizeView(toolkit::View* view);
