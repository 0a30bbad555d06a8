// The test seams of the Qt backend, done with Qt Test's input simulation
// on the backend's own widgets.
#include "platform/win32/qt/qt_test_seams.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QKeySequence>
#include <QMenuBar>
#include <QTest>
#include <QResizeEvent>
#include <QWindow>

#include "platform/win32/dialogs.h"
#include "platform/win32/qt/qt_dialog.h"
#include "platform/win32/qt/qt_window.h"
#include "platform/win32/window.h"

namespace {

QMenu* OpenPopup(QtMainWindow* w) {
  for (QAction* a : w->menuBar()->actions())
    if (a->menu() && a->menu()->isVisible()) return a->menu();
  return nullptr;
}

QAction* FindAction(QMenu* menu, UINT id) {
  for (QAction* a : menu->actions()) {
    if (a->menu()) {
      if (QAction* inner = FindAction(a->menu(), id)) return inner;
    } else if (!a->isSeparator() && a->data().toUInt() == id) {
      return a;
    }
  }
  return nullptr;
}

}  // namespace

bool QtTestOpenMenu(HWND hwnd, int index) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return false;
  QList<QAction*> titles = w->menuBar()->actions();
  if (index < 0 || index >= titles.size()) return false;
  QRect r = w->menuBar()->actionGeometry(titles[index]);
  QTest::mouseClick(w->menuBar(), Qt::LeftButton, {}, r.center());
  QApplication::processEvents();
  return titles[index]->menu() && titles[index]->menu()->isVisible();
}

bool QtTestClickMenuItem(HWND hwnd, UINT id) {
  QtMainWindow* w = QtWindowOf(hwnd);
  QMenu* menu = w ? OpenPopup(w) : nullptr;
  if (!menu) return false;
  QAction* action = nullptr;
  for (QAction* a : menu->actions())
    if (!a->menu() && a->data().toUInt() == id && !a->isSeparator()) action = a;
  if (!action) return false;
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  QApplication::processEvents();
  return true;
}

bool QtTestMenuItemChecked(HWND hwnd, UINT id) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return false;
  for (const QtMenuAction& a : w->actions())
    if (a.action->data().toUInt() == id) return a.action->isChecked();
  return false;
}

std::vector<std::string> QtTestMenuTitles(HWND hwnd) {
  std::vector<std::string> out;
  if (QtMainWindow* w = QtWindowOf(hwnd))
    for (QAction* a : w->menuBar()->actions()) out.push_back(a->text().toStdString());
  return out;
}

std::vector<std::string> QtTestPopupTexts(HWND hwnd, int index) {
  std::vector<std::string> out;
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return out;
  QList<QAction*> titles = w->menuBar()->actions();
  if (index < 0 || index >= titles.size() || !titles[index]->menu()) return out;
  for (QAction* a : titles[index]->menu()->actions()) out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  return out;
}

void QtTestKeyClick(HWND hwnd, const char* key) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return;
  QKeySequence seq = QKeySequence::fromString(QString::fromUtf8(key));
  if (seq.isEmpty()) return;
  QKeyCombination k = seq[0];
  QTest::keyClick(w->client(), k.key(), k.keyboardModifiers());
}

void QtTestMouseClick(HWND hwnd, int x, int y, bool right) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return;
  QTest::mouseMove(w->client(), QPoint(x, y));
  QTest::mouseClick(w->client(), right ? Qt::RightButton : Qt::LeftButton, {}, QPoint(x, y));
}

void QtTestCloseWindow(HWND hwnd) {
  if (QtMainWindow* w = QtWindowOf(hwnd)) w->close();
}

bool QtTestClientSize(HWND hwnd, int* width, int* height) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return false;
  *width = w->client()->width();
  *height = w->client()->height();
  return true;
}

unsigned QtTestClientPixel(HWND hwnd, int x, int y) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return 0;
  QImage image = w->client()->grab().toImage();
  return image.pixel(x, y) & 0xFFFFFFu;
}

namespace {

RECT RectOf(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

bool QtTestGetWindowLayout(HWND hwnd, QtTestWindowLayout* layout) {
  QtMainWindow* w = QtWindowOf(hwnd);
  if (!w) return false;
  layout->width = w->width();
  layout->height = w->height();
  layout->menu_bar = w->menuBar()->isHidden() ? RECT{0, 0, 0, 0} : RectOf(w->menuBar()->geometry());
  layout->client = RectOf(w->client()->geometry());
  return true;
}

bool QtTestWindowSystemResize(HWND hwnd, int width, int height) {
  QtMainWindow* w = QtWindowOf(hwnd);
  QWindow* native = w ? w->windowHandle() : nullptr;
  if (!native) return false;
  // The native window is resized behind the widget's back; the widget
  // hears of it as from the window system, when Qt delivers the change.
  struct Watcher : QObject {
    QSize target;
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Resize && static_cast<QResizeEvent*>(e)->size() == target) seen = true;
      return false;
    }
  };
  Watcher watcher;
  watcher.target = QSize(width, height);
  w->installEventFilter(&watcher);
  native->resize(watcher.target);
  bool arrived = QTest::qWaitFor([&] { return watcher.seen; }, 2000);
  w->removeEventFilter(&watcher);
  QApplication::processEvents();
  return arrived;
}

bool QtTestStatusBarGeometry(HWND status_bar, RECT* rect) {
  QtMainWindow* w = QtWindowOf(GetParent(status_bar));
  if (!w) return false;
  QtStatusBarWidget* bar = w->StatusBar(status_bar);
  if (!bar) return false;
  QRect g = bar->geometry();
  *rect = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
  return true;
}

bool QtTestWindowVisible(HWND hwnd) {
  QtMainWindow* w = QtWindowOf(hwnd);
  return w && w->isVisible();
}

void QtTestRunLater(int ms, std::function<void()> action) { QTimer::singleShot(ms, std::move(action)); }

namespace {

QWidget* DialogWidget(HWND dialog, int id) {
  QtDialogWindow* d = QtDialogOf(dialog);
  return d ? d->WidgetOf(GetDlgItem(dialog, id)) : nullptr;
}

}  // namespace

bool QtTestDialogType(HWND dialog, int id, const char* text) {
  QWidget* w = DialogWidget(dialog, id);
  QLineEdit* edit = qobject_cast<QLineEdit*>(w);
  if (auto* combo = qobject_cast<QComboBox*>(w)) edit = combo->lineEdit();
  if (!edit) return false;
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, QString::fromUtf8(text));
  return true;
}

bool QtTestDialogClick(HWND dialog, int id) {
  auto* button = qobject_cast<QPushButton*>(DialogWidget(dialog, id));
  if (!button) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

std::string QtTestDialogText(HWND dialog, int id) {
  QWidget* w = DialogWidget(dialog, id);
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText().toStdString();
  return "";
}

bool QtTestAnswerMessageBox(const char* button) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) return false;
  QString wanted = QString::fromUtf8(button).remove('&');
  for (QAbstractButton* b : box->buttons())
    if (b->text().remove('&') == wanted) {
      b->click();
      return true;
    }
  return false;
}

bool QtTestAnswerFileDialog(const char* path) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (!dialog) return false;
  if (!path) {
    dialog->reject();
    return true;
  }
  dialog->selectFile(QString::fromLocal8Bit(path));
  QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
  return true;
}
