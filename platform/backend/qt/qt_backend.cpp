#include "platform/backend/qt/qt_backend.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <ctime>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/backend/qt/help_viewer.h"
#include "platform/backend/qt/keyboard.h"
#include "platform/backend/qt/x11_window_state.h"
#include "platform/gdi/rect.h"
#include "platform/gdi/region.h"
#include "platform/gdi/surface.h"
#include "platform/user/native.h"
#include "platform/user/session.h"
#include "platform/user/user.h"

namespace platform {

namespace {

QImage ToQImage(const Image& picture) {
  QImage img(picture.width, picture.height, QImage::Format_ARGB32);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
    for (int x = 0; x < picture.width; ++x) row[x] = picture.argb[static_cast<size_t>(y) * picture.width + x];
  }
  return img;
}

// The picture with each of its pixels a square block of `factor` screen pixels, marked as
// such for Qt, which then shows it at the picture's own size in the program's pixels.
QImage Blocks(const QImage& picture, int factor) {
  const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
  QImage out(source.width() * factor, source.height() * factor, QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    const auto* from = reinterpret_cast<const std::uint32_t*>(source.constScanLine(y / factor));
    auto* to = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) to[x] = from[x / factor];
  }
  out.setDevicePixelRatio(factor);
  return out;
}

// An icon that shows, at any size a tray or panel asks for, what the icon shows at that
// size in the program's pixels, each of them a block of the scale factor's screen pixels:
// a size the pictures do not have is made in the program's pixels and only then enlarged,
// so the classic pixels are never smoothed at the screen's finer grain.
class BlockIconEngine : public QIconEngine {
 public:
  BlockIconEngine(QIcon plain, int factor) : plain_(std::move(plain)), factor_(factor) {}

  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return plain_.actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, factor_);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
    const QPixmap plain = plain_.pixmap(size, 1.0, mode, state);
    if (plain.isNull()) return plain;
    return QPixmap::fromImage(Blocks(plain.toImage(), factor_));
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const QPixmap shown = scaledPixmap(rect.size(), mode, state, factor_);
    if (shown.isNull()) return;
    const QSize size = shown.deviceIndependentSize().toSize();
    painter->drawPixmap(QRect(rect.x() + (rect.width() - size.width()) / 2,
                              rect.y() + (rect.height() - size.height()) / 2, size.width(), size.height()),
                        shown);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return plain_.availableSizes(mode, state);
  }
  QIconEngine* clone() const override { return new BlockIconEngine(plain_, factor_); }

 private:
  QIcon plain_;
  int factor_;
};

QIcon ToQIcon(const std::vector<Image>& pictures, int factor) {
  QIcon plain;
  for (const Image& picture : pictures) plain.addPixmap(QPixmap::fromImage(ToQImage(picture)));
  if (factor == 1) return plain;
  return QIcon(new BlockIconEngine(plain, factor));
}

UINT ButtonMessage(Qt::MouseButton button, bool down) {
  switch (button) {
    case Qt::LeftButton: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case Qt::RightButton: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case Qt::MiddleButton: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
  }
}

WPARAM KeysOf(const QMouseEvent* e) {
  WPARAM keys = 0;
  if (e->buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) keys |= MK_RBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

}  // namespace

// A top-level window of the program on the desktop. It shows the pixels the platform drew
// and turns the desktop's events into the platform's input.
class NativeWindow : public QWidget {
 public:
  NativeWindow(QtBackend& backend, HWND hwnd) : QWidget(nullptr), backend_(backend), hwnd_(hwnd) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }

  HWND Handle() const { return hwnd_; }

  // Shows the window as `state` says, touching only what changed: every request here
  // reaches the window manager, and a state sent again would undo what the user chose
  // through it (keeping a window above others, say). `owner` is the owner's native window.
  void Show(const NativeWindowState& state, QWidget* owner) {
    Qt::WindowFlags flags = Qt::Window;
    if (state.noActivate) {
      // A balloon: no frame, no taskbar entry, never the focus, and above every managed
      // window, its owner included even when that one is kept on top.
      flags = Qt::ToolTip | Qt::FramelessWindowHint;
      setAttribute(Qt::WA_ShowWithoutActivating);
      setAttribute(Qt::WA_X11DoNotAcceptFocus);
      setFocusPolicy(Qt::NoFocus);
    } else {
      if (!state.captioned) {
        // An owned window (the round about box) is still its owner's dialog.
        if (state.owner) flags = Qt::Dialog;
        flags |= Qt::FramelessWindowHint;
      } else {
        // The caption's buttons are the ones the window's styles ask for: a dialog has a
        // close box only, and a frame that cannot be dragged larger. An owned one is a dialog
        // of its owner: kept above it, out of the taskbar.
        if (state.owner) flags = Qt::Dialog;
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (state.closeBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (state.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
        if (state.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
      }
      if (!x11::Available()) {
        // Without X the hints come from Qt's own flags.
        if (state.toolWindow) flags |= Qt::Tool;
        if (state.topmost) flags |= Qt::WindowStaysOnTopHint;
      }
    }
    if (windowFlags() != flags) setWindowFlags(flags);  // this also unmaps the window
    Place(state);
    // An owned window belongs to its owner: the window manager keeps it above the owner and
    // out of the taskbar.
    if (owner && owner->windowHandle()) {
      winId();
      if (windowHandle() && windowHandle()->transientParent() != owner->windowHandle()) {
        windowHandle()->setTransientParent(owner->windowHandle());
      }
    }
    if (x11::Available() && !state.noActivate) {
      const bool topmostChanged = !statesKnown_ || state.topmost != programTopmost_;
      if (topmostChanged) above_ = state.topmost;
      const auto window = static_cast<unsigned long>(winId());
      if (!isVisible()) {
        // The property must be on the window before the window manager maps it.
        x11::SetStatesBeforeMapping(window, state.toolWindow, above_);
      } else {
        if (state.toolWindow != skipTaskbar_) x11::RequestSkipTaskbar(window, state.toolWindow);
        if (topmostChanged) x11::RequestAbove(window, state.topmost);
      }
      skipTaskbar_ = state.toolWindow;
      programTopmost_ = state.topmost;
      statesKnown_ = true;
    }
    if (!isVisible()) show();
  }

  void Hide(const NativeWindowState& state) {
    if (isVisible()) {
      // The window manager drops the states when the window is unmapped: remember whether
      // it was kept above (the user may have chosen so), to ask for the same at the next map.
      if (x11::Available()) {
        if (auto above = x11::IsAbove(static_cast<unsigned long>(winId()))) above_ = *above;
      }
      hide();
      hiddenAt_.start();
    }
    Place(state);
  }

  // Whether the window left the screen so lately that the screen may still show it.
  bool HiddenWithin(int ms) const { return hiddenAt_.isValid() && hiddenAt_.elapsed() < ms; }
  int MsSinceHidden() const { return hiddenAt_.isValid() ? static_cast<int>(hiddenAt_.elapsed()) : 1 << 30; }

  void Present(const gdi::Surface& pixels, const RECT& dirty) {
    if (image_.width() != pixels.width || image_.height() != pixels.height) {
      image_ = QImage(pixels.width, pixels.height, QImage::Format_RGB32);
      image_.fill(Qt::black);
    }
    const RECT area = gdi::Intersect(dirty, RECT{0, 0, pixels.width, pixels.height});
    if (gdi::IsEmpty(area)) return;
    for (int y = area.top; y < area.bottom; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(image_.scanLine(y));
      const std::uint32_t* src = pixels.Row(y);
      for (int x = area.left; x < area.right; ++x) row[x] = 0xFF000000u | src[x];
    }
    update(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top).translated(-clientOffset_));
  }

  // Where the widget starts in the window layer's window coordinates.
  QPoint ClientOffset() const { return clientOffset_; }

  // The window region in window coordinates (nothing: the whole window). The widget shows
  // the client part of a decorated window, so the mask follows the client's offset.
  void SetShape(std::optional<QRegion> shape) {
    shape_ = std::move(shape);
    ApplyShape();
  }

  bool StartMove() {
    // The press that asked for the move may already be over (a click, the first half of a
    // double-click): a window manager asked to move then would wait for a release that has
    // come and gone, and take the user's next click to end a move nobody is making.
    const std::optional<bool> held = x11::LeftButtonDown();
    if (!(held ? *held : (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0)) return false;
    if (windowHandle() && windowHandle()->startSystemMove()) return true;
    // The window system cannot move it: follow the pointer ourselves until release.
    dragging_ = true;
    dragStart_ = QCursor::pos();
    windowStart_ = pos();
    return true;
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    if (image_.isNull()) {
      p.fillRect(e->rect(), Qt::black);
    } else {
      p.drawImage(e->rect(), image_, e->rect().translated(clientOffset_));
    }
  }

  void mousePressEvent(QMouseEvent* e) override {
    if (const UINT m = ButtonMessage(e->button(), true)) user::InjectMouse(hwnd_, m, backend_.PointOf(*e), KeysOf(e));
  }

  // The platform makes double-clicks out of two presses, as the classic platform does.
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }

  void mouseReleaseEvent(QMouseEvent* e) override {
    dragging_ = false;
    if (const UINT m = ButtonMessage(e->button(), false)) user::InjectMouse(hwnd_, m, backend_.PointOf(*e), KeysOf(e));
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    if (dragging_) {
      move(windowStart_ + (QCursor::pos() - dragStart_));
      return;
    }
    user::InjectMouse(hwnd_, WM_MOUSEMOVE, backend_.PointOf(*e), KeysOf(e));
  }

  void keyPressEvent(QKeyEvent* e) override { ForwardKey(*e); }
  void keyReleaseEvent(QKeyEvent* e) override { ForwardKey(*e); }

  // The window layer's keyboard moves the focus between a dialog's controls; Qt's own chain
  // never does.
  bool focusNextPrevChild(bool) override { return false; }

  void moveEvent(QMoveEvent*) override {
    const QPoint corner = geometry().topLeft() - clientOffset_;
    reportedCorner_ = corner;
    user::NativeMoved(hwnd_, POINT{corner.x(), corner.y()});
  }

  void closeEvent(QCloseEvent* e) override {
    // The program decides: the close request becomes the system menu's close command.
    e->ignore();
    user::NativeCloseRequested(hwnd_);
  }

  void changeEvent(QEvent* e) override {
    if (e->type() == QEvent::ActivationChange) {
      user::NativeActivated(hwnd_, isActiveWindow());
      if (isActiveWindow()) backend_.WindowActivated(this);
    }
    QWidget::changeEvent(e);
  }

  void focusOutEvent(QFocusEvent* e) override {
    if (FocusLeavesWindow(*this, *e)) user::ReleaseKeys();
    QWidget::focusOutEvent(e);
  }

  void enterEvent(QEnterEvent*) override { backend_.PointerEntered(this); }
  void leaveEvent(QEvent*) override { backend_.PointerLeft(this); }

 private:
  // Places the widget on the screen. The window manager draws a decorated window's caption
  // and borders around the widget, so the widget shows the client area of the window
  // layer's pixels; any other window shows them whole.
  void Place(const NativeWindowState& state) {
    RECT shown = state.rect;
    QPoint offset(0, 0);
    if (state.captioned && !state.noActivate) {
      offset = QPoint(state.client.left, state.client.top);
      shown = RECT{state.rect.left + state.client.left, state.rect.top + state.client.top,
                   state.rect.left + state.client.right, state.rect.top + state.client.bottom};
    }
    if (offset != clientOffset_) {
      clientOffset_ = offset;  // before the move below, which reports the window's place
      ApplyShape();
      update();
    }
    const QRect wanted(shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top);
    if (offset.isNull()) {
      if (geometry() != wanted) setGeometry(wanted);
    } else {
      // The window manager's frame stands where the window layer's frame is: its corner goes
      // to the window's corner. Where the manager then puts the client area is reported
      // back; only a move the program makes itself places the window again.
      const QPoint corner(state.rect.left, state.rect.top);
      if (reportedCorner_ != corner && pos() != corner) move(corner);
      if (size() != wanted.size()) resize(wanted.size());
    }
    // A frame without a sizing border keeps its size: the window manager offers no handle.
    // Without a frame (or with a sizing one) the window takes whatever size it is given.
    if (state.captioned && !state.resizable) {
      if (minimumSize() != wanted.size() || maximumSize() != wanted.size()) setFixedSize(wanted.size());
    } else if (minimumSize() != QSize(0, 0) || maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) {
      setMinimumSize(0, 0);
      setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      if (geometry() != wanted) setGeometry(wanted);
    }
  }

  void ApplyShape() {
    if (!shape_) {
      clearMask();
      return;
    }
    // An empty region hides the window entirely, as the classic platform does.
    const QRegion mask = shape_->translated(-clientOffset_);
    setMask(mask.isEmpty() ? QRegion(0, 0, 0, 0) : mask);
  }

  QtBackend& backend_;
  HWND hwnd_;
  std::optional<QRegion> shape_;
  QImage image_;  // the window layer's pixels, the whole window
  QPoint clientOffset_;
  std::optional<QPoint> reportedCorner_;  // the window's corner as last reported to the window layer
  bool dragging_ = false;
  QPoint dragStart_;
  QPoint windowStart_;
  // The window-manager states as last put on the window.
  bool statesKnown_ = false;
  bool skipTaskbar_ = false;
  bool programTopmost_ = false;  // what the program asked for
  bool above_ = false;           // what the window has, the user's choice included
  QElapsedTimer hiddenAt_;       // since the last hide
};

QtBackend::QtBackend(QApplication& app, int scale) : app_(app), scale_(std::max(1, scale)) {
  app_.setQuitOnLastWindowClosed(false);
  clock_.start();
  sinceTrim_.start();
  wake_.setSingleShot(true);
  // A coarse timer may fire a few percent early: the timer it waits for is then not yet due,
  // and the program would wake a second time only to wait again.
  wake_.setTimerType(Qt::PreciseTimer);
}

QtBackend::~QtBackend() {
  tray_.clear();
  for (auto& [hash, kept] : cursors_) x11::FreeCursor(kept.picture);
  for (auto& [hwnd, window] : windows_) delete window;
}

std::uint64_t QtBackend::NowMs() { return static_cast<std::uint64_t>(clock_.elapsed()) + kClockStartMs; }

std::int64_t QtBackend::EpochSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

LocalTime QtBackend::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void QtBackend::WaitForEvents(std::optional<std::uint64_t> deadlineMs) {
  if (deadlineMs) {
    const std::uint64_t now = NowMs();
    if (*deadlineMs <= now) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      return;
    }
  }
  GiveBackFreedMemory();
  if (deadlineMs) {
    // Until the deadline's millisecond has begun on the program's clock, which runs apart from
    // the timer's: waking a fraction of a millisecond early would find nothing due and cost a
    // second wake-up.
    const std::int64_t deadlineNs = static_cast<std::int64_t>(*deadlineMs - kClockStartMs) * 1000000;
    const std::int64_t waitNs = std::max<std::int64_t>(deadlineNs - clock_.nsecsElapsed(), 0);
    wake_.start(static_cast<int>(std::min<std::int64_t>((waitNs + 999999) / 1000000, 1 << 30)));
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  wake_.stop();
  // Windows the program destroyed go now: outside a running Qt event loop nothing else would
  // delete them, and a dialog opened a hundred times would leave a hundred behind.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtBackend::GiveBackFreedMemory() {
  // glibc returns freed memory to the system only from the top of its heap: what start-up,
  // a closed dialog or the pictures of an earlier look let go in the middle stays resident
  // for the rest of a day-long run. A trim now and then, just before the program waits
  // anyway, gives those pages back; it takes well under a millisecond.
  constexpr qint64 kTrimEveryMs = 30'000;
  if (sinceTrim_.elapsed() < kTrimEveryMs) return;
  sinceTrim_.start();
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

SIZE QtBackend::ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return SIZE{640, 480};
  return SIZE{screen->geometry().width(), screen->geometry().height()};
}

RECT QtBackend::WorkArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    const SIZE size = ScreenSize();
    return RECT{0, 0, size.cx, size.cy};
  }
  const QRect area = screen->availableGeometry();
  return RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

std::vector<Backend::Monitor> QtBackend::Monitors() {
  std::vector<Monitor> out;
  const auto rect = [](const QRect& r) { return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; };
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) out.push_back(Monitor{rect(primary->geometry()), rect(primary->availableGeometry())});
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen != primary) out.push_back(Monitor{rect(screen->geometry()), rect(screen->availableGeometry())});
  }
  if (out.empty()) return Backend::Monitors();
  return out;
}

int QtBackend::ScreenBitsPerPixel() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int depth = screen ? screen->depth() : 32;
  return depth >= 24 ? 32 : depth;
}

void QtBackend::GrabScreen(const RECT& area, std::uint32_t* out, int stride) {
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  // The copy is of what lies behind the program's windows, never of them. A window hidden a
  // moment ago may still be in the screen's pixels until the server and the windows beneath
  // have repainted: wait for that, briefly and without spinning. A balloon over the area is
  // lifted for the moment of the copy.
  const QRect wanted(area.left, area.top, w, h);
  std::vector<NativeWindow*> lifted;
  int wait = 0;
  for (auto& [hwnd, window] : windows_) {
    if (!window->geometry().intersects(wanted)) continue;
    if (window->isVisible() && window->windowType() == Qt::ToolTip) {
      window->hide();
      lifted.push_back(window);
      wait = kScreenSettleMs;
    } else if (!window->isVisible() && window->HiddenWithin(kScreenSettleMs)) {
      wait = std::max(wait, kScreenSettleMs - window->MsSinceHidden());
    }
  }
  if (wait > 0) {
    x11::Sync();
    QThread::msleep(static_cast<unsigned long>(wait));
  }
  QImage shot;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    shot = screen->grabWindow(0, area.left, area.top, w, h).toImage().convertToFormat(QImage::Format_RGB32);
  }
  // With a scale factor the shot holds that many screen pixels a side for each of the
  // program's pixels: each takes the first of its block, as the block shows it again.
  const int step = scale_;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = 0;
      // Parts off the screen stay black.
      const int sx = area.left + x;
      const int sy = area.top + y;
      if (!shot.isNull() && x * step < shot.width() && y * step < shot.height() && sx >= 0 && sy >= 0) {
        p = reinterpret_cast<const std::uint32_t*>(shot.constScanLine(y * step))[x * step] & 0xFFFFFF;
      }
      out[static_cast<size_t>(y) * stride + x] = p;
    }
  }
  for (NativeWindow* window : lifted) window->show();
}

NativeWindow* QtBackend::Find(HWND hwnd) const {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second;
}

void QtBackend::CreateNative(HWND hwnd) {
  if (Find(hwnd)) return;
  auto* w = new NativeWindow(*this, hwnd);
  windows_[hwnd] = w;
}

void QtBackend::DestroyNative(HWND hwnd) {
  NativeWindow* w = Find(hwnd);
  if (!w) return;
  if (hovered_ == w) hovered_ = nullptr;
  if (shownOn_ == w) shownOn_ = nullptr;
  controls_.DestroyAllOn(w);
  windows_.erase(hwnd);
  w->hide();
  w->deleteLater();
}

void QtBackend::SyncNative(HWND hwnd, const NativeWindowState& state) {
  NativeWindow* w = Find(hwnd);
  if (!w) return;
  const QString title = QString::fromStdString(state.title);
  if (w->windowTitle() != title) w->setWindowTitle(title);
  const QPoint clientOffset = w->ClientOffset();
  if (state.visible) {
    w->Show(state, state.owner ? Find(state.owner) : nullptr);
  } else {
    w->Hide(state);
  }
  if (w->ClientOffset() != clientOffset) controls_.MoveAllOn(w, w->ClientOffset());
}

void QtBackend::RaiseNative(HWND hwnd, bool activate) {
  NativeWindow* w = Find(hwnd);
  if (!w || !w->isVisible()) return;
  w->raise();
  if (activate) w->activateWindow();
}

void QtBackend::SetNativeShape(HWND hwnd, const gdi::Region* region) {
  NativeWindow* w = Find(hwnd);
  if (!w) return;
  if (!region) {
    w->SetShape(std::nullopt);
    return;
  }
  QRegion mask;
  std::vector<QRect> rects;
  for (const RECT& r : region->Rects()) rects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
  mask.setRects(rects.data(), static_cast<int>(rects.size()));
  w->SetShape(mask);
}

void QtBackend::Present(HWND hwnd, const gdi::Surface& pixels, const RECT& dirty) {
  if (NativeWindow* w = Find(hwnd)) w->Present(pixels, dirty);
}

void QtBackend::StartSystemMove(HWND hwnd) {
  if (NativeWindow* w = Find(hwnd)) w->StartMove();
}

void QtBackend::SyncControl(HWND top, HWND control, const NativeControlState& state) {
  if (NativeWindow* w = Find(top)) controls_.Sync(w, w->ClientOffset(), control, state);
}

void QtBackend::DestroyControl(HWND control) { controls_.Destroy(control); }

namespace {

bool SameCursor(const Cursor& a, const Cursor& b) {
  return a.kind == b.kind && a.hotspot.x == b.hotspot.x && a.hotspot.y == b.hotspot.y &&
         a.image.width == b.image.width && a.image.height == b.image.height && a.image.argb == b.image.argb;
}

}  // namespace

const QtBackend::KeptCursor& QtBackend::CursorFor(const Cursor& cursor) {
  std::size_t hash = static_cast<std::size_t>(cursor.kind) * 1000003u + static_cast<std::size_t>(cursor.hotspot.x) * 131u +
                     static_cast<std::size_t>(cursor.hotspot.y);
  for (std::uint32_t p : cursor.image.argb) hash = hash * 1099511628211ull ^ p;
  // An animated pointer goes round the same few pictures: each is made into a cursor of the
  // server's once, and later steps only choose it.
  auto found = cursors_.find(hash);
  if (found != cursors_.end() && SameCursor(found->second.source, cursor)) return found->second;
  if (cursors_.size() >= kCursorsKept) {
    for (auto& [key, kept] : cursors_) x11::FreeCursor(kept.picture);
    cursors_.clear();
  }
  KeptCursor made{cursor, QCursor(), 0};
  switch (cursor.kind) {
    case Cursor::Kind::Hidden: made.shown = QCursor(Qt::BlankCursor); break;
    case Cursor::Kind::Arrow: made.shown = QCursor(Qt::ArrowCursor); break;
    case Cursor::Kind::Picture: {
      // Made at the screen's size, its hot spot on the first pixel of its block.
      const QImage picture = Blocks(ToQImage(cursor.image), scale_);
      made.picture = x11::CreateCursor(reinterpret_cast<const std::uint32_t*>(picture.constBits()), picture.width(),
                                       picture.height(), cursor.hotspot.x * scale_, cursor.hotspot.y * scale_);
      if (!made.picture) made.shown = QCursor(QPixmap::fromImage(picture), cursor.hotspot.x * scale_, cursor.hotspot.y * scale_);
      break;
    }
  }
  auto& kept = cursors_[hash];
  x11::FreeCursor(kept.picture);
  kept = std::move(made);
  return kept;
}

void QtBackend::ShowCursorOn(NativeWindow* window) {
  const KeptCursor& cursor = CursorFor(cursor_);
  if (cursor.picture) {
    // Qt must not hold a cursor of its own for the window, or it would put that one back.
    if (window->testAttribute(Qt::WA_SetCursor)) window->unsetCursor();
    x11::DefineCursor(static_cast<unsigned long>(window->winId()), cursor.picture);
  } else {
    window->setCursor(cursor.shown);
  }
}

void QtBackend::SetCursor(const Cursor& cursor) {
  // The shape belongs to the window under the pointer, as on the classic platform; away from
  // the program's windows it is only remembered, to be shown when the pointer comes in.
  if (SameCursor(cursor, cursor_) && shownOn_ == hovered_) return;
  cursor_ = cursor;
  shownOn_ = hovered_;
  if (hovered_) ShowCursorOn(hovered_);
}

void QtBackend::PointerEntered(NativeWindow* window) { hovered_ = window; }

void QtBackend::PointerLeft(NativeWindow* window) {
  if (hovered_ == window) hovered_ = nullptr;
}

void QtBackend::WindowActivated(NativeWindow* window) { controls_.WindowActivated(window); }

namespace {

// The program's pixel a screen pixel lies in.
POINT ProgramPixel(int x, int y, int scale) {
  return POINT{static_cast<LONG>(std::floor(static_cast<double>(x) / scale)),
               static_cast<LONG>(std::floor(static_cast<double>(y) / scale))};
}

}  // namespace

POINT QtBackend::PointOf(const QMouseEvent& e) {
  const QPointF global = e.globalPosition();
  const POINT rounded{static_cast<LONG>(std::lround(global.x())), static_cast<LONG>(std::lround(global.y()))};
  if (scale_ == 1) return rounded;
  // Qt rounds the screen pixel to the nearest of the program's pixels, which is the next
  // one for the right and lower halves of every block. The server still knows the screen
  // pixel: taken when it is the place Qt reported (the pointer has not gone on since), the
  // program's pixel is the one the pointer is in, as the pixels are shown.
  if (const auto native = x11::PointerPosition()) {
    if (std::lround(static_cast<double>(native->first) / scale_) == rounded.x &&
        std::lround(static_cast<double>(native->second) / scale_) == rounded.y) {
      return ProgramPixel(native->first, native->second, scale_);
    }
  }
  return rounded;
}

POINT QtBackend::CursorPos() {
  if (scale_ > 1) {
    if (const auto p = x11::PointerPosition()) return ProgramPixel(p->first, p->second, scale_);
  }
  const QPoint p = QCursor::pos();
  return POINT{p.x(), p.y()};
}

std::vector<std::pair<int, COLORREF>> QtBackend::SystemColors() {
  // The dialogs' own drawing takes the theme's colours, so that it sits well with the
  // native widgets over it.
  const QPalette palette = QApplication::palette();
  const auto ref = [](const QColor& c) { return RGB(c.red(), c.green(), c.blue()); };
  return {{COLOR_BTNFACE, ref(palette.color(QPalette::Window))},
          {COLOR_BTNTEXT, ref(palette.color(QPalette::WindowText))},
          {COLOR_WINDOW, ref(palette.color(QPalette::Base))},
          {COLOR_WINDOWTEXT, ref(palette.color(QPalette::Text))},
          {COLOR_HIGHLIGHT, ref(palette.color(QPalette::Highlight))},
          {COLOR_HIGHLIGHTTEXT, ref(palette.color(QPalette::HighlightedText))},
          {COLOR_BTNHIGHLIGHT, ref(palette.color(QPalette::Light))},
          {COLOR_BTNSHADOW, ref(palette.color(QPalette::Mid))},
          {COLOR_3DDKSHADOW, ref(palette.color(QPalette::Shadow))},
          {COLOR_GRAYTEXT, ref(palette.color(QPalette::Disabled, QPalette::WindowText))}};
}

bool QtBackend::TrayAdd(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) {
  const auto key = std::make_pair(hwnd, id);
  if (tray_.count(key)) return false;
  auto tray = std::make_unique<QSystemTrayIcon>();
  tray->setIcon(ToQIcon(icon, scale_));
  tray->setToolTip(QString::fromStdString(tip));
  QObject::connect(tray.get(), &QSystemTrayIcon::activated, [hwnd, id](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) user::DeliverTrayEvent(hwnd, id, WM_LBUTTONDOWN);
    if (why == QSystemTrayIcon::Context) user::DeliverTrayEvent(hwnd, id, WM_RBUTTONDOWN);
  });
  tray->show();
  tray_[key] = std::move(tray);
  return true;
}

bool QtBackend::TrayModify(HWND hwnd, UINT id, const std::vector<Image>& icon, const std::string& tip) {
  auto it = tray_.find(std::make_pair(hwnd, id));
  if (it == tray_.end()) return false;
  it->second->setIcon(ToQIcon(icon, scale_));
  it->second->setToolTip(QString::fromStdString(tip));
  return true;
}

bool QtBackend::TrayDelete(HWND hwnd, UINT id) {
  auto it = tray_.find(std::make_pair(hwnd, id));
  if (it == tray_.end()) return false;
  it->second->hide();
  tray_.erase(it);
  return true;
}

namespace {

void FillMenu(QMenu& menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::Separator: menu.addSeparator(); break;
      case MenuEntry::Kind::Submenu: {
        QMenu* sub = menu.addMenu(QString::fromStdString(e.text));
        FillMenu(*sub, e.children);
        sub->setEnabled(!e.grayed);
        break;
      }
      case MenuEntry::Kind::Command: {
        QAction* a = menu.addAction(QString::fromStdString(e.text));
        a->setData(e.id);
        a->setEnabled(!e.grayed);
        break;
      }
    }
  }
}

}  // namespace

void QtBackend::ReturnFocusTo(HWND owner) {
  // As on the classic platform, the owner of a modal box is active again once it closes;
  // not every window manager gives the focus back by itself.
  NativeWindow* w = Find(owner);
  if (w && w->isVisible()) w->activateWindow();
}

UINT QtBackend::TrackPopupMenu(const std::vector<MenuEntry>& entries, POINT at, HWND) {
  QMenu menu;
  FillMenu(menu, entries);
  UINT chosen = 0;
  QObject::connect(&menu, &QMenu::triggered, [&chosen](QAction* a) { chosen = a->data().toUInt(); });
  menu.popup(QPoint(at.x, at.y));
  // Modal like the classic menu: the program's messages keep flowing meanwhile.
  if (!RunModalLoop([&menu] { return menu.isVisible(); })) {
    menu.close();
    chosen = 0;
  }
  QCoreApplication::processEvents();
  return chosen;
}

std::optional<std::string> QtBackend::FileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(Find(request.owner), QString::fromStdString(request.title));
  dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!request.initialName.empty()) dialog.selectFile(QString::fromStdString(request.initialName));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.open();
  if (!RunModalLoop([&dialog] { return dialog.isVisible(); })) dialog.reject();
  ReturnFocusTo(request.owner);
  if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

int QtBackend::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  QMessageBox box((type & MB_ICONEXCLAMATION) ? QMessageBox::Warning : QMessageBox::NoIcon,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok, Find(owner));
  box.setWindowModality(Qt::ApplicationModal);
  box.open();
  if (!RunModalLoop([&box] { return box.isVisible(); })) box.close();
  ReturnFocusTo(owner);
  return IDOK;
}

bool QtBackend::ShowHelp(const HelpRequest& request) {
  if (request.command == HELP_QUIT) {
    helpViewers_.erase(request.file);
    return true;
  }
  auto& viewer = helpViewers_[request.file];
  if (!viewer) viewer = std::make_unique<HelpViewer>(request.file);
  if (request.command == HELP_CONTEXT) {
    viewer->ShowTopic(static_cast<std::int32_t>(request.data));
  } else {
    viewer->ShowContents();
  }
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return true;
}

bool QtBackend::OpenUrl(const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

bool QtBackend::PlaySound(const std::string& path, bool loop) { return sound_.Play(path, loop); }

void QtBackend::StopSound() { sound_.Stop(); }

}  // namespace platform
