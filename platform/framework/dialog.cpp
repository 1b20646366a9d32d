// CDialog: a dialog of the program's templates run modally, its initialisation as the
// framework does it, OK and Cancel; and the wrappers of the controls it binds.
#include "platform/framework/afxdlgs.h"
#include "platform/user/resources.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd || !dx || !dx->m_pDlgWnd) return;
  if (HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id)) control.SubclassWindow(hwnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_nTemplateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

LRESULT CDialog::DoModal() {
  // The owner is the parent's top-level window, or the main window; a hidden owner still
  // owns the dialog, which is then centred on the work area.
  CWnd* owner = m_pParentWnd ? m_pParentWnd->GetTopLevelParent() : AfxGetMainWnd();
  return ::DialogBoxParam(AfxGetResourceHandle(), MAKEINTRESOURCE(static_cast<int>(m_nTemplateId)),
                          owner ? owner->m_hWnd : nullptr, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

LRESULT CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* dialog = reinterpret_cast<CDialog*>(lParam);
  if (!dialog || !dialog->SubclassWindow(hwnd)) return TRUE;
  RECT before;
  ::GetWindowRect(hwnd, &before);
  const BOOL focusFirst = dialog->OnInitDialog();
  // Centred over its owner, at the size the initialisation gave it, unless the
  // initialisation moved it itself.
  RECT after;
  if (::IsWindow(hwnd) && ::GetWindowRect(hwnd, &after) && after.left == before.left && after.top == before.top) {
    dialog->CenterWindow();
  }
  return focusFirst;
}

BOOL CDialog::OnInitDialog() {
  ExecuteDlgInit();
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::ExecuteDlgInit() {
  const user::ResourceTable* table = user::Resources();
  if (!table) return;
  auto it = table->dialogs.find(m_nTemplateId);
  if (it == table->dialogs.end()) return;
  for (const user::DialogItem& item : it->second.items) {
    for (const std::string& text : item.initData) {
      ::SendDlgItemMessage(m_hWnd, static_cast<int>(item.id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

CWnd* CDialog::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return FALSE;
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}
