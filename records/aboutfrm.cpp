#include "records/aboutfrm.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSvgRenderer>

#include "platform/errors/guard.h"
#include "platform/http/http.h"
#include "platform/shell/shell.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/window_place.h"

TAboutFrm* AboutFrm = nullptr;

namespace about {
namespace {
QString addressForTests;
}

void setInfoCenterAddressForTests(const QString& address) {
    addressForTests = address;
}

QString infoCenterAddress() {
    return addressForTests.isEmpty() ? QString::fromLatin1(kInfoCenterAddress) : addressForTests;
}

}  // namespace about

namespace {

constexpr int kClientWidth = 397;
constexpr int kClientHeight = 516;

QPixmap banner(QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/about/banner.svg"));
    QPainter painter(&pixmap);
    svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QLabel* linkLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = named(new QLabel(parent), name);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFont(QFont(QStringLiteral("Segoe UI")));
    return label;
}

}  // namespace

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("About"));
    // A single fixed border, a title without system menu or close box, always on top.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kClientWidth, kClientHeight);

    cxImage1 = named(new QLabel(this), "cxImage1");
    cxImage1->setGeometry(0, 0, kClientWidth, 145);
    cxImage1->setPixmap(banner(QSize(kClientWidth, 145), devicePixelRatioF()));
    cxImage1->setAttribute(Qt::WA_TranslucentBackground);

    cxLabel1 = named(new QLabel(QStringLiteral("v1.01 x64"), this), "cxLabel1");
    QFont bold(QStringLiteral("Segoe UI"));
    bold.setBold(true);
    cxLabel1->setFont(bold);
    cxLabel1->move(105, 105);
    cxLabel1->adjustSize();

    cxLabel4 = named(new QLabel(QStringLiteral("Quillmere "), this), "cxLabel4");
    cxLabel4->setGeometry(12, 217, 124, 27);
    cxLabel4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    LinkLabel1 = linkLabel(this, "LinkLabel1", QStringLiteral("Pixolet webpage"));
    LinkLabel1->setGeometry(12, 240, 114, 19);

    cxLabel5 =
        named(new QLabel(QStringLiteral("Technical support - suggestions"), this), "cxLabel5");
    cxLabel5->move(218, 217);
    cxLabel5->adjustSize();

    LinkLabel2 = linkLabel(this, "LinkLabel2", QString::fromLatin1(about::kSupportMail));
    LinkLabel2->setGeometry(218, 240, 155, 19);
    // Where the system's font is wider than the design's, the caption would run past the
    // window's edge: the pair moves left just enough, keeping its left edges aligned.
    const int overflow = cxLabel5->geometry().right() - (kClientWidth - 8);
    if (overflow > 0) {
        cxLabel5->move(cxLabel5->x() - overflow, cxLabel5->y());
        LinkLabel2->move(LinkLabel2->x() - overflow, LinkLabel2->y());
    }

    cxLabel7 = named(new QLabel(QStringLiteral("Info center:"), this), "cxLabel7");
    cxLabel7->move(9, 296);
    cxLabel7->adjustSize();

    memoInfo = named(new TcxMemo(this), "memoInfo");
    memoInfo->setGeometry(9, 321, 378, 156);
    memoInfo->setReadOnly(true);
    memoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    cxButton1 = named(new QPushButton(QStringLiteral("Close"), this), "cxButton1");
    cxButton1->setGeometry(271, 483, 115, 25);

    connect(cxButton1, &QPushButton::clicked, this,
            errors::guarded(this, &TAboutFrm::cxButton1Click));
    connect(LinkLabel1, &QLabel::linkActivated, this,
            errors::guarded(this, &TAboutFrm::LinkLabel1Click));
    connect(LinkLabel2, &QLabel::linkActivated, this,
            errors::guarded(this, &TAboutFrm::LinkLabel2Click));

    // Every showing may start a fetch of its own; none waits for another.
    m_fetchers.setMaxThreadCount(16);
}

TAboutFrm::~TAboutFrm() = default;

void TAboutFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TAboutFrm::FormShow() {
    // Qt scales the design size by the screen's pixels per inch over 96.
    setFixedSize(kClientWidth, kClientHeight);
    if (QWidget* main = parentWidget()) centreOn(this, main);
    const std::shared_ptr<http::HandBack::Link> link = m_handBack.link();
    const QString address = about::infoCenterAddress();
    m_fetchers.start([this, link, address] { InfoCenterFetch(link, address); });
}

void TAboutFrm::InfoCenterFetch(const std::shared_ptr<http::HandBack::Link>& link,
                                const QString& address) {
    if (address.isEmpty() || link->cancelled()) return;
    try {
        http::Client client;
        client.setUserAgent(QString::fromLatin1(about::kInfoCenterUserAgent));
        client.setFollowRedirects(true);
        client.setMaxBodySize(about::kInfoCenterMaxBytes);
        client.setCancelFlag(&link->cancelled());
        const http::Response response = client.get(address);
        // The window lives for the whole run; when it has gone all the same (at exit),
        // the reply is dropped.
        link->call([this, response] { InfoCenterShow(response); });
    } catch (...) {
        // The information text is optional: no network, a failed reply or a failure
        // while showing it leave the memo as it was.
    }
}

void TAboutFrm::InfoCenterShow(const http::Response& response) {
    if (response.status == 200) {
        QString text = response.text();
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        // One repaint, when the new text stands, also when a step fails.
        memoInfo->setUpdatesEnabled(false);
        const auto repaint = errors::finally([this] { memoInfo->setUpdatesEnabled(true); });
        memoInfo->setPlainText(text);
        QTextCursor caret = memoInfo->textCursor();
        caret.setPosition(0);
        memoInfo->setTextCursor(caret);
        memoInfo->verticalScrollBar()->setValue(0);
        memoInfo->horizontalScrollBar()->setValue(0);
    }
    emit infoCenterHandled(response.status);
}

void TAboutFrm::cxButton1Click() {
    close();
}

void TAboutFrm::LinkLabel1Click() {
    shell::get().open(QString::fromLatin1(about::kWebPage));
}

void TAboutFrm::LinkLabel2Click() {
    shell::get().open(QStringLiteral("mailto:") + QString::fromLatin1(about::kSupportMail));
}
