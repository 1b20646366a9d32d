// Run-time classes, command targets and message maps, time.
#include <ctime>

#include "platform/framework/afx_core.h"
#include "platform/user/session.h"

const CRuntimeClass CObject::classInfo = {"CObject", sizeof(CObject), nullptr, nullptr};
const CRuntimeClass CCmdTarget::classInfo = {"CCmdTarget", sizeof(CCmdTarget), nullptr, &CObject::classInfo};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
    if (c == base) return true;
  }
  return false;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT nMessage, UINT nCode, UINT nID) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nMessage != nMessage) continue;
      if (nMessage == WM_COMMAND || nMessage == WM_NOTIFY) {
        if (e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
      } else {
        return e;
      }
    }
  }
  return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void*, void*) {
  const AFX_MSGMAP_ENTRY* e = FindEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
  if (!e) return FALSE;
  e->pfn(this, 0, 0);
  return TRUE;
}

CTime CTime::GetCurrentTime() {
  platform::Backend& backend = platform::GetBackend();
  CTime t;
  t.m_seconds = backend.EpochSeconds();
  const platform::LocalTime now = backend.Now();
  t.m_year = now.year;
  t.m_month = now.month;
  t.m_day = now.day;
  t.m_weekday = now.weekday;
  t.m_hour = now.hour;
  t.m_minute = now.minute;
  t.m_second = now.second;
  return t;
}

struct tm* CTime::GetLocalTm(struct tm* out) const {
  if (!out) return nullptr;
  *out = {};
  out->tm_year = m_year - 1900;
  out->tm_mon = m_month - 1;
  out->tm_mday = m_day;
  out->tm_wday = m_weekday;
  out->tm_hour = m_hour;
  out->tm_min = m_minute;
  out->tm_sec = m_second;
  return out;
}
