// The process entry: start-up, the message loop, shutdown.
#include "shell/app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  StartUp(hInstance);
  RunMessageLoop();
  ShutDown();
  return 0;
}
