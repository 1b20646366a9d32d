// The star table's records and the balloon window that shows a star's name.
#pragma once

#include <list>

#include "platform/framework/afxwin.h"

class CStarDataObject : public CCmdTarget {
  DECLARE_DYNCREATE(CStarDataObject)

 public:
  CRect m_rcFirst;   // sky-map pixels
  CRect m_rcSecond;  // sky-map pixels
  CString m_strTitle;
  CString m_strSubtitle;
  CString m_strDescription;
};

using CStarTable = std::list<CStarDataObject*>;

class CStarPopupWnd : public CWnd {
 public:
  CStarPopupWnd();

  int m_nTimerId = 0;
  CBrush m_brushBackground;
  CFont m_fontTitle;
  CFont m_fontText;
  CPen m_penTitle;
  CPen m_penLight;
  CPen m_penDark;
  CString m_strTitle;
  CString m_strSubtitle;
  CString m_strDescription;
};
