#include "dialogs/config_dlg.h"

#include <iterator>

namespace {

// Each page's controls, in the order they are shown.
constexpr UINT kPage1[] = {CConfigDlg::IDC_TOPMOST, CConfigDlg::IDC_SAVE_POSITION};
constexpr UINT kPage2[] = {CConfigDlg::IDC_BARS_LABEL, CConfigDlg::IDC_MATERIAL_LABEL, CConfigDlg::IDC_SHAPE_LABEL,
                           CConfigDlg::IDC_SHOW_FRAME, CConfigDlg::IDC_LOG,            CConfigDlg::IDC_ALUMINIUM,
                           CConfigDlg::IDC_WITH_BARS,  CConfigDlg::IDC_WITHOUT_BARS,   CConfigDlg::IDC_SQUARE,
                           CConfigDlg::IDC_ROUND};
constexpr UINT kPage3[] = {CConfigDlg::IDC_BACKGROUND_LABEL, CConfigDlg::IDC_DARKNESS, CConfigDlg::IDC_DESKTOP};
constexpr UINT kPage4[] = {CConfigDlg::IDC_STAR_LABEL,      CConfigDlg::IDC_STAR_LOW,          CConfigDlg::IDC_STAR_HIGH,
                           CConfigDlg::IDC_SHOOTING_STAR_SLIDER, CConfigDlg::IDC_SATELLITE_LABEL,
                           CConfigDlg::IDC_SATELLITE_LOW, CConfigDlg::IDC_SATELLITE_HIGH, CConfigDlg::IDC_SATELLITE_SLIDER};
constexpr UINT kPage5[] = {CConfigDlg::IDC_COLOR_LABEL, CConfigDlg::IDC_CLOCK_COLOR, CConfigDlg::IDC_SHOW_CLOCK};

struct Page {
  const UINT* ids;
  size_t count;
};
constexpr Page kPages[CConfigDlg::kPageCount] = {{kPage1, std::size(kPage1)},
                                                 {kPage2, std::size(kPage2)},
                                                 {kPage3, std::size(kPage3)},
                                                 {kPage4, std::size(kPage4)},
                                                 {kPage5, std::size(kPage5)}};

const char* const kTabTexts[CConfigDlg::kPageCount] = {"位置", "窓枠", "背景", "頻度", "時計"};

}  // namespace

BEGIN_MESSAGE_MAP(CConfigDlg, CDialog)
  ON_NOTIFY(TCN_SELCHANGE, CConfigDlg::IDC_TABS, OnTabChanged)
  ON_COMMAND(CConfigDlg::IDC_HELP_BUTTON, OnHelpButton)
END_MESSAGE_MAP()

CConfigDlg::CConfigDlg(CString programDir) : CDialog(IDD, nullptr), m_strProgramDir(std::move(programDir)) {
  for (int i = 0; i < kPageCount; ++i) {
    m_tabItems[i].mask = TCIF_TEXT;
    m_tabItems[i].pszText = const_cast<char*>(kTabTexts[i]);
  }
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_TABS, m_tabs);
  DDX_Control(dx, IDC_TOPMOST, m_checkTopMost);
  DDX_Control(dx, IDC_SAVE_POSITION, m_checkSavePosition);
  DDX_Control(dx, IDC_SHOW_FRAME, m_checkShowFrame);
  DDX_Control(dx, IDC_SHAPE_LABEL, m_labelShape);
  DDX_Control(dx, IDC_SQUARE, m_radioSquare);
  DDX_Control(dx, IDC_ROUND, m_radioRound);
  DDX_Control(dx, IDC_MATERIAL_LABEL, m_labelMaterial);
  DDX_Control(dx, IDC_LOG, m_radioLog);
  DDX_Control(dx, IDC_ALUMINIUM, m_radioAluminium);
  DDX_Control(dx, IDC_BARS_LABEL, m_labelBars);
  DDX_Control(dx, IDC_WITH_BARS, m_radioWithBars);
  DDX_Control(dx, IDC_WITHOUT_BARS, m_radioWithoutBars);
  DDX_Control(dx, IDC_SATELLITE_SLIDER, m_sliderSatellite);
  DDX_Control(dx, IDC_CLOCK_COLOR, m_listClockColor);
  DDX_Control(dx, IDC_DARKNESS, m_radioDarkness);
  DDX_Control(dx, IDC_DESKTOP, m_radioDesktop);
  DDX_Control(dx, IDC_BACKGROUND_LABEL, m_labelBackground);
  DDX_Control(dx, IDC_COLOR_LABEL, m_labelColor);
  DDX_Control(dx, IDC_SHOW_CLOCK, m_checkShowClock);
  DDX_Control(dx, IDC_SHOOTING_STAR_SLIDER, m_sliderShootingStar);
  DDX_Control(dx, IDC_STAR_LOW, m_labelStarLow);
  DDX_Control(dx, IDC_STAR_HIGH, m_labelStarHigh);
  DDX_Control(dx, IDC_STAR_LABEL, m_labelStar);
  DDX_Control(dx, IDC_SATELLITE_LOW, m_labelSatelliteLow);
  DDX_Control(dx, IDC_SATELLITE_HIGH, m_labelSatelliteHigh);
  DDX_Control(dx, IDC_SATELLITE_LABEL, m_labelSatellite);
}

BOOL CConfigDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int i = 0; i < kPageCount; ++i) m_tabs.InsertItem(i, &m_tabItems[i]);
  ShowPage(1);

  m_checkTopMost.SetCheck(TopMostFlg != 0 ? BST_CHECKED : BST_UNCHECKED);
  m_checkSavePosition.SetCheck(BeforePositionFlg != 0 ? BST_CHECKED : BST_UNCHECKED);
  m_checkShowFrame.SetCheck(EdgeFlg != 0 ? BST_CHECKED : BST_UNCHECKED);
  // Of the shape, material and bars pairs only the chosen button is checked.
  if (EdgeKind == 1) {
    m_radioLog.SetCheck(BST_CHECKED);
  } else {
    m_radioAluminium.SetCheck(BST_CHECKED);
  }
  if (CircleEdgeFlg != 0) {
    m_radioRound.SetCheck(BST_CHECKED);
  } else {
    m_radioSquare.SetCheck(BST_CHECKED);
  }
  if (EdgeClossFlg == 1) {
    m_radioWithBars.SetCheck(BST_CHECKED);
  } else {
    m_radioWithoutBars.SetCheck(BST_CHECKED);
  }
  m_checkShowClock.SetCheck(ClockFlg != 0 ? BST_CHECKED : BST_UNCHECKED);
  // The sliders hold their positions inside 0..10 themselves.
  m_sliderShootingStar.SetRange(0, 10, FALSE);
  m_sliderShootingStar.SetPos(ShootingStarLevel);
  m_sliderSatellite.SetRange(0, 10, FALSE);
  m_sliderSatellite.SetPos(SateltLevel);
  // The background pair is set both ways.
  if (BkMode == 1) {
    m_radioDarkness.SetCheck(BST_CHECKED);
    m_radioDesktop.SetCheck(BST_UNCHECKED);
  } else {
    m_radioDarkness.SetCheck(BST_UNCHECKED);
    m_radioDesktop.SetCheck(BST_CHECKED);
  }
  // A colour outside the list leaves it without a selection.
  m_listClockColor.SetCurSel(ClockColor);
  return TRUE;
}

void CConfigDlg::ShowPage(int page) {
  for (const Page& p : kPages) {
    for (size_t i = 0; i < p.count; ++i) {
      if (CWnd* control = GetDlgItem(static_cast<int>(p.ids[i]))) control->ShowWindow(SW_HIDE);
    }
  }
  if (page < 1 || page > kPageCount) return;
  const Page& shown = kPages[page - 1];
  for (size_t i = 0; i < shown.count; ++i) {
    if (CWnd* control = GetDlgItem(static_cast<int>(shown.ids[i]))) control->ShowWindow(SW_SHOWNA);
  }
}

void CConfigDlg::OnTabChanged(NMHDR*, LRESULT* result) {
  ShowPage(m_tabs.GetCurSel() + 1);
  if (result) *result = 0;
}

void CConfigDlg::OnOK() {
  TopMostFlg = m_checkTopMost.GetCheck() == BST_CHECKED ? 1 : 0;
  BeforePositionFlg = m_checkSavePosition.GetCheck() == BST_CHECKED ? 1 : 0;
  EdgeFlg = m_checkShowFrame.GetCheck() == BST_CHECKED ? 1 : 0;
  ClockFlg = m_checkShowClock.GetCheck() == BST_CHECKED ? 1 : 0;
  // A pair with neither button checked keeps its value.
  if (m_radioLog.GetCheck() == BST_CHECKED) EdgeKind = 1;
  if (m_radioAluminium.GetCheck() == BST_CHECKED) EdgeKind = 2;
  if (m_radioWithBars.GetCheck() == BST_CHECKED) EdgeClossFlg = 1;
  if (m_radioWithoutBars.GetCheck() == BST_CHECKED) EdgeClossFlg = 2;
  ShootingStarLevel = m_sliderShootingStar.GetPos();
  SateltLevel = m_sliderSatellite.GetPos();
  if (m_radioDarkness.GetCheck() == BST_CHECKED) BkMode = 1;
  if (m_radioDesktop.GetCheck() == BST_CHECKED) BkMode = 2;
  // The shape is read from "四角" alone: with neither checked the window is round.
  CircleEdgeFlg = m_radioSquare.GetCheck() == BST_CHECKED ? 0 : 1;
  ClockColor = m_listClockColor.GetCurSel();
  EndDialog(IDOK);
}

void CConfigDlg::OnHelpButton() {
  const int tab = m_tabs.GetCurSel();
  if (tab < 0 || tab >= kPageCount) return;
  const CString path = m_strProgramDir + kHelpFileName;
  // The dialog stays open; what the help system makes of a missing file is its own affair.
  ::WinHelp(m_hWnd, path.c_str(), HELP_CONTEXT, kHelpContexts[tab]);
}
