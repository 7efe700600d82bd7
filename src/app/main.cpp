#include "app/ravel_app.h"

int main(int argc, char** argv) {
    CRavelApp app(argc, argv);
    if (!app.InitInstance()) return app.ExitCode();
    return app.exec();
}
