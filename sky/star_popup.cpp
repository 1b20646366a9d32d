#include "sky/star_popup.h"

IMPLEMENT_DYNCREATE(CStarDataObject, CCmdTarget)

CStarPopupWnd::CStarPopupWnd() {
  m_brushBackground.CreateSolidBrush(RGB(255, 255, 192));
  m_fontTitle.CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                         CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
  m_fontText.CreateFont(-14, 0, 0, 0, FW_DONTCARE, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
  m_penTitle.CreatePen(PS_SOLID, 0, RGB(0, 0, 255));
  m_penLight.CreatePen(PS_SOLID, 0, RGB(200, 200, 200));
  m_penDark.CreatePen(PS_SOLID, 0, RGB(92, 92, 92));
}
