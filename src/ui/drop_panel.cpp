// File drops on a panel: only local files are taken; anything else is left to the parent widgets.
#include "ui/drop_panel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace kelvara {

QStringList droppedLocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}

DropPanel::DropPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
}

void DropPanel::setDropAccept(bool accept) {
    m_dropAccept = accept;
    setAcceptDrops(accept);
}

// Ignored drags (text, or no files) travel on to the parent, where the window takes text.
void DropPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropAccept && !droppedLocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DropPanel::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropAccept && !droppedLocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DropPanel::dropEvent(QDropEvent* event) {
    const QStringList items = m_dropAccept ? droppedLocalPaths(event->mimeData()) : QStringList();
    if (items.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit systemDrop(items);
}

} // namespace kelvara
