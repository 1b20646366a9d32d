// The application framework on its own: message maps, command routing, default
// processing, window objects and documents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/framework/afxwin.h"
#include "platform/user/resources.h"
#include "platform/user/session.h"
#include "platform/user/state.h"

namespace {

std::vector<std::string> g_calls;

constexpr UINT ID_TEST_A = 40001;  // handled by the view
constexpr UINT ID_TEST_B = 40002;  // handled by the document
constexpr UINT ID_TEST_C = 40003;  // handled by the frame
constexpr UINT ID_TEST_D = 40004;  // handled by the application
constexpr UINT ID_TEST_E = 40005;  // handled by the view and the frame

class TestDoc : public CDocument {
  DECLARE_DYNCREATE(TestDoc)

 public:
  BOOL OnNewDocument() override {
    g_calls.push_back("doc new");
    return CDocument::OnNewDocument();
  }
  void OnCloseDocument() override {
    g_calls.push_back("doc close");
    CDocument::OnCloseDocument();
  }
  ~TestDoc() override { g_calls.push_back("doc deleted"); }

 protected:
  void OnB() { g_calls.push_back("doc B"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(TestDoc, CDocument)
BEGIN_MESSAGE_MAP(TestDoc, CDocument)
  ON_COMMAND(ID_TEST_B, OnB)
END_MESSAGE_MAP()

class TestView : public CView {
  DECLARE_DYNCREATE(TestView)

 public:
  void OnDraw(CDC*) override { g_calls.push_back("view draw"); }
  void OnActivateView(BOOL activate, CView* a, CView* d) override {
    g_calls.push_back(activate ? "view activate" : "view deactivate");
    CView::OnActivateView(activate, a, d);
  }
  ~TestView() override { g_calls.push_back("view deleted"); }
  int sizeCalls = 0;

 protected:
  int OnCreate(LPCREATESTRUCT cs) {
    g_calls.push_back("view create");
    return CView::OnCreate(cs);
  }
  void OnSize(UINT type, int cx, int cy) {
    ++sizeCalls;
    CView::OnSize(type, cx, cy);
  }
  void OnDestroy() {
    g_calls.push_back("view destroy");
    CView::OnDestroy();
  }
  void OnA() { g_calls.push_back("view A"); }
  void OnE() { g_calls.push_back("view E"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(TestView, CView)
BEGIN_MESSAGE_MAP(TestView, CView)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_COMMAND(ID_TEST_A, OnA)
  ON_COMMAND(ID_TEST_E, OnE)
END_MESSAGE_MAP()

class TestFrame : public CFrameWnd {
  DECLARE_DYNCREATE(TestFrame)

 public:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.x = 10;
    cs.y = 20;
    cs.cx = 120;
    cs.cy = 90;
    return CFrameWnd::PreCreateWindow(cs);
  }
  ~TestFrame() override { g_calls.push_back("frame deleted"); }

 protected:
  void OnC() { g_calls.push_back("frame C"); }
  void OnE() { g_calls.push_back("frame E"); }
  void OnDestroy() {
    g_calls.push_back("frame destroy");
    CFrameWnd::OnDestroy();
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(TestFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
  ON_WM_DESTROY()
  ON_COMMAND(ID_TEST_C, OnC)
  ON_COMMAND(ID_TEST_E, OnE)
END_MESSAGE_MAP()

class TestApp : public CWinApp {
 public:
  TestApp() : CWinApp("Test") {}
  BOOL InitInstance() override {
    AddDocTemplate(
        new CSingleDocTemplate(1, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(TestFrame), RUNTIME_CLASS(TestView)));
    OnFileNew();
    return m_pMainWnd != nullptr;
  }

 protected:
  void OnD() { g_calls.push_back("app D"); }
  void OnE() { g_calls.push_back("app E"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestApp, CWinApp)
  ON_COMMAND(ID_TEST_D, OnD)
  ON_COMMAND(ID_TEST_E, OnE)
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    backend = new platform::HeadlessBackend();
    platform::Initialize(std::unique_ptr<platform::Backend>(backend));
    platform::MenuEntry popup;
    popup.kind = platform::MenuEntry::Kind::Submenu;
    popup.text = "File";
    resources_.menus[1] = {popup};
    resources_.strings[1] = "Test Title\nDocName";
    user::RegisterResources(&resources_);
    app = std::make_unique<TestApp>();
    char name[] = "test";
    char* argv[] = {name};
    AfxWinInit(app.get(), 1, argv);
    ASSERT_TRUE(app->InitInstance());
    platform::PumpPendingMessages();
  }
  void TearDown() override {
    platform::Shutdown();
    app.reset();
    user::RegisterResources(nullptr);
  }

  TestFrame* Frame() { return static_cast<TestFrame*>(app->m_pMainWnd); }
  TestView* View() { return static_cast<TestView*>(Frame()->GetActiveView()); }

  platform::HeadlessBackend* backend = nullptr;
  std::unique_ptr<TestApp> app;
  user::ResourceTable resources_;
};

TEST_F(FrameworkTest, NewDocumentCreatesDocumentFrameAndViewThenActivatesTheView) {
  const std::vector<std::string> expected = {"view create", "doc new", "view activate", "view activate", "view draw"};
  EXPECT_EQ(g_calls, expected);
  EXPECT_EQ(Frame()->GetWindowText(), "Test Title");
  EXPECT_EQ(View()->GetDocument()->GetTitle(), "DocName");
  EXPECT_EQ(::GetFocus(), View()->m_hWnd);
  // The frame's menu came from the resource of the template.
  EXPECT_NE(::GetMenu(Frame()->m_hWnd), nullptr);
}

TEST_F(FrameworkTest, CommandsToTheFrameReachViewDocumentFrameAndApplicationInThatOrder) {
  g_calls.clear();
  for (UINT id : {ID_TEST_A, ID_TEST_B, ID_TEST_C, ID_TEST_D, ID_TEST_E}) {
    Frame()->SendMessage(WM_COMMAND, id, 0);
  }
  const std::vector<std::string> expected = {"view A", "doc B", "frame C", "app D", "view E"};
  EXPECT_EQ(g_calls, expected);
}

TEST_F(FrameworkTest, CommandsToTheViewGoNoFurtherThanItsDocument) {
  g_calls.clear();
  for (UINT id : {ID_TEST_A, ID_TEST_B, ID_TEST_C, ID_TEST_D}) View()->SendMessage(WM_COMMAND, id, 0);
  const std::vector<std::string> expected = {"view A", "doc B"};
  EXPECT_EQ(g_calls, expected);
}

TEST_F(FrameworkTest, TheViewFillsTheFrameAndFollowsItsSize) {
  RECT r;
  View()->GetClientRect(&r);
  // The frame's sunken edge goes as soon as its view brings its own; the view keeps its
  // own edge here.
  EXPECT_FALSE(Frame()->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(View()->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_EQ(r.right, 120 - 4);
  const int before = View()->sizeCalls;
  Frame()->SetWindowPos(nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  View()->GetClientRect(&r);
  EXPECT_EQ(r.right, 200 - 4);
  EXPECT_EQ(r.bottom, 150 - 4);
  EXPECT_GT(View()->sizeCalls, before);
}

TEST_F(FrameworkTest, ClosingTheMainWindowClosesTheDocumentDestroysFrameThenViewAndQuits) {
  g_calls.clear();
  Frame()->PostMessage(WM_CLOSE);
  platform::PumpPendingMessages();
  // The dying view is deactivated first, so that the frame holds no active view.
  const std::vector<std::string> expected = {"doc close",       "frame destroy", "view destroy", "view deactivate",
                                             "view deleted",    "frame deleted", "doc deleted"};
  EXPECT_EQ(g_calls, expected);
  EXPECT_TRUE(platform::QuitPending());
  EXPECT_EQ(app->m_pMainWnd, nullptr);
}

TEST_F(FrameworkTest, WindowObjectsMapToTheirWindows) {
  CWnd* frame = Frame();
  EXPECT_EQ(CWnd::FromHandlePermanent(frame->m_hWnd), frame);
  EXPECT_EQ(CWnd::FromHandle(frame->m_hWnd), frame);
  // A window the framework did not make gets a temporary object.
  CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(desktop->m_hWnd, ::GetDesktopWindow());
  EXPECT_EQ(CWnd::FromHandlePermanent(::GetDesktopWindow()), nullptr);
  EXPECT_EQ(View()->GetParentFrame(), frame);
  EXPECT_EQ(View()->GetTopLevelParent(), frame);
  EXPECT_TRUE(View()->IsKindOf(RUNTIME_CLASS(CView)));
  EXPECT_TRUE(View()->IsKindOf(RUNTIME_CLASS(CWnd)));
  EXPECT_FALSE(View()->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
  EXPECT_EQ(std::string(View()->GetRuntimeClass()->m_lpszClassName), "TestView");
}

TEST_F(FrameworkTest, StyleChangesReportWhetherAnythingChanged) {
  CWnd* frame = Frame();
  EXPECT_FALSE(frame->ModifyStyle(WS_CAPTION, 0));  // nothing to remove
  EXPECT_TRUE(frame->ModifyStyle(0, WS_SYSMENU));
  EXPECT_TRUE(frame->GetStyle() & WS_SYSMENU);
  EXPECT_TRUE(frame->ModifyStyleEx(0, WS_EX_TOOLWINDOW, SWP_NOZORDER));
  EXPECT_TRUE(frame->GetExStyle() & WS_EX_TOOLWINDOW);
}

TEST_F(FrameworkTest, DefaultProcessingAnswersTheMessageBeingHandled) {
  // The view leaves its cursor message to default processing, which asks the parent
  // first: the frame, which has no handler, answers with its own default.
  View()->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(View()->m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(backend->cursor.kind, platform::Cursor::Kind::Arrow);
  const LRESULT hit = View()->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(20, 30));
  EXPECT_EQ(hit, HTCLIENT);
  EXPECT_EQ(View()->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(500, 30)), HTNOWHERE);
}

TEST_F(FrameworkTest, DeviceContextWrappersHandBackWhatWasSelected) {
  CClientDC dc(View());
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  CPen blue(PS_SOLID, 1, RGB(0, 0, 255));
  CPen* original = dc.SelectObject(&red);
  ASSERT_NE(original, nullptr);
  CPen* previous = dc.SelectObject(&blue);
  EXPECT_EQ(previous->m_hObject, red.m_hObject);
  dc.SelectObject(original);
  // The pens are no longer selected, so they can be deleted.
  EXPECT_TRUE(red.DeleteObject());
  EXPECT_TRUE(blue.DeleteObject());
  CRect r(0, 0, 5, 5);
  dc.FillSolidRect(&r, RGB(1, 2, 3));
  EXPECT_EQ(::GetBkColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(dc.GetPixel(4, 4), RGB(1, 2, 3));
}

TEST_F(FrameworkTest, MessagesToTheViewGoThroughPreTranslation) {
  // An accelerator-less frame lets keys through to the view; the platform's loops ask the
  // windows from the target up.
  std::vector<UINT> seen;
  user::SetMessageSpy([&](const MSG& m) {
    if (m.hwnd == View()->m_hWnd && (m.message == WM_KEYDOWN || m.message == WM_KEYUP)) seen.push_back(m.message);
  });
  backend->Key('Q', true);
  backend->Key('Q', false);
  platform::PumpPendingMessages();
  user::SetMessageSpy(nullptr);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
}

TEST(RuntimeClass, CreatesObjectsOfDynamicClassesOnly) {
  CObject* made = RUNTIME_CLASS(TestDoc)->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CDocument)));
  delete made;
  g_calls.clear();
  EXPECT_EQ(RUNTIME_CLASS(CView)->CreateObject(), nullptr);
  EXPECT_TRUE(RUNTIME_CLASS(TestView)->IsDerivedFrom(RUNTIME_CLASS(CCmdTarget)));
  EXPECT_FALSE(RUNTIME_CLASS(CCmdTarget)->IsDerivedFrom(RUNTIME_CLASS(TestView)));
}

}  // namespace
