// CBevelButton: a push button that paints itself in colours its owner chooses: a filled
// face, bevelled edges lit from the top left (swapped while pressed) and a centred caption.
#pragma once

#include "platform/framework/afxdlgs.h"

class CBevelButton : public CButton {
 public:
  CBevelButton();
  ~CBevelButton() override;

  // Two-tone edges use the highlight and shadow colours alone; four-tone ones add a white
  // and a black outer line. Repaints at once.
  void SetColors(int twoTone, COLORREF face, COLORREF text, COLORREF shadow, COLORREF highlight,
                 COLORREF disabledText);
  void DrawItem(LPDRAWITEMSTRUCT item) override;

  COLORREF m_crFace = RGB(192, 192, 192);
  COLORREF m_crShadow = RGB(128, 128, 128);
  COLORREF m_crHighlight = RGB(255, 255, 255);
  COLORREF m_crText = RGB(0, 0, 0);
  COLORREF m_crDisabledText = RGB(128, 128, 128);
  int m_bTwoTone = 0;

 protected:
  DECLARE_MESSAGE_MAP()
};
