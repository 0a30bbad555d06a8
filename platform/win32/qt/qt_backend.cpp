// The Qt backend: the application object, one Qt window per top-level
// window, status bars, dialogs, message boxes and the file dialog, and the
// event pumping behind PeekMessageA and GetMessageA.
#include "platform/win32/qt/qt_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/win32/dialogs.h"
#include "platform/win32/message_box.h"
#include "platform/win32/qt/qt_dialog.h"
#include "platform/win32/qt/qt_window.h"
#include "platform/win32/resources.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"

namespace {

std::map<HWND, QtMainWindow*>& QtWindows() {
  static std::map<HWND, QtMainWindow*> windows;
  return windows;
}

bool IsClass(HWND hwnd, const char* name) {
  char buffer[64];
  GetClassNameA(hwnd, buffer, sizeof(buffer));
  return std::string(buffer) == name;
}

class QtBackend : public Backend {
 public:
  QtBackend() {
    if (!QApplication::instance()) {
      static int argc = 1;
      static char name[] = "vornel";
      static char* argv[] = {name, nullptr};
      app_ = new QApplication(argc, argv);
    }
  }

  ~QtBackend() override {
    for (auto& [hwnd, dialog] : dialogs_) delete dialog;
    for (auto& [hwnd, window] : QtWindows()) delete window;
    QtWindows().clear();
    // Windows destroyed earlier wait for their deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete app_;
  }

  const char* Name() const override { return "qt"; }

  RECT DesktopRect() override {
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = screen ? screen->size() : QSize(1920, 1080);
    return RECT{0, 0, size.width(), size.height()};
  }

  // Top-level windows other than dialogs get a Qt main window; dialogs get
  // a QDialog when they start; status bars live in their parent's client.
  void WindowCreated(HWND hwnd) override {
    if (IsClass(hwnd, "#32770")) return;
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (!(style & WS_CHILD)) {
      QtWindows()[hwnd] = new QtMainWindow(hwnd);
      return;
    }
    if (IsClass(hwnd, STATUSCLASSNAMEA))
      if (QtMainWindow* parent = QtWindowOf(GetParent(hwnd)))
        parent->AddStatusBar(new QtStatusBarWidget(hwnd, parent->client()));
  }

  void WindowDestroyed(HWND hwnd) override {
    auto it = QtWindows().find(hwnd);
    if (it != QtWindows().end()) {
      it->second->hide();
      it->second->deleteLater();
      QtWindows().erase(it);
      return;
    }
    if (QtMainWindow* parent = QtWindowOf(GetParent(hwnd))) parent->RemoveStatusBar(hwnd);
  }

  void WindowChanged(HWND hwnd) override {
    if (QtMainWindow* w = QtWindowOf(hwnd)) {
      w->SyncWindow();
      return;
    }
    if (QtMainWindow* parent = QtWindowOf(GetParent(hwnd)))
      if (QtStatusBarWidget* bar = parent->StatusBar(hwnd)) bar->Sync();
  }

  void MenuChanged(HWND hwnd) override {
    if (QtMainWindow* w = QtWindowOf(hwnd)) w->SyncMenu();
  }

  void StatusBarChanged(HWND hwnd) override { WindowChanged(hwnd); }

  void PixelsChanged(HWND hwnd) override {
    if (QtMainWindow* w = QtWindowOf(hwnd)) w->client()->update();
  }

  void ControlChanged(HWND control) override {
    auto it = dialogs_.find(GetParent(control));
    if (it != dialogs_.end()) it->second->SyncControl(control);
  }

  void DialogStarted(HWND dialog) override {
    auto* d = new QtDialogWindow(dialog, QtWindowOf(GetParent(dialog)));
    dialogs_[dialog] = d;
    d->show();
  }

  void DialogEnded(HWND dialog) override {
    auto it = dialogs_.find(dialog);
    if (it == dialogs_.end()) return;
    it->second->hide();
    it->second->deleteLater();
    dialogs_.erase(it);
  }

  void ProcessEvents() override {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // No exec() loop runs, so deferred deletions are carried out here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  bool WaitForEvents() override {
    bool any_visible = !dialogs_.empty();
    for (auto& [hwnd, window] : QtWindows()) any_visible = any_visible || window->isVisible();
    if (!any_visible) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
  }

  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
    QMessageBox box(QtWindowOf(owner));
    box.setWindowTitle(QString::fromLocal8Bit(caption));
    box.setText(QString::fromLocal8Bit(text));
    switch (type & MB_ICONMASK) {
      case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
      case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
      case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
      case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
      default: break;
    }
    struct Button {
      int id;
      const char* text;
    };
    std::vector<Button> buttons;
    switch (type & MB_TYPEMASK) {
      case MB_OKCANCEL: buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}; break;
      case MB_ABORTRETRYIGNORE: buttons = {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}}; break;
      case MB_YESNOCANCEL: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}}; break;
      case MB_YESNO: buttons = {{IDYES, "&Yes"}, {IDNO, "&No"}}; break;
      case MB_RETRYCANCEL: buttons = {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}}; break;
      default: buttons = {{IDOK, "OK"}}; break;
    }
    std::map<QAbstractButton*, int> ids;
    for (const Button& b : buttons) {
      QPushButton* q = box.addButton(QString::fromUtf8(b.text), QMessageBox::AcceptRole);
      ids[q] = b.id;
      if (b.id == buttons.front().id) box.setDefaultButton(q);
    }
    if (owner) EnableWindow(owner, FALSE);
    box.exec();
    if (owner) EnableWindow(owner, TRUE);
    auto it = ids.find(box.clickedButton());
    // Closing the box is Cancel where it has one, else its only button.
    int answer = it != ids.end() ? it->second : (buttons.size() > 1 ? IDCANCEL : buttons.front().id);
    std::fprintf(stderr, "%s\n", MessageBoxLine(caption, text, answer).c_str());
    std::fflush(stderr);
    return answer;
  }

  bool ShowOpenFileDialog(const OPENFILENAMEA& ofn, std::string* path) override {
    QStringList filters;
    int n = CountFileFilters(ofn.lpstrFilter);
    for (int i = 0; i < n; ++i) {
      FileFilter f = FileFilterAt(ofn.lpstrFilter, i);
      QString patterns = QString::fromLocal8Bit(f.pattern).replace(';', ' ');
      filters << QString::fromLocal8Bit(f.name) + " (" + patterns + ")";
    }
    QString selected = ofn.nFilterIndex >= 1 && static_cast<int>(ofn.nFilterIndex) <= n
                           ? filters[static_cast<int>(ofn.nFilterIndex) - 1]
                           : QString();
    QString dir = ofn.lpstrInitialDir ? QString::fromLocal8Bit(ofn.lpstrInitialDir) : QString();
    if (!dir.isEmpty() && !QFileInfo(dir).isDir()) dir.clear();
    QString title = ofn.lpstrTitle ? QString::fromLocal8Bit(ofn.lpstrTitle) : QStringLiteral("Open");
    QString chosen = QFileDialog::getOpenFileName(QtWindowOf(ofn.hwndOwner), title, dir, filters.join(";;"), &selected);
    if (chosen.isEmpty()) return false;
    *path = chosen.toLocal8Bit().toStdString();
    return true;
  }

  bool ShowsDialogs() const override { return true; }

  bool ScreenshotWindow(HWND hwnd, const std::string& path, std::string* error) override {
    QtMainWindow* w = QtWindowOf(hwnd);
    if (!w) {
      if (error) *error = "the window has no Qt window";
      return false;
    }
    QPixmap picture = w->grab();
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(path.c_str()), "PNG")) {
      if (error) *error = "cannot write the PNG file";
      return false;
    }
    return true;
  }

 private:
  QApplication* app_ = nullptr;
  std::map<HWND, QtDialogWindow*> dialogs_;
};

}  // namespace

QtMainWindow* QtWindowOf(HWND hwnd) {
  auto it = QtWindows().find(hwnd);
  return it == QtWindows().end() ? nullptr : it->second;
}

std::unique_ptr<Backend> CreateQtBackend(std::string* error) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  bool named = platform && *platform;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!named && !(display && *display) && !(wayland && *wayland) && !QApplication::instance()) {
    if (error) *error = "no display: set DISPLAY (or QT_QPA_PLATFORM), or run with --headless";
    return nullptr;
  }
  return std::make_unique<QtBackend>();
}
