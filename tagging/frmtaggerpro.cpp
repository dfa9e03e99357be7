#include "tagging/frmtaggerpro.h"

#include <QCloseEvent>
#include <QShowEvent>

#include "platform/errors/guard.h"

TfrmTaggerPro* frmTaggerPro = nullptr;

TfrmTaggerPro::TfrmTaggerPro(MainState& state, MainWindowPort& main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_state(state),
      m_main(main) {
    setObjectName(QStringLiteral("frmTaggerPro"));
    m_session = new TaggingSession(*this, state, this);
    setWindowTitle(QStringLiteral("AI Tagger"));
    BuildLayout();
    ConnectHandlers();
    errors::guard([this] { FormCreate(); });
}

TfrmTaggerPro::~TfrmTaggerPro() {
    // The session reads the window's controls (Controls): it goes before they do.
    delete m_session;
    m_session = nullptr;
}

void TfrmTaggerPro::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored by the window system was not hidden: no show handler then.
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TfrmTaggerPro::closeEvent(QCloseEvent* event) {
    // Only a shown window has something to keep; it is hidden, never destroyed.
    if (isVisible()) errors::guard([this] { FormClose(); });
    event->accept();
}
