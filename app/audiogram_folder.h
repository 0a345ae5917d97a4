#pragma once

#include <QString>

// The folder the audiogram's file dialogs (import, export, print to a file)
// start in: where the last file went, kept between runs; the home folder
// when none was kept or the kept one is gone or not a sane path.
QString AudiogramFolder();
// Keeps the folder of `filePath` for the next time.
void RememberAudiogramFolder(const QString& filePath);
