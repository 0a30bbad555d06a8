// Accelerator table 109: Home clears the screen, Space steps, Enter
// resumes, Alt+"/" and Alt+"?" open the About box; none highlights a menu.
#include "app/resources/resources.h"

std::vector<ACCEL> MainAccelerators() {
  return {
      {FVIRTKEY | FNOINVERT, static_cast<WORD>(VK_HOME), 32803},
      {FVIRTKEY | FNOINVERT, static_cast<WORD>(VK_SPACE), 32822},
      {FVIRTKEY | FNOINVERT, static_cast<WORD>(VK_RETURN), 32823},
      {FALT | FNOINVERT, static_cast<WORD>('/'), 104},
      {FALT | FNOINVERT, static_cast<WORD>('?'), 104},
  };
}
