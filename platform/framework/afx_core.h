// Framework basics: run-time classes with dynamic creation, command targets and message
// maps, and the value types (strings, points, rectangles, time) the program works with.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/windef.h"

using CString = std::string;  // UTF-8

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CObject* (*m_pfnCreateObject)();
  const CRuntimeClass* m_pBaseClass;

  // A new object of the class, or null when the class is not dynamically creatable.
  CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::classInfo)

#define DECLARE_DYNAMIC(class_name)                        \
 public:                                                   \
  static const CRuntimeClass classInfo;                    \
  const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                       \
  const CRuntimeClass class_name::classInfo = {#class_name, sizeof(class_name), nullptr,    \
                                               RUNTIME_CLASS(base_class_name)};              \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                     \
  CObject* class_name::CreateObject() { return new class_name; }                            \
  const CRuntimeClass class_name::classInfo = {#class_name, sizeof(class_name),             \
                                               &class_name::CreateObject,                   \
                                               RUNTIME_CLASS(base_class_name)};              \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class CObject {
 public:
  static const CRuntimeClass classInfo;
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classInfo; }
  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

 protected:
  CObject() = default;

 public:
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
};

// ---- Message maps ----
class CCmdTarget;
using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // window message, or WM_COMMAND / WM_NOTIFY for commands and notifications
  UINT nCode;     // command or notification code
  UINT nID;       // first command or control id
  UINT nLastID;   // last id of a range
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

constexpr UINT CN_COMMAND = 0;

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const AFX_MSGMAP* GetThisMessageMap();     \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                 \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                            \
    using ThisClass = theClass;                                                \
    using TheBaseClass = baseClass;                                            \
    static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                    \
  {0, 0, 0, 0, nullptr}};                                                    \
  static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

class CCmdTarget : public CObject {
 public:
  static const CRuntimeClass classInfo;
  const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

  // Runs the handler this object's message map has for the command, if any.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  // Finds the entry for a message, command or notification in the map chain.
  const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

// Handler adapters used by the message-map entries. `F` may be a member of a base class.
namespace afx {

template <typename T, auto F>
LRESULT Command(CCmdTarget* p, WPARAM, LPARAM) {
  (static_cast<T*>(p)->*F)();
  return 0;
}

template <typename T, auto F>
LRESULT Notify(CCmdTarget* p, WPARAM w, LPARAM l) {
  (static_cast<T*>(p)->*F)(reinterpret_cast<NMHDR*>(w), reinterpret_cast<LRESULT*>(l));
  return 0;
}

template <typename T, auto F>
LRESULT Message(CCmdTarget* p, WPARAM w, LPARAM l) {
  return (static_cast<T*>(p)->*F)(w, l);
}

}  // namespace afx

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(id), &afx::Command<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY(code, id, memberFxn)                                      \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
   &afx::Notify<ThisClass, &ThisClass::memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, 0, &afx::Message<ThisClass, &ThisClass::memberFxn>},

// ---- Points, sizes and rectangles ----
class CPoint : public POINT {
 public:
  CPoint() = default;
  CPoint(int x0, int y0) { x = x0, y = y0; }
  CPoint(POINT p) { x = p.x, y = p.y; }
};

class CSize : public SIZE {
 public:
  CSize() = default;
  CSize(int cx0, int cy0) { cx = cx0, cy = cy0; }
  CSize(SIZE s) { cx = s.cx, cy = s.cy; }
};

class CRect : public RECT {
 public:
  CRect() = default;
  CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  CRect(const RECT& r) { left = r.left, top = r.top, right = r.right, bottom = r.bottom; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CPoint TopLeft() const { return CPoint(left, top); }
  bool IsRectEmpty() const { return left >= right || top >= bottom; }
  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};

// ---- Time ----
// A moment, with its local calendar fields as the platform gives them.
class CTime {
 public:
  CTime() = default;
  static CTime GetCurrentTime();
  std::int64_t GetTime() const { return m_seconds; }
  // Local calendar fields in the form of the C library's broken-down time.
  struct tm* GetLocalTm(struct tm* out) const;
  int GetYear() const { return m_year; }
  int GetMonth() const { return m_month; }
  int GetDay() const { return m_day; }
  int GetHour() const { return m_hour; }
  int GetMinute() const { return m_minute; }
  int GetSecond() const { return m_second; }
  int GetDayOfWeek() const { return m_weekday + 1; }  // 1 = Sunday

 private:
  std::int64_t m_seconds = 0;
  int m_year = 1970, m_month = 1, m_day = 1, m_weekday = 4, m_hour = 0, m_minute = 0, m_second = 0;
};

// ---- Files ----
// A document's file. Only plain files open: a pipe, a socket, a device or a folder is
// refused, so that no file name a user can pick blocks the program or feeds it without end.
class CFile {
 public:
  enum OpenFlags : UINT { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000 };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // modeRead, or modeWrite with modeCreate (made when missing, emptied when present).
  BOOL Open(const char* path, UINT flags);
  // Up to `count` bytes; 0 at the end of the file or on an error.
  UINT Read(void* buffer, UINT count);
  BOOL Write(const void* data, UINT count);
  // False when the file was not open or its last writes failed.
  BOOL Close();
  BOOL IsOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// Reads a document's content from its file or writes it, as the document asks: a document
// that reads nothing causes nothing to be read.
class CArchive {
 public:
  enum Mode { store = 0, load = 1 };
  CArchive(CFile* file, UINT mode) : m_pFile(file), m_nMode(mode) {}

  BOOL IsLoading() const { return m_nMode == load; }
  BOOL IsStoring() const { return m_nMode == store; }
  UINT Read(void* buffer, UINT count) { return IsLoading() && m_pFile ? m_pFile->Read(buffer, count) : 0; }
  void Write(const void* data, UINT count) {
    if (!IsStoring() || !m_pFile || !m_pFile->Write(data, count)) m_bFailed = TRUE;
  }
  // A write went wrong somewhere.
  BOOL Failed() const { return m_bFailed; }

 private:
  CFile* m_pFile;
  UINT m_nMode;
  BOOL m_bFailed = FALSE;
};
