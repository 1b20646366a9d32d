// Dialogs and the control wrappers of the framework: CDialog run modally from a template,
// the exchange that binds controls to their wrappers, and the buttons, texts, lists, tab
// controls and sliders a dialog holds.
#pragma once

#include "platform/core/commctrl.h"
#include "platform/framework/afxwin.h"

// What DoDataExchange is given: the dialog, and which way values go.
struct CDataExchange {
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

// Binds the control with the identifier to its wrapper (once; later calls leave it bound).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally over its owner (the given parent's top-level window, or the
  // application's main window) and returns what EndDialog was given: IDOK, IDCANCEL, or
  // -1 when the dialog could not be made.
  virtual LRESULT DoModal();
  void EndDialog(int result);
  // Exchanges the controls (binds them); with `saveAndValidate` the values go the other
  // way.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  CWnd* GetDlgItem(int id) const;
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
  void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendDlgItemMessage(m_hWnd, id, message, wParam, lParam);
  }

 protected:
  // Adds the template's initial list items, exchanges the controls; true puts the focus on
  // the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* dx) {}
  virtual void OnOK();
  virtual void OnCancel();

  UINT m_nIDHelp = 0;
  UINT m_nTemplateId = 0;
  CWnd* m_pParentWnd = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  static LRESULT DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The template's initialisation data: the items its lists start with.
  void ExecuteDlgInit();
};

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)

 public:
  int GetCheck() const { return static_cast<int>(::SendMessage(m_hWnd, BM_GETCHECK, 0, 0)); }
  void SetCheck(int check) { ::SendMessage(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check), 0); }
  UINT GetState() const { return static_cast<UINT>(::SendMessage(m_hWnd, BM_GETSTATE, 0, 0)); }
  // An owner-drawn button draws itself here when its parent is asked to draw it.
  virtual void DrawItem(LPDRAWITEMSTRUCT item) {}

 protected:
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)

 public:
  HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(::SendMessage(m_hWnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0)); }
  HICON GetIcon() const { return reinterpret_cast<HICON>(::SendMessage(m_hWnd, STM_GETICON, 0, 0)); }
  HBITMAP SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(::SendMessage(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(::SendMessage(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0)); }
};

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)

 public:
  int AddString(const char* text) { return static_cast<int>(::SendMessage(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int GetCount() const { return static_cast<int>(::SendMessage(m_hWnd, CB_GETCOUNT, 0, 0)); }
  int GetCurSel() const { return static_cast<int>(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0)); }
  int SetCurSel(int index) { return static_cast<int>(::SendMessage(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0)); }
};

class CTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CTabCtrl)

 public:
  int InsertItem(int index, TCITEM* item) {
    return static_cast<int>(::SendMessage(m_hWnd, TCM_INSERTITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
  }
  int GetItemCount() const { return static_cast<int>(::SendMessage(m_hWnd, TCM_GETITEMCOUNT, 0, 0)); }
  int GetCurSel() const { return static_cast<int>(::SendMessage(m_hWnd, TCM_GETCURSEL, 0, 0)); }
  int SetCurSel(int index) { return static_cast<int>(::SendMessage(m_hWnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0)); }
};

class CSliderCtrl : public CWnd {
  DECLARE_DYNAMIC(CSliderCtrl)

 public:
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
    ::SendMessage(m_hWnd, TBM_SETRANGE, static_cast<WPARAM>(redraw), MAKELPARAM(minimum, maximum));
  }
  void SetPos(int position) { ::SendMessage(m_hWnd, TBM_SETPOS, TRUE, position); }
  int GetPos() const { return static_cast<int>(::SendMessage(m_hWnd, TBM_GETPOS, 0, 0)); }
  int GetRangeMin() const { return static_cast<int>(::SendMessage(m_hWnd, TBM_GETRANGEMIN, 0, 0)); }
  int GetRangeMax() const { return static_cast<int>(::SendMessage(m_hWnd, TBM_GETRANGEMAX, 0, 0)); }
};
