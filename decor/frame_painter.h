// The painted roof-window frames, log and aluminium, square and round, with or without bars,
// and the glass regions each paint leaves open.
#pragma once

#include "decor/frame_geometry.h"
#include "platform/framework/afxwin.h"

namespace decor {

// The glass inside the frame, its four quarters and the four panes (glass and quarter, in
// the order top-left, top-right, bottom-left, bottom-right). The panes are rewritten in
// place, keeping their identity: the satellite and the sky timer hold them.
struct GlassRegions {
  CRgn* glass;
  CRgn* quadrants;  // four
  CRgn* panes;      // four
};

// Paints the frame of `material` on a w x h window with the material's seven 2-pixel pens
// (lightest first) over what is on the window, the bars when asked, then brings the glass
// regions up to date: they are rebuilt for a new look or new region objects, and no one but
// this painter writes them. The frame is drawn once for each look (material, size, shape,
// bars, pens) and replayed after that. The DC's own pen stays selected.
void PaintFrame(CDC* dc, Material material, CPen* const* pens, int w, int h, bool round, bool bars,
                const GlassRegions& regions);

// The frame's strokes themselves, drawn every time: what PaintFrame records. The DC's own
// pen is put back.
void DrawFrame(CDC* dc, Material material, CPen* const* pens, int w, int h, bool round, bool bars);

}  // namespace decor
