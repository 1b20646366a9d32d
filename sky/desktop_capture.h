// The copy of the desktop behind the window: the background of the sky when the desktop
// background is chosen.
#pragma once

#include "platform/framework/afxwin.h"

namespace sky {

// Makes `into` a bitmap of the screen's depth holding the screen area `area` (screen
// coordinates; what lies off the screen is black).
void CaptureScreenArea(const CRect& area, CBitmap* into);

}  // namespace sky
