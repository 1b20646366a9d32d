#include "platform/backend/qt/native_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "platform/backend/qt/keyboard.h"
#include "platform/user/native.h"

namespace platform {

namespace {

using Kind = NativeControlState::Kind;

// The window layer's texts mark the mnemonic with '&' and write a literal '&' as "&&". A
// label has no mnemonic of its own (the window layer handles the keys), so the marks go.
QString WithoutMnemonic(const std::string& text) {
  const QString marked = QString::fromStdString(text);
  QString shown;
  shown.reserve(marked.size());
  for (qsizetype i = 0; i < marked.size(); ++i) {
    if (marked[i] == u'&' && i + 1 < marked.size()) ++i;
    shown += marked[i];
  }
  return shown;
}

// Watches the widget that takes a control's focus. Its keys go to the window layer, which
// runs the dialog's keyboard, and never to Qt's own handling (moving the focus on Tab,
// toggling on Space, choosing with arrows); a focus the user gave with the mouse is reported.
class ControlEvents : public QObject {
 public:
  ControlEvents(HWND control, QObject* parent) : QObject(parent), control_(control) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::ShortcutOverride: {
        // Accepted, a key reaches the widget as a key press instead of firing a shortcut.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!VirtualKeyFor(key->key())) return false;
        key->accept();
        return true;
      }
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        ForwardKey(*static_cast<QKeyEvent*>(event));
        return true;
      case QEvent::FocusIn:
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) user::NativeControlFocused(control_);
        return false;
      case QEvent::FocusOut:
        if (FocusLeavesWindow(*static_cast<QWidget*>(watched), *static_cast<QFocusEvent*>(event))) {
          user::ReleaseKeys();
        }
        return false;
      default:
        return false;
    }
  }

 private:
  HWND control_;
};

// A check box or radio button that takes clicks anywhere in its rectangle, as the classic
// ones do; Qt's take them on the mark and the text only.
template <class Button>
class WholeRectButton : public Button {
 public:
  using Button::Button;

 protected:
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// The tabs of a tab control. The wheel over them changes nothing, as over the classic tab
// control; Qt's tab bar would switch tabs behind the window layer's back.
class TabRow : public QTabBar {
 public:
  using QTabBar::QTabBar;

 protected:
  void wheelEvent(QWheelEvent* e) override { e->ignore(); }
};

// A tab control: the tabs along its top, the frame of its pages below them. The frame is
// drawn but never filled: what lies on a page is either a sibling widget above this one or
// drawn into the dialog's pixels beneath (pictures, owner-drawn buttons), and must show.
class TabControl : public QWidget {
 public:
  explicit TabControl(QWidget* parent) : QWidget(parent), tabs_(new TabRow(this)) {
    tabs_->setDrawBase(false);  // the frame below joins the tabs instead
    tabs_->setExpanding(false);
    setFocusProxy(tabs_);
    connect(tabs_, &QTabBar::currentChanged, this, [this] { update(); });
  }

  QTabBar& Tabs() { return *tabs_; }

  // The tabs' height follows their font; the frame follows the chosen tab.
  void Arrange() {
    const QRect row(0, 0, width(), std::min(height(), tabs_->sizeHint().height()));
    if (tabs_->geometry() != row) tabs_->setGeometry(row);
    update();
  }

 protected:
  void resizeEvent(QResizeEvent*) override { Arrange(); }

  void paintEvent(QPaintEvent*) override {
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = tabs_->shape();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    const int top = std::max(0, tabs_->height() - overlap);
    frame.rect = QRect(0, top, width(), height() - top);
    frame.tabBarSize = tabs_->size();
    frame.tabBarRect = tabs_->geometry();
    if (tabs_->currentIndex() >= 0) {
      frame.selectedTabRect = tabs_->tabRect(tabs_->currentIndex()).translated(tabs_->pos());
    }
    const int edge = std::max(1, frame.lineWidth);
    const QRect inside = frame.rect.adjusted(edge, edge, -edge, -edge);
    QPainter painter(this);
    painter.setClipRegion(QRegion(frame.rect).subtracted(QRegion(inside)));
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
  }

 private:
  TabRow* tabs_;
};

void ConnectSlider(QSlider* slider, HWND control) {
  QObject::connect(slider, &QSlider::sliderMoved, [control](int position) {
    user::NativeSliderMoved(control, position, false);
  });
  QObject::connect(slider, &QSlider::sliderReleased, [slider, control] {
    user::NativeSliderMoved(control, slider->sliderPosition(), true);
  });
  // Clicks on the groove and the wheel step the slider at once. The signal comes before
  // the value changes, with the slider's position already where the action takes it. Moves
  // of a drag are sliderMoved's.
  QObject::connect(slider, &QSlider::actionTriggered, [slider, control](int action) {
    if (action == QAbstractSlider::SliderNoAction) return;
    if (action == QAbstractSlider::SliderMove && slider->isSliderDown()) return;
    user::NativeSliderMoved(control, slider->sliderPosition(), true);
  });
}

// The widget that takes a control's focus: a tab control's tab bar, else the widget itself.
QWidget* FocusTarget(QWidget* widget) { return widget->focusProxy() ? widget->focusProxy() : widget; }

void Refill(QComboBox& list, const std::vector<std::string>& items) {
  list.clear();
  for (const std::string& item : items) list.addItem(QString::fromStdString(item));
}

void Refill(QTabBar& tabs, const std::vector<std::string>& items) {
  while (tabs.count() > static_cast<int>(items.size())) tabs.removeTab(tabs.count() - 1);
  for (std::size_t i = 0; i < items.size(); ++i) {
    // Tab texts keep no mnemonic: Qt would make a shortcut of it, and the window layer
    // handles the keys. "&&" is how the tab bar shows a literal '&'.
    const QString text = WithoutMnemonic(items[i]).replace(u'&', QStringLiteral("&&"));
    if (static_cast<int>(i) < tabs.count()) {
      tabs.setTabText(static_cast<int>(i), text);
    } else {
      tabs.addTab(text);
    }
  }
}

// A button's text keeps its '&' (Qt underlines the same mnemonic), but not the shortcut Qt
// makes of it: the mnemonic is the window layer's to act on.
void SetButtonText(QAbstractButton& button, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (button.text() == shown) return;
  button.setText(shown);
  button.setShortcut(QKeySequence());
}

Qt::Alignment LabelAlignment(int alignment) {
  switch (alignment) {
    case 1: return Qt::AlignHCenter | Qt::AlignTop;
    case 2: return Qt::AlignRight | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignTop;
  }
}

// A drop-down list whose open list, however it closes (a choice, Escape, a click
// elsewhere), tells the window layer that it closed: the choice, or the unchanged one.
class DropDownList : public QComboBox {
 public:
  DropDownList(QWidget* parent, HWND control) : QComboBox(parent), control_(control) {}

  void hidePopup() override {
    const bool wasOpen = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen && !signalsBlocked()) user::NativeControlSelected(control_, currentIndex());
  }

 private:
  HWND control_;
};

}  // namespace

NativeControls::~NativeControls() {
  // Widgets whose window went first are gone already; the pointers know.
  for (auto& [control, c] : controls_) delete c.widget;
}

QWidget* NativeControls::Create(QWidget* window, HWND control, Kind kind) {
  QWidget* widget = nullptr;
  switch (kind) {
    case Kind::PushButton: {
      auto* button = new QPushButton(window);
      button->setAutoDefault(false);  // Enter is the window layer's to handle
      widget = button;
      break;
    }
    case Kind::CheckBox: widget = new WholeRectButton<QCheckBox>(window); break;
    case Kind::RadioButton: {
      auto* radio = new WholeRectButton<QRadioButton>(window);
      radio->setAutoExclusive(false);  // the window layer keeps the group
      widget = radio;
      break;
    }
    case Kind::Label: {
      auto* label = new QLabel(window);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(false);
      widget = label;
      break;
    }
    case Kind::TabControl: {
      auto* tabs = new TabControl(window);
      QObject::connect(&tabs->Tabs(), &QTabBar::tabBarClicked, [control](int index) {
        if (index >= 0) user::NativeControlSelected(control, index);
      });
      // The page's controls are made before or after it; they stay above its frame.
      tabs->lower();
      widget = tabs;
      break;
    }
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, window);
      slider->setTickInterval(1);
      ConnectSlider(slider, control);
      widget = slider;
      break;
    }
    case Kind::DropDownList: {
      auto* list = new DropDownList(window, control);
      list->setEditable(false);
      QObject::connect(list, &QComboBox::activated, [control](int index) {
        user::NativeControlSelected(control, index);
      });
      widget = list;
      break;
    }
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    QObject::connect(button, &QAbstractButton::clicked, [control] { user::NativeControlClicked(control); });
  }
  // The widgets are see-through: the window layer leaves their places to the dialog's
  // background, drawn in the theme's colour.
  // Qt's focus moves only with the mouse; Tab is the window layer's.
  QWidget* focusTarget = FocusTarget(widget);
  if (focusTarget->focusPolicy() != Qt::NoFocus) focusTarget->setFocusPolicy(Qt::ClickFocus);
  focusTarget->installEventFilter(new ControlEvents(control, focusTarget));
  return widget;
}

void NativeControls::Sync(QWidget* window, QPoint clientOffset, HWND control, const NativeControlState& state) {
  auto it = controls_.find(control);
  if (it != controls_.end() &&
      (!it->second.widget || it->second.window != window || it->second.state.kind != state.kind)) {
    Destroy(control);
    it = controls_.end();
  }
  const bool fresh = it == controls_.end();
  if (fresh) it = controls_.emplace(control, Control{Create(window, control, state.kind), window, clientOffset, state}).first;
  Control& c = it->second;
  const bool itemsChanged = fresh || c.state.items != state.items;
  const bool fontChanged = fresh || c.state.fontFamily != state.fontFamily || c.state.fontPixels != state.fontPixels;
  // The list opens and closes when the window layer's state turns (F4, Alt+Down); a list the
  // user opened with the mouse stays open through syncs that do not mention it.
  const bool droppedTurned = !fresh && c.state.dropped != state.dropped;
  c.state = state;
  c.clientOffset = clientOffset;
  QWidget* widget = c.widget;

  // A sync shows the window layer's state; nothing of it may come back as the user's doing.
  const QSignalBlocker blockWidget(widget);
  if (fontChanged) {
    QFont font = state.fontFamily.empty() ? QApplication::font() : QFont(QString::fromStdString(state.fontFamily));
    if (state.fontPixels > 0) font.setPixelSize(state.fontPixels);
    widget->setFont(font);
  }
  switch (state.kind) {
    case Kind::PushButton: {
      auto* button = static_cast<QPushButton*>(widget);
      SetButtonText(*button, state.text);
      button->setDefault(state.defaultButton);
      break;
    }
    case Kind::CheckBox:
    case Kind::RadioButton: {
      auto* button = static_cast<QAbstractButton*>(widget);
      SetButtonText(*button, state.text);
      button->setChecked(state.checked);
      break;
    }
    case Kind::Label: {
      auto* label = static_cast<QLabel*>(widget);
      const QString shown = WithoutMnemonic(state.text);
      if (label->text() != shown) label->setText(shown);
      label->setAlignment(LabelAlignment(state.alignment));
      break;
    }
    case Kind::TabControl: {
      auto* tabs = static_cast<TabControl*>(widget);
      const QSignalBlocker blockTabs(&tabs->Tabs());
      if (itemsChanged) Refill(tabs->Tabs(), state.items);
      if (state.selection >= 0 && state.selection < tabs->Tabs().count()) tabs->Tabs().setCurrentIndex(state.selection);
      tabs->Arrange();
      break;
    }
    case Kind::Slider: {
      auto* slider = static_cast<QSlider*>(widget);
      slider->setRange(state.rangeMin, state.rangeMax);
      slider->setPageStep(std::max(1, state.pageSize));
      const QSlider::TickPosition ticks = state.ticks ? QSlider::TicksBelow : QSlider::NoTicks;
      if (slider->tickPosition() != ticks) slider->setTickPosition(ticks);  // it repaints even unchanged
      // During a drag the thumb follows the pointer; the window layer hears the end of it.
      if (!slider->isSliderDown()) slider->setValue(state.position);
      break;
    }
    case Kind::DropDownList: {
      auto* list = static_cast<QComboBox*>(widget);
      if (itemsChanged) Refill(*list, state.items);
      list->setCurrentIndex(state.selection < list->count() ? state.selection : -1);
      if (droppedTurned && state.dropped && state.visible) list->showPopup();
      if (droppedTurned && !state.dropped) list->hidePopup();
      break;
    }
  }
  // A widget about to lose its focus hands it to its window first: left to Qt, the focus of
  // a hidden or disabled widget would move along Qt's own chain.
  if (widget->hasFocus() && !(state.focused && state.visible && state.enabled)) window->setFocus(Qt::OtherFocusReason);
  widget->setEnabled(state.enabled);
  Place(c);
  if (widget->isHidden() == state.visible) widget->setVisible(state.visible);
  Focus(c);
}

void NativeControls::Place(const Control& c) {
  const RECT& r = c.state.rect;
  QRect area(r.left - c.clientOffset.x(), r.top - c.clientOffset.y(), r.right - r.left, r.bottom - r.top);
  // A drop-down list's rectangle in a dialog template is as tall as its open list; the
  // closed box is as tall as the theme makes it.
  if (c.state.kind == Kind::DropDownList) area.setHeight(c.widget->sizeHint().height());
  if (c.widget->geometry() != area) c.widget->setGeometry(area);
}

void NativeControls::Focus(const Control& c) {
  const NativeControlState& s = c.state;
  if (!s.focused || !s.visible || !s.enabled || c.widget->hasFocus()) return;
  // Which window has the keyboard is the window manager's choice; in an inactive window
  // the focus waits for WindowActivated.
  if (c.widget->window()->isActiveWindow()) c.widget->setFocus(Qt::OtherFocusReason);
}

void NativeControls::Destroy(HWND control) {
  auto it = controls_.find(control);
  if (it == controls_.end()) return;
  if (QWidget* widget = it->second.widget) {
    if (widget->hasFocus()) widget->window()->setFocus(Qt::OtherFocusReason);
    delete widget;
  }
  controls_.erase(it);
}

void NativeControls::DestroyAllOn(const QWidget* window) {
  for (auto it = controls_.begin(); it != controls_.end();) {
    if (it->second.window == window) {
      delete it->second.widget;
      it = controls_.erase(it);
    } else {
      ++it;
    }
  }
}

void NativeControls::MoveAllOn(const QWidget* window, QPoint clientOffset) {
  for (auto& [control, c] : controls_) {
    if (c.window != window || !c.widget) continue;
    c.clientOffset = clientOffset;
    Place(c);
  }
}

void NativeControls::WindowActivated(const QWidget* window) {
  for (auto& [control, c] : controls_) {
    if (c.window == window && c.widget) Focus(c);
  }
}

}  // namespace platform
