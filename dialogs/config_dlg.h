// CConfigDlg: the settings dialog. A tab control with five tabs over the controls of all
// five pages; switching tabs shows the chosen page's controls only. The dialog edits eleven
// value fields that the settings command fills before it runs and reads after OK.
#pragma once

#include "platform/framework/afxdlgs.h"

class CConfigDlg : public CDialog {
 public:
  enum { IDD = 144 };
  // The controls, by identifier.
  enum : UINT {
    IDC_HELP_BUTTON = 1031,
    IDC_TABS = 1007,
    IDC_TOPMOST = 1015,
    IDC_SAVE_POSITION = 1016,
    IDC_SHOW_FRAME = 1012,
    IDC_SHAPE_LABEL = 1032,
    IDC_SQUARE = 1033,
    IDC_ROUND = 1034,
    IDC_MATERIAL_LABEL = 1013,
    IDC_LOG = 1008,
    IDC_ALUMINIUM = 1009,
    IDC_BARS_LABEL = 1014,
    IDC_WITH_BARS = 1010,
    IDC_WITHOUT_BARS = 1011,
    IDC_SATELLITE_SLIDER = 1004,
    IDC_CLOCK_COLOR = 1025,
    IDC_DARKNESS = 1018,
    IDC_DESKTOP = 1019,
    IDC_BACKGROUND_LABEL = 1017,
    IDC_COLOR_LABEL = 1024,
    IDC_SHOW_CLOCK = 1023,
    IDC_SHOOTING_STAR_SLIDER = 1003,
    IDC_STAR_LOW = 1021,
    IDC_STAR_HIGH = 1022,
    IDC_STAR_LABEL = 1026,
    IDC_SATELLITE_LOW = 1027,
    IDC_SATELLITE_HIGH = 1028,
    IDC_SATELLITE_LABEL = 1029,
  };
  static constexpr int kPageCount = 5;
  // The help topic of each tab, in tab order.
  static constexpr std::uintptr_t kHelpContexts[kPageCount] = {102, 103, 104, 105, 106};
  static constexpr const char* kHelpFileName = "Lumivane.HLP";

  // `programDir` ends in a separator; the help file sits there.
  explicit CConfigDlg(CString programDir = CString());
  ~CConfigDlg() override;

  // Shows the page's controls (1 to 5) and hides every other page control; any other
  // number leaves them all hidden.
  void ShowPage(int page);

  // The value fields, named after their settings.
  int TopMostFlg = 0;
  int BeforePositionFlg = 0;
  int EdgeFlg = 1;
  int CircleEdgeFlg = 0;
  int EdgeKind = 1;
  int EdgeClossFlg = 1;
  int ShootingStarLevel = 1;
  int SateltLevel = 1;
  int BkMode = 1;
  int ClockFlg = 1;
  int ClockColor = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnTabChanged(NMHDR* header, LRESULT* result);
  void OnHelpButton();

  DECLARE_MESSAGE_MAP()

 private:
  CString m_strProgramDir;
  CTabCtrl m_tabs;
  CButton m_checkTopMost, m_checkSavePosition, m_checkShowFrame, m_checkShowClock;
  CButton m_radioSquare, m_radioRound, m_radioLog, m_radioAluminium, m_radioWithBars, m_radioWithoutBars;
  CButton m_radioDarkness, m_radioDesktop;
  CStatic m_labelShape, m_labelMaterial, m_labelBars, m_labelBackground, m_labelColor;
  CStatic m_labelStarLow, m_labelStarHigh, m_labelStar, m_labelSatelliteLow, m_labelSatelliteHigh, m_labelSatellite;
  CSliderCtrl m_sliderShootingStar, m_sliderSatellite;
  CComboBox m_listClockColor;
  TCITEM m_tabItems[kPageCount];
};
