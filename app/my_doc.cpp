#include "app/my_doc.h"

#include <ctime>

#include "app/my_app.h"

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
      EdgeFlg(1),
      CircleEdgeFlg(0),
      EdgeKind(1),
      EdgeClossFlg(1),
      ClockFlg(1),
      ShootingStarLevel(1),
      SateltLevel(1),
      FrameSizeNo(3),
      BkMode(1),
      ClockColor(0) {}

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

  CWinApp* app = AfxGetApp();
  auto read = [app](const char* name, int fallback) {
    return static_cast<int>(app->GetProfileInt("Config", name, fallback));
  };
  EdgeFlg = read("EdgeFlg", 1);
  CircleEdgeFlg = read("CircleEdgeFlg", 0);
  ClockFlg = read("ClockFlg", 1);
  EdgeKind = read("EdgeKind", 1);
  EdgeClossFlg = read("EdgeClossFlg", 1);
  ShootingStarLevel = read("ShootingStarLevel", 1);
  SateltLevel = read("SateltLevel", 1);
  FrameSizeNo = read("FrameSizeNo", 3);
  BkMode = read("BkMode", 1);
  ClockColor = read("ClockColor", 0);
  return TRUE;
}

void CMyDoc::OnCloseDocument() {
  CWinApp* app = AfxGetApp();
  app->WriteProfileInt("Config", "EdgeFlg", EdgeFlg);
  app->WriteProfileInt("Config", "ShootingStarLevel", ShootingStarLevel);
  app->WriteProfileInt("Config", "FrameSizeNo", FrameSizeNo);
  app->WriteProfileInt("Config", "BkMode", BkMode);
  app->WriteProfileInt("Config", "ClockColor", ClockColor);
  CDocument::OnCloseDocument();
}

int FrameEdgeForSizeNo(int sizeNo) {
  static const int kEdges[] = {100, 125, 150, 200, 275, 350};
  if (sizeNo < 1) sizeNo = 1;
  if (sizeNo > 6) sizeNo = 6;
  return kEdges[sizeNo - 1];
}
