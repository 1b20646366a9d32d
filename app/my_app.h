// The application object: start-up, the tray icon and what a click on it does.
#pragma once

#include "platform/framework/afxwin.h"

class CMyApp : public CWinApp {
 public:
  CMyApp();

  BOOL InitInstance() override;
  int ExitInstance() override;

  // Adds the tray icon; the icon handle is released whatever the shell answers.
  BOOL AddTrayIcon(HWND hwnd, UINT id, HICON icon, const char* tip);
  BOOL DeleteTrayIcon(HWND hwnd, UINT id);
  // The tray icon's callback message, handed over by the main frame.
  void OnTrayNotify(WPARAM wParam, LPARAM lParam);

  // Folder of the executable, ending in a separator: the prefix of every data file.
  CString m_strProgramDir;
  // 1 while the about box is on screen.
  int m_bAboutBoxUp = 0;
  // The exit status when the start was refused (2: arguments given), otherwise 0.
  int m_nStartFailureCode = 0;

  // Collects every argument: the program takes none.
  class CProgramCommandLine : public CCommandLineInfo {
   public:
    void ParseParam(const char* param, BOOL flag, BOOL last) override;
    std::vector<CString> m_unexpected;
  };

 protected:
  void OnAppAbout() {}

  DECLARE_MESSAGE_MAP()
};

CMyApp* GetMyApp();
