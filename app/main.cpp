// brevicor.exe: the tray program. Everything happens in the application object's InitInstance.
#include "app/lorvel_app.h"

namespace {

brevicor::CLorvelApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return brevicor::RunApplication(instance);
}
