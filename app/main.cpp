// The program's entry point.
#include "log/event_log.h"

int main() {
  LogSetApplicationName("Vornel Tests V0.5");
  LogText("S: main()");
  LogText("E: main()");
  return 0;
}
