// The program's one document: the settings record and today's date and time, read from
// the registry when the document is initialised.
#pragma once

#include "platform/framework/afxwin.h"

class CMyDoc : public CDocument {
  DECLARE_DYNCREATE(CMyDoc)

 public:
  CMyDoc();

  BOOL OnNewDocument() override;
  void OnCloseDocument() override;
  // The document has no file content: nothing is read or written.
  void Serialize(CArchive&) override {}

  // "(" + the weekday's character (1 = Sunday ... 7 = Saturday) + ")"; "()" otherwise.
  static CString FormatWeekday(int weekday);

  // Date and time of the last tick, in the form the painting code wants.
  int m_nYear;
  int m_nMonth;
  int m_nDay;
  CString m_strWeekday;
  int m_nHour;
  int m_nMinute;
  // Settings, named after their registry values; used as read, without range checks.
  int EdgeFlg;
  int CircleEdgeFlg;
  int EdgeKind;
  int EdgeClossFlg;
  int ClockFlg;
  int ShootingStarLevel;
  int SateltLevel;
  int FrameSizeNo;
  int BkMode;
  int ClockColor;
};

// Edge length in pixels of the square window for a size step. Steps outside 1..6 (only a
// registry value set from outside the program) take the nearest step.
int FrameEdgeForSizeNo(int sizeNo);
