// The About window: product, version, the maker's particulars and website on "Info"; the licence agreement and
// the notices of the libraries the program contains on "Lizenzen".
#pragma once

#include "online/owner_texts.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTabWidget;
class QTextBrowser;

namespace kelvara {

class Desktop;

class AboutForm final : public QDialog {
    Q_OBJECT
public:
    AboutForm(Desktop& desktop, const OwnerTexts& owner, QWidget* parent = nullptr);

    // Where the shown version comes from (default: getFileVersion() of the running program).
    void setVersionSource(std::function<QString()> versionSource) { m_versionSource = std::move(versionSource); }

    // Opens the website shown in Label10 in the system's browser.
    void openWebsite();

protected:
    // At every showing: the version anew, and the "Info" tab in front.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs(const OwnerTexts& owner);
    void showVersionOnInfoTab();

    Desktop& m_desktop;
    std::function<QString()> m_versionSource;
    QTabWidget* m_tabs;
    QWidget* m_infoTab;
    QWidget* m_licencesTab;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_websiteLabel = nullptr;
    QTextBrowser* m_licenceText = nullptr;
    QTextBrowser* m_attributionText = nullptr;
};

} // namespace kelvara
