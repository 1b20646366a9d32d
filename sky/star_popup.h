// The balloon that shows a star's name beside the pointer: title in bold blue, a second line,
// and the description word-wrapped below, in a pale yellow box with a sunken double border.
// It sizes itself to its texts when it paints.
#pragma once

#include "platform/framework/afxwin.h"
#include "sky/star_table.h"

class CStarPopupWnd : public CWnd {
 public:
  CStarPopupWnd();
  ~CStarPopupWnd() override;

  // Makes the (hidden) balloon window, owned by `owner`.
  BOOL Create(CWnd* owner);
  // Takes the texts of a star.
  void SetTexts(const CStarDataObject& star);

  // The balloon's timer, recorded at each paint. While the balloon shows, it checks a few
  // times a second whether the pointer is still over the owner's window, and hides the
  // balloon once it is not: a pointer that leaves the window straight from a star sends the
  // window no more moves to hide it by.
  int m_nTimerId = 0;
  static constexpr UINT kCheckPeriodMs = 250;
  CBrush m_brushBackground;
  CRgn m_rgnClip;
  CFont m_fontTitle;
  CFont m_fontText;
  CPen m_penTitle;
  CPen m_penLight;
  CPen m_penDark;
  CString m_strTitle;
  CString m_strSubtitle;
  CString m_strDescription;

  // The widest a balloon grows when it has neither title nor subtitle to measure by.
  static constexpr int kWidthWithoutTitles = 240;

 protected:
  void OnPaint();
  void OnTimer(UINT_PTR id);

  DECLARE_MESSAGE_MAP()

 private:
  bool PointerOverOwner() const;
};
