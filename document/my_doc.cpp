#include "document/my_doc.h"

#include <ctime>

#include "document/settings.h"

IMPLEMENT_DYNCREATE(CMyDoc, CDocument)

CMyDoc::CMyDoc()
    // Until the new-document handler has run, the window handlers that already run see the
    // defaults of the settings table rather than undefined values.
    : m_nYear(1970),
      m_nMonth(1),
      m_nDay(1),
      m_strWeekday("()"),
      m_nHour(0),
      m_nMinute(0),
      EdgeFlg(settings::kEdgeFlg.defaultValue),
      CircleEdgeFlg(settings::kCircleEdgeFlg.defaultValue),
      EdgeKind(settings::kEdgeKind.defaultValue),
      EdgeClossFlg(settings::kEdgeClossFlg.defaultValue),
      ClockFlg(settings::kClockFlg.defaultValue),
      ShootingStarLevel(settings::kShootingStarLevel.defaultValue),
      SateltLevel(settings::kSateltLevel.defaultValue),
      FrameSizeNo(settings::kFrameSizeNo.defaultValue),
      BkMode(settings::kBkMode.defaultValue),
      ClockColor(settings::kClockColor.defaultValue) {}

CString CMyDoc::FormatWeekday(int weekday) {
  static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
  CString text = "(";
  if (weekday >= 1 && weekday <= 7) text += kDays[weekday - 1];
  text += ")";
  return text;
}

BOOL CMyDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return FALSE;

  const CTime now = CTime::GetCurrentTime();
  struct tm local;
  now.GetLocalTm(&local);
  m_nYear = local.tm_year + 1900;
  m_nMonth = local.tm_mon + 1;
  m_nDay = local.tm_mday;
  m_strWeekday = FormatWeekday(local.tm_wday + 1);
  m_nHour = local.tm_hour;
  m_nMinute = local.tm_min;

  // In this order, as they stand in the settings table.
  CWinApp* app = AfxGetApp();
  EdgeFlg = settings::Read(app, settings::kEdgeFlg);
  CircleEdgeFlg = settings::Read(app, settings::kCircleEdgeFlg);
  ClockFlg = settings::Read(app, settings::kClockFlg);
  EdgeKind = settings::Read(app, settings::kEdgeKind);
  EdgeClossFlg = settings::Read(app, settings::kEdgeClossFlg);
  ShootingStarLevel = settings::Read(app, settings::kShootingStarLevel);
  SateltLevel = settings::Read(app, settings::kSateltLevel);
  FrameSizeNo = settings::Read(app, settings::kFrameSizeNo);
  BkMode = settings::Read(app, settings::kBkMode);
  ClockColor = settings::Read(app, settings::kClockColor);
  return TRUE;
}

void CMyDoc::OnCloseDocument() {
  CWinApp* app = AfxGetApp();
  settings::Write(app, settings::kEdgeFlg, EdgeFlg);
  settings::Write(app, settings::kShootingStarLevel, ShootingStarLevel);
  settings::Write(app, settings::kFrameSizeNo, FrameSizeNo);
  settings::Write(app, settings::kBkMode, BkMode);
  settings::Write(app, settings::kClockColor, ClockColor);
  CDocument::OnCloseDocument();
}

int FrameEdgeForSizeNo(int sizeNo) {
  static const int kEdges[] = {100, 125, 150, 200, 275, 350};
  if (sizeNo < 1) sizeNo = 1;
  if (sizeNo > 6) sizeNo = 6;
  return kEdges[sizeNo - 1];
}
