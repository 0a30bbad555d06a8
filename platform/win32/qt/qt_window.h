// The Qt widgets behind one top-level window: the main window with its menu
// bar, the client area that shows the window's pixels and turns input into
// messages, and the status bar. Only the Qt backend includes this.
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QSize>
#include <QWidget>

#include <vector>

#include "platform/win32/windows.h"

// The client area: the window's pixels at their own size, top left.
class QtClientWidget : public QWidget {
 public:
  QtClientWidget(HWND hwnd, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void PostMouse(unsigned message, QMouseEvent* event);
  void PostKey(QKeyEvent* event, bool down);
  HWND hwnd_;
};

// A status bar: its parts side by side with their texts.
class QtStatusBarWidget : public QWidget {
 public:
  QtStatusBarWidget(HWND hwnd, QWidget* parent);
  void Sync();
  HWND handle() const { return hwnd_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  HWND hwnd_;
};

// One menu action and where its item lives.
struct QtMenuAction {
  QAction* action;
  HMENU menu;
  int position;
};

class QtMainWindow : public QMainWindow {
 public:
  explicit QtMainWindow(HWND hwnd);
  HWND handle() const { return hwnd_; }
  QtClientWidget* client() const { return client_; }
  // Title, visibility, enabled state and client size from the window code.
  void SyncWindow();
  // Sizes the Qt window so that the client widget is exactly the window
  // code's client rectangle, below the menu bar at the height Qt gives it.
  void ApplyClientSize();
  // Rebuilds the menu bar when the window's menu changed, else updates the
  // texts and check marks of its actions.
  void SyncMenu();
  void AddStatusBar(QtStatusBarWidget* bar) { status_bars_.push_back(bar); }
  void RemoveStatusBar(HWND hwnd);
  QtStatusBarWidget* StatusBar(HWND hwnd) const;
  const std::vector<QtMenuAction>& actions() const { return actions_; }
  HMENU built_menu() const { return built_menu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A size the window code did not ask for is the user's (or the window
  // manager's) and goes back to it; a late answer to an earlier request is
  // undone.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenu(QWidget* into, HMENU menu, bool top);
  // The menu bar's height at this window width, as Qt's layout gives it.
  int MenuBarHeight(int width) const;
  // Places the menu bar and client now, also while the window is hidden.
  void LayOutNow();
  HWND hwnd_;
  QtClientWidget* client_;
  // True while the window code's geometry is being applied.
  bool applying_ = false;
  // Window sizes asked of the window system that it has not confirmed yet,
  // oldest first. Window systems such as X answer resizes asynchronously,
  // so the answer to an earlier request can arrive after a later one.
  std::vector<QSize> requests_;
  HMENU built_menu_ = nullptr;
  std::vector<QtMenuAction> actions_;
  std::vector<QtStatusBarWidget*> status_bars_;
};

// The Qt window of a window handle, or null (for tests and the backend).
QtMainWindow* QtWindowOf(HWND hwnd);
