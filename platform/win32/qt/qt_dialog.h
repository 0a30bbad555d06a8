// A real Qt dialog for a running modal dialog: one widget per control,
// kept in step with the control records, clicks posted as WM_COMMAND.
#pragma once

#include <QDialog>

#include <map>

#include "platform/win32/windows.h"

class QtDialogWindow : public QDialog {
 public:
  QtDialogWindow(HWND dialog, QWidget* owner);
  ~QtDialogWindow() override;
  HWND handle() const { return dialog_; }
  // A control's text, list or selection changed in the window code.
  void SyncControl(HWND control);
  // The widget of a control, or null.
  QWidget* WidgetOf(HWND control) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  HWND dialog_;
  std::map<HWND, QWidget*> widgets_;
  bool syncing_ = false;
};

// The Qt dialog of a running dialog, or null.
QtDialogWindow* QtDialogOf(HWND dialog);
