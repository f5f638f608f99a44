// Host objects for the banner's browser view: they answer the view's questions about its frame, scroll bars,
// text selection, context menu and default style sheet.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QPoint;
class QTextBrowser;

namespace kelvara {

// What a host tells the view about how to present itself.
struct HostInfo {
    bool noScrollBars = false;
    bool no3DBorder = false;
    bool dialogLike = false; // no text selection; links still work
    QString css;             // default style sheet of every page
};

// The neutral host: the view behaves as if it had no host at all.
class NullBrowserHost : public QObject {
    Q_OBJECT
public:
    // hostedBrowser must be given; throws std::invalid_argument otherwise.
    explicit NullBrowserHost(QTextBrowser* hostedBrowser);
    ~NullBrowserHost() override;

    QTextBrowser* hostedBrowser() const { return m_hostedBrowser; }

protected:
    // Right-click at globalPos: true when the host has handled it (the view shows no menu of its own).
    virtual bool showContextMenu(const QPoint& globalPos);
    // Fills in how the view should look; the neutral host leaves info untouched.
    virtual void getHostInfo(HostInfo& info);
    // Asks getHostInfo and applies the answer to the view.
    void applyHostInfo();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QTextBrowser> m_hostedBrowser;
    QPointer<QWidget> m_viewport;
};

// The banner's host: its five properties decide frame, scroll bars, selection, context menu and style sheet.
class BrowserHost final : public NullBrowserHost {
    Q_OBJECT
    Q_PROPERTY(bool UseCustomCtxMenu READ useCustomCtxMenu WRITE setUseCustomCtxMenu)
    Q_PROPERTY(bool Show3DBorder READ show3DBorder WRITE setShow3DBorder)
    Q_PROPERTY(bool ShowScrollBars READ showScrollBars WRITE setShowScrollBars)
    Q_PROPERTY(bool AllowTextSelection READ allowTextSelection WRITE setAllowTextSelection)
    Q_PROPERTY(QString CSS READ css WRITE setCss)
public:
    explicit BrowserHost(QTextBrowser* hostedBrowser);

    bool useCustomCtxMenu() const { return m_useCustomCtxMenu; }
    void setUseCustomCtxMenu(bool on) { m_useCustomCtxMenu = on; }
    bool show3DBorder() const { return m_show3DBorder; }
    void setShow3DBorder(bool on);
    bool showScrollBars() const { return m_showScrollBars; }
    void setShowScrollBars(bool on);
    bool allowTextSelection() const { return m_allowTextSelection; }
    void setAllowTextSelection(bool on);
    QString css() const { return m_css; }
    void setCss(const QString& css);

protected:
    bool showContextMenu(const QPoint& globalPos) override;
    void getHostInfo(HostInfo& info) override;

private:
    bool m_useCustomCtxMenu = false;
    bool m_show3DBorder = true;
    bool m_showScrollBars = true;
    bool m_allowTextSelection = true;
    QString m_css;
};

} // namespace kelvara
