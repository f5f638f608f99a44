// Applies a host's answers to a QTextBrowser and routes its context menu requests through the host.
#include "online/browser_host.h"

#include <QContextMenuEvent>
#include <QTextBrowser>
#include <QTextDocument>

#include <stdexcept>

namespace kelvara {

NullBrowserHost::NullBrowserHost(QTextBrowser* hostedBrowser) : QObject(hostedBrowser), m_hostedBrowser(hostedBrowser) {
    if (hostedBrowser == nullptr)
        throw std::invalid_argument("A browser host needs a browser view");
    // The context menu request reaches the view through its viewport.
    m_viewport = hostedBrowser->viewport();
    m_viewport->installEventFilter(this);
    hostedBrowser->installEventFilter(this);
}

NullBrowserHost::~NullBrowserHost() {
    // The view may be on its way out already (the host is its child): touch only what is still there.
    if (!m_viewport.isNull())
        m_viewport->removeEventFilter(this);
    if (!m_hostedBrowser.isNull())
        m_hostedBrowser->removeEventFilter(this);
}

bool NullBrowserHost::showContextMenu(const QPoint&) {
    return false;
}

void NullBrowserHost::getHostInfo(HostInfo&) {}

void NullBrowserHost::applyHostInfo() {
    QTextBrowser* view = m_hostedBrowser.data();
    if (view == nullptr)
        return;
    HostInfo info;
    getHostInfo(info);
    view->setFrameShape(info.no3DBorder ? QFrame::NoFrame : QFrame::StyledPanel);
    const Qt::ScrollBarPolicy scrollBars = info.noScrollBars ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    view->setVerticalScrollBarPolicy(scrollBars);
    view->setHorizontalScrollBarPolicy(scrollBars);
    view->setTextInteractionFlags(info.dialogLike ? Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard
                                                  : Qt::TextBrowserInteraction);
    view->document()->setDefaultStyleSheet(info.css);
}

bool NullBrowserHost::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (showContextMenu(menuEvent->globalPos())) {
            menuEvent->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

BrowserHost::BrowserHost(QTextBrowser* hostedBrowser) : NullBrowserHost(hostedBrowser) {
    applyHostInfo();
}

void BrowserHost::setShow3DBorder(bool on) {
    m_show3DBorder = on;
    applyHostInfo();
}

void BrowserHost::setShowScrollBars(bool on) {
    m_showScrollBars = on;
    applyHostInfo();
}

void BrowserHost::setAllowTextSelection(bool on) {
    m_allowTextSelection = on;
    applyHostInfo();
}

void BrowserHost::setCss(const QString& css) {
    m_css = css;
    applyHostInfo();
}

bool BrowserHost::showContextMenu(const QPoint& /*globalPos*/) {
    // With the custom menu on, the host swallows the right-click and no menu opens.
    return m_useCustomCtxMenu;
}

void BrowserHost::getHostInfo(HostInfo& info) {
    info = HostInfo{};
    info.noScrollBars = !m_showScrollBars;
    info.no3DBorder = !m_show3DBorder;
    info.dialogLike = !m_allowTextSelection;
    info.css = m_css;
}

} // namespace kelvara
