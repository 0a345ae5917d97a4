#include "command_line.h"
#include "pipewire_route.h"
#include "sonafel_app.h"

#include <cstdio>

int main(int argc, char** argv)
{
    TakePipeWireRoute(argv);
    if (const int status = AnswerInformationalOptions(argc, argv, stdout); status >= 0)
        return status;
    CSonafelApp app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    app.InitInstance(arguments);
    app.exec();
    return app.ExitInstance();
}
