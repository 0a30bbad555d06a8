// Registers the program's resources under their ids.
#include "app/window/command_ids.h"
#include "app/resources/resources.h"

void RegisterResources() {
  RegisterStringResource(ids::kStringTitle, "VornelTests");
  RegisterStringResource(ids::kStringReady, "Ready");
  RegisterStringResource(ids::kStringWindowClass, "VORNELTESTS");
  RegisterMenuResource(ids::kMenu, MainMenuTemplate());
  RegisterAcceleratorResource(ids::kAccelerators, MainAccelerators());
  RegisterDialogResource(ids::kDialogAbout, AboutDialogTemplate());
  RegisterDialogResource(ids::kDialogUserTexture, UserTextureDialogTemplate());
  RegisterIconResource(ids::kIconLarge, ApplicationIcon(32));
  RegisterIconResource(ids::kIconSmall, ApplicationIcon(16));
}
