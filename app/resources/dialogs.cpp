// Dialogs 103 ("About") and 130 ("Create New Texture") as descriptions in
// dialog units.
#include "app/resources/resources.h"
#include "platform/win32/message_box.h"

DialogTemplate AboutDialogTemplate() {
  DialogTemplate d;
  d.caption = "About";
  d.cx = 201;
  d.cy = 110;
  d.font = "System";
  d.font_size = 8;
  d.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.controls = {
      DialogIcon(107, 14, 14),
      DialogText(1007, "Vornel Tests", 44, 14, 140, 10, SS_CENTER),
      DialogText(IDC_STATIC,
                 "A bench for the engine's 2D and 3D drawing.\n"
                 "Choose a test from the Tests menu and turn on FPS logging.\n"
                 "Post your RESULTS.TXT results file to the forum!",
                 14, 40, 180, 36),
      DialogButton(IDOK, "OK", 75, 86, 50, 14, true),
  };
  return d;
}

DialogTemplate UserTextureDialogTemplate() {
  DialogTemplate d;
  d.caption = "Create New Texture";
  d.cx = 451;
  d.cy = 157;
  d.font = "MS Shell Dlg";
  d.font_size = 8;
  d.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.script_command = "texture-dialog";
  d.controls = {
      DialogText(IDC_STATIC, "Width", 7, 9, 22, 8),
      DialogEdit(1001, 32, 7, 40, 14, "width", ES_NUMBER),
      DialogText(IDC_STATIC, "Height", 80, 9, 24, 8),
      DialogEdit(1002, 106, 7, 40, 14, "height", ES_NUMBER),
      DialogText(IDC_STATIC, "Usage", 7, 28, 60, 8),
      DialogComboBox(1003, 7, 38, 130, 80, "usage"),
      DialogText(IDC_STATIC, "Format", 145, 28, 60, 8),
      DialogComboBox(1004, 145, 38, 150, 120, "format"),
      DialogText(IDC_STATIC, "Pool", 303, 28, 60, 8),
      DialogComboBox(1005, 303, 38, 141, 80, "pool"),
      DialogText(1006, "Click OK to attempt the creation of the texture", 7, 62, 437, 10),
      DialogText(1007, "Ready to Create Texture", 7, 78, 437, 30),
      DialogButton(IDOK, "OK", 340, 136, 50, 14, true),
      DialogButton(IDCANCEL, "Cancel", 394, 136, 50, 14),
  };
  return d;
}
