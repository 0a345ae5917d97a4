#pragma once

class QCoreApplication;

// Qt's own texts (its file, print and message dialogs, the standard buttons)
// in German, from the translations installed with Qt. False when they are
// not there; Qt's dialogs then speak English.
bool LoadQtGerman(QCoreApplication& application);
