#include "child_view.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

// The local file a drag carries, or nothing.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return QString();
    return data->urls().front().toLocalFile();
}

}  // namespace

void CChildView::SetDropHandler(std::function<void(int, const QString&)> handler)
{
    m_dropHandler = std::move(handler);
    setAcceptDrops(static_cast<bool>(m_dropHandler));
}

int CChildView::SourceButtonAt(int x, int y) const
{
    // The buttons as painted: on the surface at (10, 10), in its top tenth.
    const int w = std::max(width() - 20, 250);
    const int h = std::max(height() - 20, 250);
    for (int k = 0; k < kSourceCount; ++k)
        if (SourceButtonRect(k, w, h / 10).Contains(x - 10, y - 10))
            return k;
    return -1;
}

void CChildView::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dropHandler && !DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CChildView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int target = SourceButtonAt(at.x(), at.y());
    if (target >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
    if (target != m_nDropTarget) {
        m_nDropTarget = target;
        update();
    }
}

void CChildView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_nDropTarget = -1;
    update();
}

void CChildView::dropEvent(QDropEvent* event)
{
    m_nDropTarget = -1;
    update();
    const QPoint at = event->position().toPoint();
    const int source = SourceButtonAt(at.x(), at.y());
    const QString file = DroppedFile(event->mimeData());
    if (source < 0 || file.isEmpty() || !m_dropHandler)
        return;
    event->acceptProposedAction();
    m_dropHandler(source, file);
}

void CChildView::SetSourceFile(int source, const QString& path)
{
    m_sourceFile[source] = path;
    update();
}

QString CChildView::SourceToolTip(int source) const
{
    const QString playing = m_sourceFile[source].isEmpty() ? QStringLiteral("mitgelieferte Aufnahme")
                                                           : QDir::toNativeSeparators(m_sourceFile[source]);
    return QStringLiteral("%1: %2\nTaste %3 schaltet an und aus; eine Tondatei hierher ziehen, um sie abzuspielen.")
        .arg(SourceName(source), playing, QString::number(source + 1));
}
