#include "child_view.h"

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
    // The buttons' geometry as painted: on the surface at (10, 10).
    const int w = std::max(width() - 20, 250);
    const int h = std::max(height() - 20, 250);
    const int bw = (w - 10) / 3;
    const int bb = h / 10 - 5;
    const int sx = x - 10, sy = y - 10;
    if (sy < 0 || sy >= bb || sx < 0)
        return -1;
    const int k = sx / (bw + 5);
    return k < 3 && sx - k * (bw + 5) < bw ? k : -1;
}

void CChildView::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dropHandler && !DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CChildView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (SourceButtonAt(at.x(), at.y()) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CChildView::dropEvent(QDropEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int source = SourceButtonAt(at.x(), at.y());
    const QString file = DroppedFile(event->mimeData());
    if (source < 0 || file.isEmpty() || !m_dropHandler)
        return;
    event->acceptProposedAction();
    m_dropHandler(source, file);
}
