// Qt dialogs for dialog descriptions: labels, line edits, editable combo
// boxes, push buttons and icons at the controls' places.
#include "platform/win32/qt/qt_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <map>

#include "platform/win32/dialogs.h"
#include "platform/win32/message_box.h"
#include "platform/win32/resources.h"
#include "platform/win32/window.h"

namespace {

std::string TextOf(HWND control) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  text.resize(text.size() - 1);
  return text;
}

QPixmap PixmapOf(UINT icon_id) {
  const IconResource* icon = IconOf(LoadIconA(nullptr, MAKEINTRESOURCEA(icon_id)));
  if (!icon || icon->width <= 0 || icon->height <= 0 ||
      icon->argb.size() < static_cast<size_t>(icon->width) * static_cast<size_t>(icon->height))
    return QPixmap();
  QImage image(reinterpret_cast<const uchar*>(icon->argb.data()), icon->width, icon->height, icon->width * 4,
               QImage::Format_ARGB32);
  return QPixmap::fromImage(image.copy());
}

std::map<HWND, QtDialogWindow*>& Dialogs() {
  static std::map<HWND, QtDialogWindow*> dialogs;
  return dialogs;
}

}  // namespace

QtDialogWindow* QtDialogOf(HWND dialog) {
  auto it = Dialogs().find(dialog);
  return it == Dialogs().end() ? nullptr : it->second;
}

QtDialogWindow::~QtDialogWindow() { Dialogs().erase(dialog_); }

QWidget* QtDialogWindow::WidgetOf(HWND control) const {
  auto it = widgets_.find(control);
  return it == widgets_.end() ? nullptr : it->second;
}

QtDialogWindow::QtDialogWindow(HWND dialog, QWidget* owner) : QDialog(owner), dialog_(dialog) {
  Dialogs()[dialog] = this;
  setWindowModality(Qt::ApplicationModal);
  char caption[256];
  GetWindowTextA(dialog, caption, sizeof(caption));
  setWindowTitle(QString::fromLocal8Bit(caption));
  RECT client{};
  GetClientRect(dialog, &client);
  setFixedSize(client.right, client.bottom);
  const DialogTemplate* t = DialogTemplateOf(dialog);
  if (!t) return;
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  for (const DialogControl& c : t->controls) {
    HWND ctl = GetDlgItem(dialog, c.id);
    if (!ctl && c.id != IDC_STATIC) continue;
    RECT r{};
    GetWindowRect(ctl, &r);
    QWidget* w = nullptr;
    QString text = QString::fromLocal8Bit(ctl ? TextOf(ctl) : c.text);
    switch (c.kind) {
      case DialogControlKind::kStatic: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setAlignment((c.style & SS_CENTER) ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
        w = label;
        break;
      }
      case DialogControlKind::kIcon: {
        auto* label = new QLabel(this);
        label->setPixmap(PixmapOf(c.icon));
        w = label;
        break;
      }
      case DialogControlKind::kEdit: {
        auto* edit = new QLineEdit(text, this);
        connect(edit, &QLineEdit::textEdited, this, [this, ctl](const QString& s) {
          syncing_ = true;
          SetWindowTextA(ctl, s.toLocal8Bit().constData());
          syncing_ = false;
        });
        w = edit;
        break;
      }
      case DialogControlKind::kComboBox: {
        auto* combo = new QComboBox(this);
        combo->setEditable((c.style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST);
        connect(combo, &QComboBox::activated, this, [this, ctl](int index) {
          syncing_ = true;
          SendMessageA(ctl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
          syncing_ = false;
          // The closing drop-down list uncovers the dialog, which repaints.
          InvalidateRect(dialog_, nullptr, FALSE);
        });
        connect(combo, &QComboBox::editTextChanged, this, [this, ctl](const QString& s) {
          if (syncing_) return;
          syncing_ = true;
          SetWindowTextA(ctl, s.toLocal8Bit().constData());
          syncing_ = false;
        });
        w = combo;
        break;
      }
      case DialogControlKind::kGroupBox: w = new QGroupBox(text, this); break;
      case DialogControlKind::kButton:
      case DialogControlKind::kDefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(c.kind == DialogControlKind::kDefaultButton);
        int id = c.id;
        connect(button, &QPushButton::clicked, this, [dialog, id, ctl] {
          PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
        });
        w = button;
        break;
      }
    }
    if (!w) continue;
    w->setGeometry(r.left - origin.x, r.top - origin.y, r.right - r.left, r.bottom - r.top);
    if (ctl) {
      widgets_[ctl] = w;
      SyncControl(ctl);
    }
  }
}

void QtDialogWindow::SyncControl(HWND control) {
  auto it = widgets_.find(control);
  if (it == widgets_.end() || syncing_) return;
  syncing_ = true;
  QString text = QString::fromLocal8Bit(TextOf(control));
  if (auto* combo = qobject_cast<QComboBox*>(it->second)) {
    QStringList items;
    for (const std::string& s : ComboBoxItems(control)) items << QString::fromLocal8Bit(s);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != items) {
      combo->clear();
      combo->addItems(items);
    }
    combo->setCurrentIndex(ComboBoxSelection(control));
    if (combo->isEditable() && combo->currentText() != text) combo->setEditText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(it->second)) {
    if (edit->text() != text) edit->setText(text);
  } else if (auto* button = qobject_cast<QPushButton*>(it->second)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(it->second)) {
    if (label->pixmap().isNull()) label->setText(text);
  }
  syncing_ = false;
}

void QtDialogWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  PostMessageA(dialog_, WM_CLOSE, 0, 0);
}

void QtDialogWindow::reject() {
  // Escape: Cancel, which the dialog procedure handles.
  PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDCANCEL)));
}
