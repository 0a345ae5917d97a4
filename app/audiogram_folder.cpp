#include "audiogram_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kFolderKey = QStringLiteral("audiogram/folder");
constexpr int kMaxPathBytes = 4096;

}  // namespace

QString AudiogramFolder()
{
    const QVariant stored = QSettings().value(kFolderKey);
    const QString folder = stored.typeId() == QMetaType::QString ? stored.toString() : QString();
    if (folder.isEmpty() || folder.toUtf8().size() > kMaxPathBytes || !QFileInfo(folder).isDir())
        return QDir::homePath();
    return folder;
}

void RememberAudiogramFolder(const QString& filePath)
{
    if (!filePath.isEmpty())
        QSettings().setValue(kFolderKey, QFileInfo(filePath).absolutePath());
}
