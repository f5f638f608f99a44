// A panel that takes files dropped from the file manager and hands their paths on, in the order given.
#pragma once

#include <QFrame>
#include <QStringList>

class QMimeData;

namespace kelvara {

class DropPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool dropAccept READ dropAccept WRITE setDropAccept)

public:
    explicit DropPanel(QWidget* parent = nullptr);

    bool dropAccept() const { return m_dropAccept; }
    // Whether dropped files are taken at all; off when created.
    void setDropAccept(bool accept);

signals:
    // Once per drop: the full path of every dropped local file or folder, in the order of the drag.
    void systemDrop(const QStringList& items);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_dropAccept = false;
};

// Local file paths in a drag's data, native separators; empty when it carries no local files.
QStringList droppedLocalPaths(const QMimeData* data);

} // namespace kelvara
