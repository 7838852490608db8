#include "SiteApp.h"

int main(int argc, char** argv) {
    CSiteApp app(argc, argv);
    if (!app.InitInstance()) return 1;
    return CSiteApp::exec();
}
