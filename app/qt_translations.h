#pragma once

class QCoreApplication;

// Qt's own texts (its file, print and message dialogs, the standard buttons)
// in German, from the translations installed with Qt, and German numbers in
// the program's own fields (1,5; 1.000 Hz), whatever the system's locale.
// False when the texts are not there; Qt's dialogs then speak English.
bool LoadQtGerman(QCoreApplication& application);
