// Runs the real program objects on the headless backend, with a settings file of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/my_app.h"
#include "document/my_doc.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/core/profile_store.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/state.h"
#include "res/resource.h"
#include "view/my_view.h"

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-test-XXXXXX";
    configDir_ = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
    platform::HeadlessBackend::Options options;
    options.screen = SIZE{640, 480};
    backend = new platform::HeadlessBackend(options);
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    user::RegisterResources(&ProgramResources());
  }

  void TearDown() override {
    user::SetMessageSpy(nullptr);
    platform::Shutdown();
    app.reset();
    std::filesystem::remove_all(configDir_);
  }

  std::filesystem::path SettingsFile() const { return platform::ProfilePathFor("Orvant", "Lumivane"); }

  void WriteSetting(const char* name, int value) {
    ASSERT_TRUE(platform::ProfileStore(SettingsFile()).WriteInt("Config", name, value));
  }

  std::optional<int> ReadSetting(const char* name) const {
    return platform::ProfileStore(SettingsFile()).ReadInt("Config", name);
  }

  // The keys of section Config in the order they stand in the file, which is the order in
  // which they were first written.
  std::vector<std::string> SettingKeysInFileOrder() const {
    std::vector<std::string> keys;
    std::ifstream in(SettingsFile());
    std::string line;
    while (std::getline(in, line)) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
    }
    return keys;
  }

  // Start-up as the framework's entry does it, then everything the queue holds.
  BOOL Start(std::vector<std::string> args = {}) {
    app = std::make_unique<CMyApp>();
    args.insert(args.begin(), "Lumivane");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    AfxWinInit(app.get(), static_cast<int>(argv.size()), argv.data());
    // The program's data files are read from the folder of its help file.
    if (!programDir.empty()) app->m_pszHelpFilePath = programDir + "/Lumivane.HLP";
    const BOOL ok = app->InitInstance();
    platform::PumpPendingMessages();
    return ok;
  }

  CMainFrame* Frame() const { return static_cast<CMainFrame*>(app->m_pMainWnd); }
  CMyView* View() const { return static_cast<CMyView*>(Frame()->GetActiveView()); }
  CMyDoc* Doc() const { return View()->GetDocument(); }
  HWND FrameHwnd() const { return Frame()->m_hWnd; }

  RECT FrameRect() const {
    RECT r;
    ::GetWindowRect(FrameHwnd(), &r);
    return r;
  }

  // Runs a command as the view receives it from its context menu.
  void ViewCommand(UINT id) {
    ::SendMessage(View()->m_hWnd, WM_COMMAND, id, 0);
    platform::PumpPendingMessages();
  }

  platform::HeadlessBackend* backend = nullptr;
  std::unique_ptr<CMyApp> app;
  // Where the program finds its data files; empty for the folder of the test executable.
  std::string programDir;

 private:
  std::string configDir_;
};
