#pragma once

class QCoreApplication;

// Qt's own texts (its file, print and message dialogs, the standard buttons)
// in German, from the translations installed with Qt, and German numbers and
// dates in them (1,62 MiB). False when the texts are not there; Qt's dialogs
// then speak English.
bool LoadQtGerman(QCoreApplication& application);
