#include "sonafel_app.h"

int main(int argc, char** argv)
{
    CSonafelApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    app.InitInstance(arguments);
    app.exec();
    return app.ExitInstance();
}
