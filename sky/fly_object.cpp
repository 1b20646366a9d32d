#include "sky/fly_object.h"

BEGIN_MESSAGE_MAP(CFlyObject, CWnd)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CFlyObject::CFlyObject() = default;

void CFlyObject::OnDestroy() {
  CWnd::OnDestroy();
  // A flight cut short by the window's end stops its timer.
  if (m_bActive == 1) {
    KillTimer(static_cast<UINT_PTR>(m_nStepTimer));
    m_bActive = 0;
  }
}
