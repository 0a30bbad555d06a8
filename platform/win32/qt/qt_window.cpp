// The Qt widgets of a top-level window: pixels, input as messages, the menu
// bar built from the window's menu, and the status bar's parts.
#include "platform/win32/qt/qt_window.h"

#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QIcon>
#include <QResizeEvent>

#include <algorithm>

#include "platform/win32/backend.h"
#include "platform/win32/menu.h"
#include "platform/win32/messages.h"
#include "platform/win32/resources.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace {

int VirtualKeyOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    default: return 0;
  }
}

WPARAM ButtonsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM w = 0;
  if (buttons & Qt::LeftButton) w |= MK_LBUTTON;
  if (buttons & Qt::RightButton) w |= MK_RBUTTON;
  if (mods & Qt::ShiftModifier) w |= MK_SHIFT;
  if (mods & Qt::ControlModifier) w |= MK_CONTROL;
  return w;
}

MENUITEMINFOA ItemInfo(HMENU menu, int position, char* text, UINT size) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  mii.dwTypeData = text;
  mii.cch = size;
  text[0] = '\0';
  GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &mii);
  return mii;
}

void ApplyState(QAction* action, UINT state) {
  bool checked = (state & MFS_CHECKED) != 0;
  // Only checked items are checkable, so unchecked ones show no box, as on
  // Windows.
  action->setCheckable(checked);
  action->setChecked(checked);
  action->setEnabled((state & MFS_GRAYED) == 0);
}

}  // namespace

// [SECTION] Client area

QtClientWidget::QtClientWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtClientWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  ClientPixels px{};
  if (!GetClientPixels(hwnd_, &px) || px.width <= 0 || px.height <= 0) return;
  // Shown at its own size: the engine decides the picture's size.
  QImage image(reinterpret_cast<const uchar*>(px.data), px.width, px.height, px.pitch * 4, QImage::Format_RGB32);
  painter.drawImage(0, 0, image);
}

void QtClientWidget::PostMouse(unsigned message, QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  PostMessageA(hwnd_, message, ButtonsOf(event->buttons(), event->modifiers()),
               MAKELPARAM(static_cast<WORD>(std::max(0, p.x())), static_cast<WORD>(std::max(0, p.y()))));
}

void QtClientWidget::mouseMoveEvent(QMouseEvent* event) { PostMouse(WM_MOUSEMOVE, event); }

void QtClientWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) PostMouse(WM_LBUTTONDOWN, event);
  if (event->button() == Qt::RightButton) PostMouse(WM_RBUTTONDOWN, event);
}

void QtClientWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) PostMouse(WM_LBUTTONUP, event);
  if (event->button() == Qt::RightButton) PostMouse(WM_RBUTTONUP, event);
}

void QtClientWidget::PostKey(QKeyEvent* event, bool down) {
  int vk = VirtualKeyOf(event->key());
  if (!vk) return;
  bool alt = (event->modifiers() & Qt::AltModifier) != 0;
  bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  // With Alt (and without Ctrl) keys are system keys, as on Windows.
  bool system = (alt && !ctrl) || (vk == VK_MENU && down);
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1;
  if (alt) lp |= KF_ALTDOWN_BIT;
  if (event->isAutoRepeat()) lp |= KF_REPEAT_BIT;
  if (!down) lp |= KF_REPEAT_BIT | KF_UP_BIT;
  PostMessageA(hwnd_, message, static_cast<WPARAM>(vk), lp);
}

void QtClientWidget::keyPressEvent(QKeyEvent* event) { PostKey(event, true); }
void QtClientWidget::keyReleaseEvent(QKeyEvent* event) { PostKey(event, false); }

// [SECTION] Status bar

QtStatusBarWidget::QtStatusBarWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) { Sync(); }

void QtStatusBarWidget::Sync() {
  // The bar's rectangle in its parent's client pixels.
  RECT bar{};
  GetWindowRect(hwnd_, &bar);
  POINT origin{0, 0};
  ClientToScreen(GetParent(hwnd_), &origin);
  setGeometry(bar.left - origin.x, bar.top - origin.y, bar.right - bar.left, bar.bottom - bar.top);
  setVisible(IsWindowVisible(hwnd_) != FALSE);
  update();
}

void QtStatusBarWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  int left = 0;
  for (const StatusBarPart& part : StatusBarParts(hwnd_)) {
    int right = part.right < 0 ? width() : std::min(part.right, width());
    if (right <= left) continue;
    QRect cell(left, 2, right - left - 2, height() - 3);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(cell);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(cell.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromLocal8Bit(part.text));
    left = right;
  }
}

// [SECTION] Main window

QtMainWindow::QtMainWindow(HWND hwnd) : hwnd_(hwnd), client_(new QtClientWidget(hwnd, this)) {
  setCentralWidget(client_);
  QIcon icon;
  for (int index : {GCLP_HICON, GCLP_HICONSM})
    if (const IconResource* r = IconOf(reinterpret_cast<HICON>(GetClassLongPtrA(hwnd, index))))
      if (r->width > 0 && r->argb.size() >= static_cast<size_t>(r->width) * static_cast<size_t>(r->height))
        icon.addPixmap(QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(r->argb.data()), r->width, r->height,
                                                 r->width * 4, QImage::Format_ARGB32)
                                              .copy()));
  if (!icon.isNull()) setWindowIcon(icon);
  SyncMenu();
  SyncWindow();
}

void QtMainWindow::SyncWindow() {
  char title[512];
  GetWindowTextA(hwnd_, title, sizeof(title));
  setWindowTitle(QString::fromLocal8Bit(title));
  ApplyClientSize();
  RECT window{};
  GetWindowRect(hwnd_, &window);
  applying_ = true;
  move(window.left, window.top);
  applying_ = false;
  // Disabled (a modal box or dialog runs): the menu bar and client take no
  // input. The window itself stays enabled, or Qt would disable the very
  // dialog that it owns.
  bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  menuBar()->setEnabled(enabled);
  client_->setEnabled(enabled);
  bool visible = IsWindowVisible(hwnd_) != FALSE;
  if (visible != isVisible()) {
    applying_ = true;
    setVisible(visible);
    applying_ = false;
    // Showing may resize (a first show adjusts the size); the window code's
    // size is put back.
    ApplyClientSize();
    // Keys go to the client area, where they become key messages.
    if (visible) client_->setFocus();
  }
  for (QtStatusBarWidget* s : status_bars_) s->Sync();
}

int QtMainWindow::MenuBarHeight(int width) const {
  QMenuBar* bar = menuBar();
  if (bar->isHidden()) return 0;
  // What QLayout does for a menu bar: its height for the width, kept
  // within its own limits. It need not be the 20 pixels the window code
  // counts in its frame; only the client has to match.
  int height = bar->heightForWidth(std::max(width, bar->minimumWidth()));
  if (height < 0) height = bar->sizeHint().height();
  int least = std::max(bar->minimumHeight(), bar->minimumSizeHint().height());
  return std::clamp(height, least, std::max(least, bar->maximumHeight()));
}

void QtMainWindow::LayOutNow() {
  // A hidden window's layout would wait for the show; an invalidated one
  // activates at once.
  if (QLayout* l = layout()) {
    l->invalidate();
    l->activate();
  }
}

void QtMainWindow::ApplyClientSize() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const QSize wanted(static_cast<int>(client.right), static_cast<int>(client.bottom));
  applying_ = true;
  // No minimum sizes are set for this: a minimum left on the client would
  // become the window's and hold back the next, smaller size.
  QSize outer(wanted.width(), wanted.height() + MenuBarHeight(wanted.width()));
  // Twice at most: should the layout give the menu bar another height than
  // expected, the second pass corrects the window by the difference.
  for (int pass = 0; pass < 2; ++pass) {
    if (size() != outer) {
      bool asks_window_system = isVisible();
      resize(outer);
      if (asks_window_system && (requests_.empty() || requests_.back() != size())) requests_.push_back(size());
    }
    LayOutNow();
    if (client_->size() == wanted) break;
    outer += wanted - client_->size();
  }
  applying_ = false;
}

void QtMainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (applying_) return;
  auto it = std::find(requests_.begin(), requests_.end(), event->size());
  if (it != requests_.end()) {
    bool latest = it + 1 == requests_.end();
    requests_.erase(requests_.begin(), it + 1);
    // An earlier request answered after a later one: the latest geometry of
    // the window code is the one to show.
    if (!latest) ApplyClientSize();
    return;
  }
  requests_.clear();
  NotifyClientResized(hwnd_, client_->width(), client_->height());
}

void QtMainWindow::SyncMenu() {
  HMENU menu = GetMenu(hwnd_);
  if (menu != built_menu_) {
    menuBar()->clear();
    actions_.clear();
    built_menu_ = menu;
    if (menu) BuildMenu(menuBar(), menu, true);
    menuBar()->setVisible(menu != nullptr);
    // Another menu bar, another height above the client.
    ApplyClientSize();
    return;
  }
  char text[256];
  for (QtMenuAction& a : actions_) {
    MENUITEMINFOA mii = ItemInfo(a.menu, a.position, text, sizeof(text));
    a.action->setText(QString::fromLocal8Bit(text));
    ApplyState(a.action, mii.fState);
  }
}

void QtMainWindow::BuildMenu(QWidget* into, HMENU menu, bool top) {
  int count = GetMenuItemCount(menu);
  char text[256];
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA mii = ItemInfo(menu, i, text, sizeof(text));
    QString label = QString::fromLocal8Bit(text);
    if (mii.fType & MFT_SEPARATOR) {
      if (auto* m = qobject_cast<QMenu*>(into)) m->addSeparator();
      continue;
    }
    if (mii.hSubMenu) {
      QMenu* sub = top ? static_cast<QMenuBar*>(into)->addMenu(label) : static_cast<QMenu*>(into)->addMenu(label);
      HMENU popup = mii.hSubMenu;
      HMENU bar = built_menu_;
      HWND hwnd = hwnd_;
      // Opening a menu sends WM_INITMENU first (from the bar's titles), so
      // the window procedure sets the check marks before the menu shows.
      QObject::connect(sub, &QMenu::aboutToShow, sub, [hwnd, bar, popup, i, top] {
        if (top) SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(i, 0));
        SendMessageA(hwnd, WM_ENTERIDLE, MSGF_MENU, 0);
      });
      BuildMenu(sub, popup, false);
      continue;
    }
    QAction* action = top ? static_cast<QMenuBar*>(into)->addAction(label) : static_cast<QMenu*>(into)->addAction(label);
    action->setData(mii.wID);
    ApplyState(action, mii.fState);
    HWND hwnd = hwnd_;
    UINT id = mii.wID;
    QObject::connect(action, &QAction::triggered, action, [this, hwnd, id] {
      PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      // Qt flipped the check mark itself; the window code decides it.
      SyncMenu();
    });
    actions_.push_back(QtMenuAction{action, menu, i});
  }
}

void QtMainWindow::RemoveStatusBar(HWND hwnd) {
  for (auto it = status_bars_.begin(); it != status_bars_.end(); ++it)
    if ((*it)->handle() == hwnd) {
      delete *it;
      status_bars_.erase(it);
      return;
    }
}

QtStatusBarWidget* QtMainWindow::StatusBar(HWND hwnd) const {
  for (QtStatusBarWidget* s : status_bars_)
    if (s->handle() == hwnd) return s;
  return nullptr;
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  // The window procedure decides; DefWindowProc's WM_CLOSE destroys.
  event->ignore();
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}
