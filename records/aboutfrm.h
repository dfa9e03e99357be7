#pragma once

#include <QDialog>
#include <QThreadPool>
#include <memory>

#include "platform/http/handback.h"

class QLabel;
class QPushButton;
class TcxMemo;
namespace http {
struct Response;
}

// Where the About window's links and its information text lead.
namespace about {

// A plain-text document, fetched at every showing and shown under "Info center:".
constexpr char kInfoCenterAddress[] = "https://pixolet.app/infocenter.txt";
// The product's web page ("Pixolet webpage").
constexpr char kWebPage[] = "https://pixolet.app/";
// The support mail address ("Technical support - suggestions").
constexpr char kSupportMail[] = "support@pixolet.app";

// The user agent of the information fetch.
constexpr char kInfoCenterUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0.0.0";

// The longest information text taken, in bytes: a few pages of news. A longer reply is a
// failed fetch and leaves the memo as it was.
constexpr qint64 kInfoCenterMaxBytes = 1 << 20;

// Points the information fetch at another address (tests); an empty text returns to
// kInfoCenterAddress.
void setInfoCenterAddressForTests(const QString& address);
QString infoCenterAddress();

}  // namespace about

// The About window: version, maker, the two links and the information text.
class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFrm(QWidget* parent = nullptr);
    ~TAboutFrm() override;

    QLabel* cxImage1 = nullptr;  // banner
    QLabel* cxLabel1 = nullptr;  // version
    QLabel* cxLabel4 = nullptr;  // maker
    QLabel* LinkLabel1 = nullptr;
    QLabel* cxLabel5 = nullptr;
    QLabel* LinkLabel2 = nullptr;
    QLabel* cxLabel7 = nullptr;
    TcxMemo* memoInfo = nullptr;
    QPushButton* cxButton1 = nullptr;

    void FormShow();
    void cxButton1Click();
    void LinkLabel1Click();
    void LinkLabel2Click();
    // On the user-interface thread: a reply of status 200 replaces the information text.
    void InfoCenterShow(const http::Response& response);

signals:
    // A fetch has ended and its reply (status 0 when none came) has been handled.
    void infoCenterHandled(int status);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The body of one showing's worker: fetches address and hands the reply to
    // InfoCenterShow on the user-interface thread. Touches no control; errors are dropped.
    void InfoCenterFetch(const std::shared_ptr<http::HandBack::Link>& link, const QString& address);

    QThreadPool m_fetchers;           // a thread for each showing's fetch
    http::HandBack m_handBack{this};  // declared last: the first to end, stopping the fetches
};

extern TAboutFrm* AboutFrm;
