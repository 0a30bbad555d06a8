// The application's name, apart from the engine object so that code which
// only shows the name does not bring the engine's construction with it.
#include "app/frame/application_name.h"

const char* const kApplicationName = "Vornel Tests V0.5";
